// The macro page's recorder and event editor: Record/Stop with its delay options, Edit and Delete of
// an event, and the insert panel with its insert recording. The rules are core's (MacroEditor,
// MacroRecorder, MacroEditing); this draws them and hands over what the user does.

#include "core/macros/MacroEditing.h"
#include "gui/AppState.h"
#include "gui/dialogs/InputDelayTimeDialog.h"
#include "gui/dialogs/InputOneKeyDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/macros/MacroPage.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PageControls.h"
#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"
#include "platform/InputCapture.h"
#include "platform/InputCaptureFactory.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace tarvik::gui {

using namespace pages;

namespace {

constexpr core::DelayMode kModes[3] = {core::DelayMode::RecordDelay, core::DelayMode::DefaultDelay,
                                       core::DelayMode::NoDelay};

// A number field's value held to its range; a field that holds no number counts as its smallest.
int fieldValue(const QLineEdit* edit, int min, int max) {
    bool ok = false;
    const int value = edit->text().toInt(&ok);
    return ok ? std::clamp(value, min, max) : min;
}

void guardField(QLineEdit* edit, int min, int max) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, min, max](const QString& text) {
        if (const auto held = core::guardedFieldText(text.toStdString(), min, max, false))
            edit->setText(QString::fromStdString(*held));
    });
}
} // namespace

void MacroPage::wireEditing() {
    connect(m_record, &CaptionLabel::clicked, this, &MacroPage::toggleRecording);
    connect(m_insertRecord, &CaptionLabel::clicked, this, &MacroPage::toggleInsertRecording);
    // The click that stops a recording is no part of it.
    for (CaptionLabel* button : {m_record, m_insertRecord, m_new}) {
        connect(button, &CaptionLabel::entered, this, [this] { m_editor.setPointerOnRecordButton(true); });
        connect(button, &CaptionLabel::left, this, [this] { m_editor.setPointerOnRecordButton(false); });
    }
    for (int i = 0; i < 3; ++i) {
        connect(m_delay.labels[i], &CaptionLabel::clicked, this, [this, i] { showDelayMode(kModes[i]); });
        connect(m_insertDelay.labels[i], &CaptionLabel::clicked, this,
                [this, i] { showInsertDelayMode(kModes[i]); });
    }
    guardField(m_delay.edit, 1, 65535);
    guardField(m_insertDelay.edit, 1, 65535);
    guardField(static_cast<QLineEdit*>(m_axisControls[1]), -127, 127);
    guardField(static_cast<QLineEdit*>(m_axisControls[3]), -127, 127);
    guardField(static_cast<QLineEdit*>(m_repeatControls[1]), 1, 255);

    const std::pair<const char*, void (MacroPage::*)()> entries[] = {
        {"Btn_Edit", &MacroPage::editRow},
        {"Btn_Del", &MacroPage::deleteRow},
        {"Btn_Insert", &MacroPage::openInsertPanel},
    };
    for (const auto& [name, action] : entries)
        connect(m_menus[2]->findChild<CaptionLabel*>(QString::fromLatin1(name)), &CaptionLabel::clicked, this,
                action);
    connect(m_ok, &CaptionLabel::clicked, this, &MacroPage::insertOk);
    connect(m_cancel, &CaptionLabel::clicked, this, &MacroPage::insertCancel);
    connect(m_events, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_redrawing)
            return;
        const int row = selectedRow(m_events);
        m_editor.selectRow(row >= 0 ? std::optional<int>(row) : std::nullopt);
    });
}

void MacroPage::redrawEvents() {
    m_redrawing = true;
    showMacroText(m_editor.text());
    if (const auto row = m_editor.selectedRow(); row && *row < m_events->count()) {
        m_events->setCurrentRow(*row);
        m_events->scrollToItem(m_events->item(*row));
    }
    if (m_editor.librarySlot())
        setDiagnostic(QString::fromStdString(m_editor.diagnosticHex()));
    m_redrawing = false;
}

// --- capture -------------------------------------------------------------------------------------

void MacroPage::setInputCapture(std::unique_ptr<platform::InputCapture> capture) {
    stopCapture();
    m_capture = std::move(capture);
    m_captureNote->setVisible(m_capture && !m_capture->seesBackgroundInput());
}

void MacroPage::ensureCapture() {
    if (!m_capture)
        setInputCapture(platform::createInputCapture());
}

void MacroPage::startCapture() {
    ensureCapture();
    m_capture->start([this](const core::InputEvent& event) { recordInput(event); });
}

void MacroPage::stopCapture() {
    if (m_capture)
        m_capture->stop();
}

void MacroPage::recordInput(const core::InputEvent& event) {
    const bool inserting = m_editor.insertRecording();
    if (!m_editor.recording() && !inserting)
        return;
    const core::MacroRecorder::Feed fed = m_editor.feed(event);
    if (!fed.stopped) {
        if (fed.taken)
            redrawEvents();
        return;
    }
    // The macro is full: the recording ended as its Stop button ends it.
    stopCapture();
    if (inserting)
        showInsertRecordingStopped();
    else
        showRecordingStopped();
    redrawEvents();
}

core::RecordSettings MacroPage::recordSettings(const DelayOptions& options) const {
    core::RecordSettings settings;
    const QList<QRadioButton*> radios = options.edit->parentWidget()->findChildren<QRadioButton*>();
    for (int i = 0; i < 3 && i < radios.size(); ++i)
        if (radios[i]->isChecked())
            settings.delayMode = kModes[i];
    settings.defaultDelay = static_cast<std::uint16_t>(fieldValue(options.edit, 1, 65535));
    options.edit->setText(QString::number(settings.defaultDelay));
    return settings;
}

// --- normal recording ----------------------------------------------------------------------------

void MacroPage::toggleRecording() {
    findChild<PictureControl*>(QStringLiteral("Img_Start"))->setPicture(QStringLiteral("MacroS_03"));
    if (m_editor.recording()) {
        stopCapture();
        m_editor.stopRecording();
        showRecordingStopped();
        redrawEvents();
        return;
    }
    hideMenus();
    if (!m_editor.startRecording(recordSettings(m_delay)))
        return;
    startCapture();
    m_record->setText(state().text("Str401"));
    setTextLook(m_delay.edit, 0, kDisabledTextColour);
    for (QWidget* w : std::initializer_list<QWidget*>{m_library, m_device, m_events, m_new})
        w->setEnabled(false);
    redrawEvents();
    m_events->setFocus();
}

void MacroPage::showRecordingStopped() {
    m_record->setText(state().text("Str400"));
    showDelayMode(recordSettings(m_delay).delayMode);
    m_library->setEnabled(true);
    m_device->setEnabled(true);
    m_events->setEnabled(true);
    m_new->setEnabled(state().macroLibrary.canAddNew());
}

// --- Edit and Delete -----------------------------------------------------------------------------

void MacroPage::editRow() {
    hideMenus();
    const auto kind = m_editor.editKind();
    const auto row = m_editor.selectedRow();
    if (!kind || !row)
        return;
    const int editedRow = *row;
    if (*kind == core::EditKind::Delay) {
        const std::string& line = m_editor.text()[static_cast<std::size_t>(editedRow) + 1];
        auto* dialog = new InputDelayTimeDialog(state(), window(), QString::fromStdString(line.substr(2)),
                                                [this, editedRow](const QString& typed) {
                                                    m_editor.selectRow(editedRow);
                                                    m_editor.replaceDelayLine(typed.toStdString());
                                                    redrawEvents();
                                                });
        dialog->open();
        return;
    }
    const core::EditKind stepKind = *kind;
    auto* dialog =
        new InputOneKeyDialog(state(), window(), static_cast<int>(stepKind),
                              [this, editedRow, stepKind](const QString& name, const QString& step) {
                                  m_editor.selectRow(editedRow);
                                  m_editor.replaceKeyLine(stepKind, name.toStdString(), step.toStdString());
                                  redrawEvents();
                              });
    dialog->open();
}

void MacroPage::deleteRow() {
    hideMenus();
    const core::EditResult result = m_editor.deleteSelected();
    if (result.contentError) {
        MessageSeam::showMessageBox(window(), QStringLiteral("Macro Content Error"));
        return;
    }
    if (result.changed)
        redrawEvents();
}

// --- the insert panel ----------------------------------------------------------------------------

void MacroPage::openInsertPanel() {
    hideMenus();
    const int top = m_events->indexAt(QPoint(1, 1)).row();
    if (!m_editor.openInsertPanel(std::max(top, 0)))
        return;
    m_device->setEnabled(false);
    m_new->setEnabled(false);
    m_record->setEnabled(false);
    setTextLook(m_insertDelayControls[2], 0, kDisabledTextColour);
    m_delayBox->hide();
    m_insertBase->show();
    m_insertBox->show();
    m_insertBox->raise();
    {
        const QSignalBlocker blocker(m_insertChoice);
        m_insertChoice->setCurrentIndex(0);
    }
    applyInsertChoice(0);
}

void MacroPage::closeInsertPanel() {
    m_insertBox->hide();
    m_insertBase->hide();
    m_device->setEnabled(true);
    m_new->setEnabled(state().macroLibrary.canAddNew());
    m_record->setEnabled(true);
    m_delayBox->show();
}

void MacroPage::toggleInsertRecording() {
    m_insertBox->findChild<PictureControl*>(QStringLiteral("Img_InsertStart"))
        ->setPicture(QStringLiteral("MacroS_03"));
    if (m_editor.insertRecording()) {
        stopCapture();
        m_editor.stopInsertRecording();
        showInsertRecordingStopped();
        redrawEvents();
        return;
    }
    const auto choice = core::insertChoiceOfItem(m_insertChoice->currentIndex(), false);
    if (!choice || !m_editor.startInsertRecording(*choice, recordSettings(m_insertDelay)))
        return;
    startCapture();
    m_insertRecord->setText(state().text("Str401"));
    for (QWidget* w :
         {static_cast<QWidget*>(m_insertDelay.labels[0]), static_cast<QWidget*>(m_insertDelay.labels[1]),
          static_cast<QWidget*>(m_insertDelay.labels[2]), static_cast<QWidget*>(m_insertDelay.edit),
          m_insertDelayControls[2]})
        setTextLook(w, 0, kDisabledTextColour);
    m_insertChoice->setEnabled(false);
    m_insertCover->show();
    m_insertCover->raise();
    redrawEvents();
}

void MacroPage::showInsertRecordingStopped() {
    m_insertRecord->setText(state().text("Str400"));
    const QColor text = state().layoutColor("Color_F");
    for (CaptionLabel* label : m_insertDelay.labels)
        setTextLook(label, 0, text);
    showInsertDelayMode(recordSettings(m_insertDelay).delayMode);
    m_insertChoice->setEnabled(true);
    m_insertCover->hide();
}

core::InsertValues MacroPage::insertValues() const {
    core::InsertValues values;
    values.delay = fieldValue(m_insertDelay.edit, 1, 65535);
    values.x = fieldValue(static_cast<QLineEdit*>(m_axisControls[1]), -127, 127);
    values.y = fieldValue(static_cast<QLineEdit*>(m_axisControls[3]), -127, 127);
    values.repeat = fieldValue(static_cast<QLineEdit*>(m_repeatControls[1]), 1, 255);
    return values;
}

void MacroPage::insertOk() {
    m_insertBox->findChild<PictureControl*>(QStringLiteral("Img_OK"))
        ->setPicture(QStringLiteral("MacroBtnS_03"));
    // A recording still running ends before its lines are taken.
    if (m_editor.insertRecording()) {
        stopCapture();
        m_editor.stopInsertRecording();
        showInsertRecordingStopped();
    }
    const auto choice = core::insertChoiceOfItem(m_insertChoice->currentIndex(), false);
    if (!choice)
        return;
    switch (m_editor.insertOk(*choice, insertValues())) {
    case core::MacroEditor::OkOutcome::Inserted:
        closeInsertPanel();
        break;
    case core::MacroEditor::OkOutcome::NoRoom:
        shell().showMessage("Str103");
        break;
    case core::MacroEditor::OkOutcome::NeedsRow:
    case core::MacroEditor::OkOutcome::Closed:
        break;
    }
    redrawEvents();
}

void MacroPage::insertCancel() {
    m_insertBox->findChild<PictureControl*>(QStringLiteral("Img_Cancel"))
        ->setPicture(QStringLiteral("MacroBtnS_03"));
    if (m_editor.insertRecording()) {
        stopCapture();
        showInsertRecordingStopped();
    }
    const int top = m_editor.insertCancel();
    closeInsertPanel();
    redrawEvents();
    if (QListWidgetItem* item = m_events->item(top))
        m_events->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

} // namespace tarvik::gui
