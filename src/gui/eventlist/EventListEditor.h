#pragma once
// The event list of a macro with its editing controls, as the macro page and the fire page's service
// mode both show it: Record/Stop with its delay options, Edit, Delete and Insert of the list's menu,
// and the insert panel with its OK and Cancel. Each page builds and places its own controls under
// its own names and pictures and hands them over in EventListControls; the handlers are these, one
// set for both pages. The rules over the event text stay in core (EventListRules); what only one
// page does around an action (other lists to disable, a diagnostic view) it does in its hooks.

#include "core/macros/MacroRecorder.h"
#include "gui/eventlist/EventListRules.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QWidget;

namespace tarvik::platform {
class InputCapture;
}

namespace tarvik::gui {

struct AppState;
class CaptionLabel;
class PictureControl;
class Shell;

// The three delay options of a recording (RecordDelay, DefaultDelay, NoDelay): a LED, a clickable
// caption and a hidden radio button each, and the time field of DefaultDelay.
struct DelayOptions {
    std::array<PictureControl*, 3> leds{};
    std::array<CaptionLabel*, 3> labels{};
    std::array<QRadioButton*, 3> radios{};
    QLineEdit* edit = nullptr;

    // "LED_<prefix><option>", "IB_<prefix><option>" and "rb_<prefix><option>" for the options
    // "RecDelay", "DelayTime" and "NoDelay" in `parent`, RecordDelay chosen; the page places them
    // and makes the time field.
    static DelayOptions build(QWidget* parent, const QString& prefix);
    core::DelayMode chosen() const;
};

struct EventListControls {
    QListWidget* events = nullptr;
    CaptionLabel* record = nullptr;
    PictureControl* recordPicture = nullptr;
    // The delay options of a recording, in their box; the box's backing picture where it has one.
    QWidget* delayBox = nullptr;
    PictureControl* delayPicture = nullptr;
    DelayOptions delay;
    // The time field can be typed into only while DefaultDelay is chosen (and is grey otherwise).
    bool delayEditFollowsMode = false;
    // Layout colour key of the page's text ("Color_F").
    const char* textColour = "Color_F";

    // The event list's menu; Edit where the editor offers it.
    CaptionLabel* editEntry = nullptr;
    CaptionLabel* deleteEntry = nullptr;
    CaptionLabel* insertEntry = nullptr;

    // The insert panel, shown in the delay box's place, over its backing picture.
    QWidget* insertPanel = nullptr;
    PictureControl* insertBacking = nullptr;
    QComboBox* insertChoice = nullptr;
    bool fireChoices = false; // the choice list lacks the two key items (core::insertChoiceOfItem)
    QLineEdit* insertDelay = nullptr;
    QLineEdit* insertX = nullptr;
    QLineEdit* insertY = nullptr;
    QLineEdit* insertRepeat = nullptr;
    // Shown only for their kind of choice.
    std::vector<QWidget*> delayChoiceControls;
    std::vector<QWidget*> moveChoiceControls;
    std::vector<QWidget*> repeatChoiceControls;
    std::vector<QWidget*> keyChoiceControls;
    CaptionLabel* ok = nullptr;
    PictureControl* okPicture = nullptr;
    CaptionLabel* cancel = nullptr;
    PictureControl* cancelPicture = nullptr;

    // Recording into the insert panel (key choices), where the page has it: its Record/Stop, its
    // delay options (their time field is insertDelay), the unit after that field and the cover
    // over the options while it runs.
    CaptionLabel* insertRecord = nullptr;
    PictureControl* insertRecordPicture = nullptr;
    DelayOptions insertDelayOptions;
    QWidget* insertDelayUnit = nullptr;
    QWidget* insertCover = nullptr;
};

// What the page does around the shared actions.
struct EventListHooks {
    // The page's right-click menus close (before Record, Edit, Delete and Insert).
    std::function<void()> hideMenus;
    // A normal recording started or ended: the page disables or enables what may not be used meanwhile.
    std::function<void(bool recording)> recordingChanged;
    // The insert panel opened or closed: the same for the panel.
    std::function<void(bool open)> insertPanelChanged;
    // A choice of the insert panel was shown: what the page shows beyond the choice's controls.
    std::function<void(int item)> insertChoiceShown;
    // The list was drawn again from the editor's text.
    std::function<void()> redrawn;
    // Another capture is used: whether it sees input meant for other programs.
    std::function<void(bool seesBackgroundInput)> captureChanged;
};

class EventListEditor : public QObject {
    Q_OBJECT
public:
    EventListEditor(AppState& state, Shell& shell, QWidget* page, EventListRules& rules,
                    EventListControls controls, EventListHooks hooks);
    ~EventListEditor() override;

    const EventListControls& controls() const { return m_controls; }

    // The source of key and button events of recordings; without one, the system's is made when
    // the first recording starts.
    void setInputCapture(std::unique_ptr<platform::InputCapture> capture);
    // One event of the capture while a recording runs.
    void recordInput(const core::InputEvent& event);
    void stopCapture();

    // Record/Stop of a normal recording and of an insert recording.
    void toggleRecording();
    void toggleInsertRecording();
    // The menu's Edit, Delete and Insert of the selected row.
    void editRow();
    void deleteRow();
    void openInsertPanel();
    // The insert panel's choice, OK and Cancel; closing it without either.
    void applyInsertChoice(int item);
    void insertOk();
    void insertCancel();
    void closeInsertPanel();

    // The delay options as a click on one of them shows them.
    void showDelayMode(core::DelayMode mode);
    void showInsertDelayMode(core::DelayMode mode);
    core::RecordSettings recordSettings(const DelayOptions& options) const;
    core::InsertValues insertValues() const;

    // The list drawn again from the editor's text, or from `text` (a macro shown but not edited);
    // emptied without telling the editor.
    void redraw();
    void showLines(const core::MacroText& text);
    void clearRows();

    // Record captions in the current language, as the recordings stand.
    void applyLanguage();

private:
    void wire();
    void showDelayOptions(const DelayOptions& options, core::DelayMode mode);
    void showRecordingStopped();
    void showInsertRecordingStopped();
    void startCapture();

    AppState& m_state;
    Shell& m_shell;
    QWidget* m_page;
    EventListRules& m_rules;
    EventListControls m_controls;
    EventListHooks m_hooks;
    std::unique_ptr<platform::InputCapture> m_capture;
    bool m_redrawing = false;
};

} // namespace tarvik::gui
