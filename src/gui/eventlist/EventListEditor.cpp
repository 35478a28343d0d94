#include "gui/eventlist/EventListEditor.h"

#include "core/edit/FieldRanges.h"
#include "gui/AppState.h"
#include "gui/dialogs/InputDelayTimeDialog.h"
#include "gui/dialogs/InputOneKeyDialog.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/eventlist/MacroEventDelegate.h"
#include "gui/pages/PageContext.h"
#include "gui/skin/PageControls.h"
#include "gui/skin/Skin.h"
#include "platform/InputCapture.h"
#include "platform/InputCaptureFactory.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>

namespace tarvik::gui {

using namespace pages;

namespace {

constexpr core::DelayMode kModes[3] = {core::DelayMode::RecordDelay, core::DelayMode::DefaultDelay,
                                       core::DelayMode::NoDelay};
const char* const kOptionNames[3] = {"RecDelay", "DelayTime", "NoDelay"};

int modeIndex(core::DelayMode mode) {
    for (int i = 0; i < 3; ++i)
        if (kModes[i] == mode)
            return i;
    return 2;
}

// A number field's value held to its range; a field that holds no number counts as its smallest.
int fieldValue(const QLineEdit* edit, core::FieldRange range) {
    bool ok = false;
    const long long value = edit->text().toLongLong(&ok);
    return ok ? range.clamp(value) : range.min;
}

// A number beyond the field's range shows the limit at once; a text that is no number yet ("",
// "-") stays, so that a value can be typed anew.
void guardField(QLineEdit* edit, core::FieldRange range) {
    if (!edit)
        return;
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, range](const QString& text) {
        if (const auto held = core::guardedFieldText(text.toStdString(), range, false))
            edit->setText(QString::fromStdString(*held));
    });
}

void setVisible(const std::vector<QWidget*>& widgets, bool visible) {
    for (QWidget* w : widgets)
        w->setVisible(visible);
}
} // namespace

DelayOptions DelayOptions::build(QWidget* parent, const QString& prefix) {
    DelayOptions options;
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < 3; ++i) {
        const QString name = prefix + QLatin1String(kOptionNames[i]);
        options.leds[i] = addPicture(parent, QStringLiteral("LED_") + name, twoState("RdS", i == 0));
        options.labels[i] = addCaption(parent, QStringLiteral("IB_") + name);
        options.labels[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        options.radios[i] = addHiddenRadio(parent, QStringLiteral("rb_") + name, group);
        options.radios[i]->setChecked(i == 0);
    }
    return options;
}

core::DelayMode DelayOptions::chosen() const {
    for (int i = 0; i < 3; ++i)
        if (radios[i] && radios[i]->isChecked())
            return kModes[i];
    return core::DelayMode::RecordDelay;
}

EventListEditor::EventListEditor(AppState& state, Shell& shell, QWidget* page, EventListRules& rules,
                                 EventListControls controls, EventListHooks hooks)
    : QObject(page), m_state(state), m_shell(shell), m_page(page), m_rules(rules),
      m_controls(std::move(controls)), m_hooks(std::move(hooks)) {
    wire();
}

EventListEditor::~EventListEditor() {
    stopCapture();
}

void EventListEditor::wire() {
    const EventListControls& c = m_controls;
    connect(c.record, &CaptionLabel::clicked, this, &EventListEditor::toggleRecording);
    if (c.insertRecord)
        connect(c.insertRecord, &CaptionLabel::clicked, this, &EventListEditor::toggleInsertRecording);
    // The click that stops a recording is no part of it.
    for (CaptionLabel* button : {c.record, c.insertRecord}) {
        if (!button)
            continue;
        connect(button, &CaptionLabel::entered, this, [this] { m_rules.setPointerOnRecordButton(true); });
        connect(button, &CaptionLabel::left, this, [this] { m_rules.setPointerOnRecordButton(false); });
    }
    for (int i = 0; i < 3; ++i) {
        connect(c.delay.labels[i], &CaptionLabel::clicked, this, [this, i] { showDelayMode(kModes[i]); });
        if (c.insertDelayOptions.labels[i])
            connect(c.insertDelayOptions.labels[i], &CaptionLabel::clicked, this,
                    [this, i] { showInsertDelayMode(kModes[i]); });
    }
    guardField(c.delay.edit, core::fields::kEventDelay);
    guardField(c.insertDelay, core::fields::kEventDelay);
    guardField(c.insertX, core::fields::kEventMove);
    guardField(c.insertY, core::fields::kEventMove);
    guardField(c.insertRepeat, core::fields::kEventRepeat);

    if (c.editEntry)
        connect(c.editEntry, &CaptionLabel::clicked, this, &EventListEditor::editRow);
    connect(c.deleteEntry, &CaptionLabel::clicked, this, &EventListEditor::deleteRow);
    connect(c.insertEntry, &CaptionLabel::clicked, this, &EventListEditor::openInsertPanel);
    connect(c.ok, &CaptionLabel::clicked, this, &EventListEditor::insertOk);
    connect(c.cancel, &CaptionLabel::clicked, this, &EventListEditor::insertCancel);
    connect(c.insertChoice, &QComboBox::currentIndexChanged, this, [this](int item) {
        if (item >= 0)
            applyInsertChoice(item);
    });
    connect(c.events, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_redrawing)
            return;
        const QList<QListWidgetItem*> selected = m_controls.events->selectedItems();
        m_rules.selectRow(selected.isEmpty() ? std::nullopt
                                             : std::optional<int>(m_controls.events->row(selected.front())));
    });
}

// --- drawing ------------------------------------------------------------------------------------

void EventListEditor::showLines(const core::MacroText& text) {
    QListWidget* list = m_controls.events;
    m_redrawing = true;
    list->clear();
    const QSize row(list->width() - 2, m_state.layoutInt("MacroNameHeight", 20));
    for (std::size_t i = 1; i < text.size(); ++i) { // the header line has no row
        auto* item = new QListWidgetItem(list);
        item->setData(MacroEventDelegate::kLineRole, QString::fromStdString(text[i]));
        item->setSizeHint(row);
    }
    m_redrawing = false;
}

void EventListEditor::redraw() {
    showLines(m_rules.text());
    m_redrawing = true;
    if (const auto row = m_rules.selectedRow(); row && *row < m_controls.events->count()) {
        m_controls.events->setCurrentRow(*row);
        m_controls.events->scrollToItem(m_controls.events->item(*row));
    }
    m_redrawing = false;
    if (m_hooks.redrawn)
        m_hooks.redrawn();
}

void EventListEditor::clearRows() {
    m_redrawing = true;
    m_controls.events->clear();
    m_redrawing = false;
}

void EventListEditor::applyLanguage() {
    m_controls.record->setText(m_state.text(m_rules.recording() ? "Str401" : "Str400"));
    if (m_controls.insertRecord)
        m_controls.insertRecord->setText(m_state.text(m_rules.insertRecording() ? "Str401" : "Str400"));
}

// --- the delay options ---------------------------------------------------------------------------

void EventListEditor::showDelayOptions(const DelayOptions& options, core::DelayMode mode) {
    const int chosen = modeIndex(mode);
    for (int i = 0; i < 3; ++i)
        options.leds[i]->setPicture(twoState("RdS", i == chosen));
    options.radios[chosen]->setChecked(true);
    if (!m_controls.delayEditFollowsMode)
        return;
    // The time can be typed only when every gap takes it.
    const bool editable = mode == core::DelayMode::DefaultDelay;
    options.edit->setEnabled(true);
    options.edit->setReadOnly(!editable);
    setTextLook(options.edit, 0, editable ? m_state.layoutColor(m_controls.textColour) : kDisabledTextColour);
}

void EventListEditor::showDelayMode(core::DelayMode mode) {
    showDelayOptions(m_controls.delay, mode);
}

void EventListEditor::showInsertDelayMode(core::DelayMode mode) {
    if (!m_controls.insertDelayOptions.edit)
        return;
    showDelayOptions(m_controls.insertDelayOptions, mode);
    if (m_controls.insertDelayUnit)
        setTextLook(m_controls.insertDelayUnit, 0,
                    mode == core::DelayMode::DefaultDelay ? m_state.layoutColor(m_controls.textColour)
                                                          : kDisabledTextColour);
}

core::RecordSettings EventListEditor::recordSettings(const DelayOptions& options) const {
    core::RecordSettings settings;
    settings.delayMode = options.chosen();
    settings.defaultDelay = static_cast<std::uint16_t>(fieldValue(options.edit, core::fields::kEventDelay));
    // The field shows the gap the recording takes.
    options.edit->setText(QString::number(settings.defaultDelay));
    return settings;
}

// --- capture -------------------------------------------------------------------------------------

void EventListEditor::setInputCapture(std::unique_ptr<platform::InputCapture> capture) {
    stopCapture();
    m_capture = std::move(capture);
    if (m_hooks.captureChanged)
        m_hooks.captureChanged(!m_capture || m_capture->seesBackgroundInput());
}

void EventListEditor::startCapture() {
    if (!m_capture)
        setInputCapture(platform::createInputCapture());
    m_capture->start([this](const core::InputEvent& event) { recordInput(event); });
}

void EventListEditor::stopCapture() {
    if (m_capture)
        m_capture->stop();
}

void EventListEditor::recordInput(const core::InputEvent& event) {
    const bool inserting = m_rules.insertRecording();
    if (!m_rules.recording() && !inserting)
        return;
    const core::MacroRecorder::Feed fed = m_rules.feed(event);
    const bool ended = fed.stopped || (inserting ? !m_rules.insertRecording() : !m_rules.recording());
    if (!ended) {
        if (fed.taken)
            redraw();
        return;
    }
    // The macro is full: the recording ended as its Stop button ends it.
    stopCapture();
    if (inserting)
        showInsertRecordingStopped();
    else
        showRecordingStopped();
    redraw();
}

// --- normal recording ----------------------------------------------------------------------------

void EventListEditor::toggleRecording() {
    m_controls.recordPicture->setPicture(QStringLiteral("MacroS_03"));
    if (m_rules.recording()) {
        stopCapture();
        m_rules.stopRecording();
        showRecordingStopped();
        redraw();
        return;
    }
    if (m_hooks.hideMenus)
        m_hooks.hideMenus();
    if (!m_rules.startRecording(recordSettings(m_controls.delay)))
        return;
    startCapture();
    m_controls.record->setText(m_state.text("Str401"));
    if (m_controls.delayEditFollowsMode)
        setTextLook(m_controls.delay.edit, 0, kDisabledTextColour);
    if (m_hooks.recordingChanged)
        m_hooks.recordingChanged(true);
    redraw();
    m_controls.events->setFocus();
}

void EventListEditor::showRecordingStopped() {
    m_controls.record->setText(m_state.text("Str400"));
    showDelayMode(m_controls.delay.chosen());
    if (m_hooks.recordingChanged)
        m_hooks.recordingChanged(false);
}

// --- Edit and Delete -----------------------------------------------------------------------------

void EventListEditor::editRow() {
    if (m_hooks.hideMenus)
        m_hooks.hideMenus();
    const auto kind = m_rules.editKind();
    const auto row = m_rules.selectedRow();
    if (!kind || !row)
        return;
    const int editedRow = *row;
    QWidget* main = m_page->window();
    if (*kind == core::EditKind::Delay) {
        const std::string& line = m_rules.text()[static_cast<std::size_t>(editedRow) + 1];
        auto* dialog = new InputDelayTimeDialog(m_state, main, QString::fromStdString(line.substr(2)),
                                                [this, editedRow](const QString& typed) {
                                                    m_rules.selectRow(editedRow);
                                                    m_rules.replaceDelayLine(typed.toStdString());
                                                    redraw();
                                                });
        dialog->open();
        return;
    }
    const core::EditKind stepKind = *kind;
    auto* dialog =
        new InputOneKeyDialog(m_state, main, static_cast<int>(stepKind),
                              [this, editedRow, stepKind](const QString& name, const QString& step) {
                                  m_rules.selectRow(editedRow);
                                  m_rules.replaceKeyLine(stepKind, name.toStdString(), step.toStdString());
                                  redraw();
                              });
    dialog->open();
}

void EventListEditor::deleteRow() {
    if (m_hooks.hideMenus)
        m_hooks.hideMenus();
    const EventListRules::Deleted result = m_rules.deleteSelected();
    if (result.contentError) {
        MessageSeam::showMessageBox(m_page->window(), QStringLiteral("Macro Content Error"));
        return;
    }
    if (result.changed)
        redraw();
}

// --- the insert panel ----------------------------------------------------------------------------

void EventListEditor::openInsertPanel() {
    if (m_hooks.hideMenus)
        m_hooks.hideMenus();
    const int top = m_controls.events->indexAt(QPoint(1, 1)).row();
    if (!m_rules.openInsertPanel(std::max(top, 0)))
        return;
    m_controls.record->setEnabled(false);
    if (m_hooks.insertPanelChanged)
        m_hooks.insertPanelChanged(true);
    m_controls.delayBox->hide();
    if (m_controls.delayPicture)
        m_controls.delayPicture->hide();
    m_controls.insertBacking->show();
    m_controls.insertPanel->show();
    m_controls.insertPanel->raise();
    {
        const QSignalBlocker blocker(m_controls.insertChoice);
        m_controls.insertChoice->setCurrentIndex(0);
    }
    applyInsertChoice(0);
}

void EventListEditor::applyInsertChoice(int item) {
    const auto choice = core::insertChoiceOfItem(item, m_controls.fireChoices);
    const auto is = [&choice](core::InsertChoice a, core::InsertChoice b) {
        return choice == a || choice == b;
    };
    setVisible(m_controls.delayChoiceControls,
               is(core::InsertChoice::DelayFront, core::InsertChoice::DelayBack));
    setVisible(m_controls.keyChoiceControls, is(core::InsertChoice::KeyFront, core::InsertChoice::KeyBack));
    setVisible(m_controls.moveChoiceControls,
               is(core::InsertChoice::MoveFront, core::InsertChoice::MoveBack));
    setVisible(m_controls.repeatChoiceControls,
               is(core::InsertChoice::RepeatStart, core::InsertChoice::RepeatStop));
    if (m_hooks.insertChoiceShown)
        m_hooks.insertChoiceShown(item);
}

void EventListEditor::closeInsertPanel() {
    m_controls.insertPanel->hide();
    m_controls.insertBacking->hide();
    m_controls.record->setEnabled(true);
    if (m_hooks.insertPanelChanged)
        m_hooks.insertPanelChanged(false);
    m_controls.delayBox->show();
    if (m_controls.delayPicture)
        m_controls.delayPicture->show();
}

void EventListEditor::toggleInsertRecording() {
    if (!m_controls.insertRecord)
        return;
    m_controls.insertRecordPicture->setPicture(QStringLiteral("MacroS_03"));
    if (m_rules.insertRecording()) {
        stopCapture();
        m_rules.stopInsertRecording();
        showInsertRecordingStopped();
        redraw();
        return;
    }
    const auto choice =
        core::insertChoiceOfItem(m_controls.insertChoice->currentIndex(), m_controls.fireChoices);
    if (!choice || !m_rules.startInsertRecording(*choice, recordSettings(m_controls.insertDelayOptions)))
        return;
    startCapture();
    m_controls.insertRecord->setText(m_state.text("Str401"));
    const DelayOptions& options = m_controls.insertDelayOptions;
    for (QWidget* w : {static_cast<QWidget*>(options.labels[0]), static_cast<QWidget*>(options.labels[1]),
                       static_cast<QWidget*>(options.labels[2]), static_cast<QWidget*>(options.edit),
                       m_controls.insertDelayUnit})
        if (w)
            setTextLook(w, 0, kDisabledTextColour);
    m_controls.insertChoice->setEnabled(false);
    if (m_controls.insertCover) {
        m_controls.insertCover->show();
        m_controls.insertCover->raise();
    }
    redraw();
}

void EventListEditor::showInsertRecordingStopped() {
    m_controls.insertRecord->setText(m_state.text("Str400"));
    const QColor text = m_state.layoutColor(m_controls.textColour);
    for (CaptionLabel* label : m_controls.insertDelayOptions.labels)
        setTextLook(label, 0, text);
    showInsertDelayMode(m_controls.insertDelayOptions.chosen());
    m_controls.insertChoice->setEnabled(true);
    if (m_controls.insertCover)
        m_controls.insertCover->hide();
}

core::InsertValues EventListEditor::insertValues() const {
    core::InsertValues values;
    values.delay = fieldValue(m_controls.insertDelay, core::fields::kEventDelay);
    values.x = fieldValue(m_controls.insertX, core::fields::kEventMove);
    values.y = fieldValue(m_controls.insertY, core::fields::kEventMove);
    values.repeat = fieldValue(m_controls.insertRepeat, core::fields::kEventRepeat);
    return values;
}

void EventListEditor::insertOk() {
    m_controls.okPicture->setPicture(QStringLiteral("MacroBtnS_03"));
    // A recording still running ends before its lines are taken.
    if (m_rules.insertRecording()) {
        stopCapture();
        m_rules.stopInsertRecording();
        showInsertRecordingStopped();
    }
    const EventListRules::Inserted inserted =
        m_rules.insertOk(m_controls.insertChoice->currentIndex(), insertValues());
    if (!m_rules.insertPanelOpen() && m_controls.insertPanel->isVisibleTo(m_page))
        closeInsertPanel();
    if (inserted == EventListRules::Inserted::NoRoom)
        m_shell.showMessage("Str103");
    redraw();
}

void EventListEditor::insertCancel() {
    m_controls.cancelPicture->setPicture(QStringLiteral("MacroBtnS_03"));
    if (m_rules.insertRecording()) {
        stopCapture();
        showInsertRecordingStopped();
    }
    const int top = m_rules.insertCancel();
    closeInsertPanel();
    redraw();
    if (QListWidgetItem* item = m_controls.events->item(top))
        m_controls.events->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

} // namespace tarvik::gui
