// The macro page's recorder and event editor: the shared event list editor over this page's Record
// button, delay box, event list menu and insert box, with the page's own part around it (the name
// lists and New are closed to use while a recording or an insertion runs; the editor text and the
// diagnostic view follow the list). The rules are core's (MacroEditor, MacroRecorder, MacroEditing).

#include "gui/AppState.h"
#include "gui/macros/MacroPage.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PageControls.h"
#include "gui/skin/PictureControl.h"
#include "platform/InputCapture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace tarvik::gui {

using namespace pages;

void MacroPage::wireEditing() {
    EventListControls c;
    c.events = m_events;
    c.record = m_record;
    c.recordPicture = findChild<PictureControl*>(QStringLiteral("Img_Start"), Qt::FindDirectChildrenOnly);
    c.delayBox = m_delayBox;
    c.delay = m_delay;
    c.delayEditFollowsMode = true;
    c.textColour = "Color_F";
    QWidget* menu = m_menus[2];
    c.editEntry = menu->findChild<CaptionLabel*>(QStringLiteral("Btn_Edit"));
    c.deleteEntry = menu->findChild<CaptionLabel*>(QStringLiteral("Btn_Del"));
    c.insertEntry = menu->findChild<CaptionLabel*>(QStringLiteral("Btn_Insert"));
    c.insertPanel = m_insertBox;
    c.insertBacking = m_insertBase;
    c.insertChoice = m_insertChoice;
    c.insertDelay = m_insertDelay.edit;
    c.insertX = static_cast<QLineEdit*>(m_axisControls[1]);
    c.insertY = static_cast<QLineEdit*>(m_axisControls[3]);
    c.insertRepeat = static_cast<QLineEdit*>(m_repeatControls[1]);
    c.delayChoiceControls = {m_insertDelayControls[0]};
    c.moveChoiceControls = {m_axisControls.begin(), m_axisControls.end()};
    c.repeatChoiceControls = {m_repeatControls.begin(), m_repeatControls.end()};
    const auto picture = [this](const char* name) {
        return m_insertBox->findChild<PictureControl*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    };
    c.insertRecord = m_insertRecord;
    c.insertRecordPicture = picture("Img_InsertStart");
    c.keyChoiceControls = {m_insertRecord, c.insertRecordPicture};
    for (int i = 0; i < 3; ++i) {
        c.keyChoiceControls.push_back(m_insertDelay.leds[i]);
        c.keyChoiceControls.push_back(m_insertDelay.labels[i]);
    }
    c.ok = m_ok;
    c.okPicture = picture("Img_OK");
    c.cancel = m_cancel;
    c.cancelPicture = picture("Img_Cancel");
    c.insertDelayOptions = m_insertDelay;
    c.insertDelayUnit = m_insertDelayControls[2];
    c.insertCover = m_insertCover;

    EventListHooks hooks;
    hooks.hideMenus = [this] { hideMenus(); };
    hooks.recordingChanged = [this](bool recording) {
        for (QWidget* w : {m_library, m_device, m_events})
            w->setEnabled(!recording);
        m_new->setEnabled(!recording && state().macroLibrary.canAddNew());
    };
    hooks.insertPanelChanged = [this](bool open) {
        m_device->setEnabled(!open);
        m_new->setEnabled(!open && state().macroLibrary.canAddNew());
    };
    hooks.insertChoiceShown = [this](int item) { showInsertChoiceExtras(item); };
    hooks.redrawn = [this] {
        QStringList lines;
        for (const std::string& line : m_editor.text())
            lines << QString::fromStdString(line);
        m_text->setPlainText(lines.join(QLatin1Char('\n')));
        if (m_editor.librarySlot())
            setDiagnostic(QString::fromStdString(m_editor.diagnosticHex()));
    };
    // Said only where recording cannot see what the user does in other programs.
    hooks.captureChanged = [this](bool seesBackgroundInput) {
        m_captureNote->setVisible(!seesBackgroundInput);
    };
    m_list = new EventListEditor(state(), shell(), this, m_rules, std::move(c), std::move(hooks));
}

void MacroPage::redrawEvents() {
    m_list->redraw();
}

void MacroPage::setInputCapture(std::unique_ptr<platform::InputCapture> capture) {
    m_list->setInputCapture(std::move(capture));
}

void MacroPage::stopCapture() {
    m_list->stopCapture();
}

void MacroPage::recordInput(const core::InputEvent& event) {
    m_list->recordInput(event);
}

core::RecordSettings MacroPage::recordSettings(const DelayOptions& options) const {
    return m_list->recordSettings(options);
}

void MacroPage::toggleRecording() {
    m_list->toggleRecording();
}

void MacroPage::toggleInsertRecording() {
    m_list->toggleInsertRecording();
}

void MacroPage::editRow() {
    m_list->editRow();
}

void MacroPage::deleteRow() {
    m_list->deleteRow();
}

void MacroPage::openInsertPanel() {
    m_list->openInsertPanel();
}

void MacroPage::closeInsertPanel() {
    m_list->closeInsertPanel();
}

void MacroPage::insertOk() {
    m_list->insertOk();
}

void MacroPage::insertCancel() {
    m_list->insertCancel();
}

} // namespace tarvik::gui
