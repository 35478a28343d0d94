#pragma once
// The Fire Macro page ("gbPage6"): the seven weapon presets, the values of the fire macro segments
// of the selected preset (count, move, offsets, delay, colour), the has-left-key option, Confirm and
// Cancel, and the hidden service-mode editor of the fire macros.

#include "core/fire/FireBodyWalk.h"
#include "core/fire/FireMacroEditor.h"
#include "core/fire/FirePresetEdit.h"
#include "core/fire/FirePresets.h"
#include "gui/eventlist/EventListEditor.h"
#include "gui/pages/Page.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QWidget;

namespace tarvik::gui {

class CaptionLabel;
class MacroNameDialog;
class ColourSwatch;
class PictureControl;

class FirePage : public Page {
    Q_OBJECT
public:
    static constexpr int kPresets = core::kFirePresets;
    static constexpr int kSegments = 3;
    static constexpr int kGunModes = core::kFireGunModes;

    FirePage(const PageContext& context, QWidget* parent);
    ~FirePage() override;

    // Key_FireMacroClick: the page edits the preset for `button` (1..12, the SelectedButton of the
    // assignment editor) of Game Mode. The UserSection is read from the mouse into the WorkingImage
    // (its fire offsets) and preset 1 is shown. The caller shows the page alone.
    void openForButton(int button);
    int selectedButton() const { return m_button; }

    // Btn_FireConfirmClick and Btn_FireExitClick; both end with closed().
    void confirm();
    void cancel();

    // The access code dialog ("Password"), answered by tests: the typed code, or nothing when
    // cancelled. Without one the skinned dialog asks.
    using AskAccessCode = std::function<std::optional<QString>(QWidget* parent)>;
    void setAccessCodeAsker(AskAccessCode ask) { m_askAccessCode = std::move(ask); }
    // The "Macro Name" dialog of Rename; null until first opened.
    MacroNameDialog* nameDialog() const { return m_nameDialog; }

    bool serviceMode() const { return m_lock.on(); }
    const core::FireMacroEditor& fireEditor() const { return m_editor; }
    // One event of the input capture while recording (the capture calls it).
    void recordInput(const core::InputEvent& event);
    // The source of left-button events of recordings; without one, the system's is made when the
    // first recording starts.
    void setInputCapture(std::unique_ptr<platform::InputCapture> capture);

    void applyLayout() override;
    void applyLanguage() override;
    // Shows the selected preset again (preset 1 before any was chosen) from the editing copy of the
    // fire macros and the slots' offsets in the WorkingImage.
    void refreshFromImage() override;

    // Showing preset p (1..7): its segments' values, its gun-mode pictures and its selected picture.
    void showPreset(int preset);
    int selectedPreset() const { return m_preset; }
    // Where the values of a slot (0..9) were found when its preset was last shown.
    const core::FireSegmentView& slotView(int slot) const { return m_slotViews.at(slot); }

    // RefreshFireMacroName: one row per fire macro slot in use, from the editing copy.
    void refreshFireMacroNames();
    // The mouse is gone: the fire macro list is emptied.
    void clearFireMacroNames();
    // The right-click menus of the two fire lists.
    void hideMenus() override;
    // Confirm and Cancel end the page with closed(): the window shows the key page of the work mode
    // again.
    void openedForButton(int button) override { openForButton(button); }
    void fireMacroTableChanged() override { refreshFireMacroNames(); }
    void fireMacroTableCleared() override { clearFireMacroNames(); }

protected:
    // Img_Base_6DblClick: a double-click on the page background.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Segment {
        QLineEdit* count = nullptr;
        QLineEdit* x = nullptr;
        QLineEdit* y = nullptr;
        QLineEdit* xOffset = nullptr;
        QLineEdit* yOffset = nullptr;
        QLineEdit* time = nullptr;
        CaptionLabel* colourTarget = nullptr;
        ColourSwatch* swatch = nullptr;
        PictureControl* frame = nullptr;
        void setVisible(bool visible) const;
    };

    void buildServiceControls();
    void buildServiceMenusAndInsertPanel();
    void showSegment(int segment, int slot);
    void wireSegmentEdits();
    void fieldEdited(int segment, core::FireField field, QLineEdit* edit);
    void chooseColour(int segment);
    void toggleLeftKey();
    void closePage(PictureControl* picture);
    void setServiceControlsVisible(bool visible);
    void wireServiceEditor();
    void fireMacroChosen(int row);
    // A recording still running ends as by its Stop button.
    void endRecording();
    void renameFireMacro();
    // The rows of both fire macro lists are as high as those of the macro page's lists.
    int rowHeight() const;
    // The insert panel's captions at the page's text size, or smaller where their words would not fit.
    void fitInsertPanelTexts();

    std::array<PictureControl*, kPresets> m_presetPictures{};
    std::array<CaptionLabel*, kPresets> m_presetButtons{};
    std::array<QRadioButton*, kPresets> m_presetRadios{};
    QButtonGroup* m_presetGroup = nullptr;
    std::array<PictureControl*, kGunModes> m_gunModes{};
    std::array<Segment, kSegments> m_segments{};
    PictureControl* m_leftKeyMarker = nullptr;
    CaptionLabel* m_leftKeyTarget = nullptr;
    QCheckBox* m_leftKeyCheck = nullptr;
    PictureControl* m_confirmPicture = nullptr;
    CaptionLabel* m_confirm = nullptr;
    PictureControl* m_exitPicture = nullptr;
    CaptionLabel* m_exit = nullptr;
    CaptionLabel* m_recordButton = nullptr;
    QWidget* m_delayBox = nullptr;
    DelayOptions m_delayOptions;
    QListWidget* m_fireNames = nullptr;
    QListWidget* m_fireEvents = nullptr;
    QComboBox* m_insertChoice = nullptr;
    QWidget* m_insertPanel = nullptr;
    // The menus of the name list (Rename) and of the event list (Delete, Insert).
    std::array<QWidget*, 2> m_menus{};
    CaptionLabel* m_renameEntry = nullptr;
    CaptionLabel* m_deleteEntry = nullptr;
    CaptionLabel* m_insertEntry = nullptr;
    // The insert panel's fields, their captions and its two buttons.
    QLineEdit* m_insertDelay = nullptr;
    QLineEdit* m_insertX = nullptr;
    QLineEdit* m_insertY = nullptr;
    QLineEdit* m_insertRepeat = nullptr;
    QLabel* m_insertDelayCaption = nullptr;
    QLabel* m_insertDelayUnit = nullptr;
    QLabel* m_insertXCaption = nullptr;
    QLabel* m_insertYCaption = nullptr;
    QLabel* m_insertRepeatCaption = nullptr;
    PictureControl* m_okPicture = nullptr;
    CaptionLabel* m_ok = nullptr;
    PictureControl* m_cancelPicture = nullptr;
    CaptionLabel* m_cancel = nullptr;

    std::array<core::FireSegmentView, core::FireMacroStore::kSlots> m_slotViews{};
    std::array<std::size_t, core::FireMacroStore::kSlots> m_lengths{};
    int m_preset = 0;
    bool m_loadingPreset = false;
    int m_button = 1;

    core::ServiceModeLock m_lock;
    core::FireMacroEditor m_editor;
    FireEventRules m_rules{m_editor};
    EventListEditor* m_list = nullptr;
    std::vector<int> m_listedSlots; // slot of each row of LB_FireMacroName
    PictureControl* m_recordPicture = nullptr;
    PictureControl* m_delayPicture = nullptr;
    PictureControl* m_insertBacking = nullptr;
    AskAccessCode m_askAccessCode;
    MacroNameDialog* m_nameDialog = nullptr;
};

} // namespace tarvik::gui
