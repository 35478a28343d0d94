#pragma once
// The Advanced page ("gbPage2"): eight DPI levels on the ladder of twelve steps with their colours and
// the current-level marker, the AIM DPI, the report rate, the three fire keys and the pointer
// settings of the operating system.

#include "core/settings/PointerState.h"
#include "core/settings/PointerTables.h"
#include "core/settings/SettingWrites.h"
#include "gui/pages/Page.h"
#include "platform/PointerSettings.h"

#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QCheckBox;

namespace tarvik::gui {

class CaptionLabel;
class CellBar;
class ColourSwatch;
class PictureControl;

class AdvancedPage : public Page {
    Q_OBJECT
public:
    static constexpr int kLevels = core::DpiState::kLevels;
    static constexpr int kSteps = core::DpiState::kSteps;
    static constexpr int kPointerCells = core::kPointerLevels;

    AdvancedPage(const PageContext& context, QWidget* parent);

    void applyLayout() override;
    void applyLanguage() override;
    // DPI rows and their count, DPI colours (hidden for "Sync" lighting), current level, report rate,
    // the fire key rows and the AIM DPI, from the image and the DPI and fire-key settings taken
    // from it.
    void refreshFromImage() override;
    // RefreshAIMKey's drawing: the AIM DPI of the profile shown.
    void profileShown(int mode) override;

    // Lights AIM cell `step` (1..12) alone, shows its DPI text and makes it the AIM step; other
    // steps change nothing.
    void setAimStep(int step);
    // The current-level marker as the DPI settings hold it (after the mouse reported a new level).
    void showCurrentDpi();
    // The desktop's pointer settings the page reads and changes (owned by the window; null for none).
    // A setting the desktop lacks has its controls disabled, with a tooltip saying so.
    void setPointerSettings(platform::PointerSettings* settings);
    // Reads the desktop's pointer settings back and draws them (nothing is applied).
    void readPointerSettings();
    void currentDpiChanged() override { showCurrentDpi(); }
    void pointerSettingsChanged() override { readPointerSettings(); }
    const core::PointerState& pointerState() const { return m_pointerState; }

    // The tooltip of a control whose setting the desktop does not have.
    QString missingSettingTip() const;

    QString dpiStepText(int index) const { return m_stepTexts.at(index); }

private:
    struct DpiRow {
        CaptionLabel* caption = nullptr;
        QLabel* value = nullptr;
        std::array<PictureControl*, kSteps> cells{};
        PictureControl* marker = nullptr;
        ColourSwatch* swatch = nullptr;
        PictureControl* frame = nullptr;
        CaptionLabel* colourTarget = nullptr;
        std::array<QLineEdit*, 3> colourEdits{};
    };
    struct PointerBar {
        std::array<PictureControl*, kPointerCells> cells{};
        std::array<CaptionLabel*, kPointerCells> captions{};
    };
    struct FireKeyRow {
        QLineEdit* count = nullptr;
        QLineEdit* delay = nullptr;
        PictureControl* marker = nullptr;
        CaptionLabel* target = nullptr;
        QCheckBox* check = nullptr;
    };

    void buildDpiRows();
    void buildPointerControls();
    // The keyboard's and screen reader's view of the page: one focusable bar over each row of cells,
    // radio and check box roles, and names.
    void buildKeyboardControls();
    void nameControls();
    void layoutBar(const std::array<PictureControl*, kSteps>& cells, QPoint origin);
    void layoutPointerBar(PointerBar& bar, const std::string& prefix);
    void lightStep(std::array<PictureControl*, kSteps>& cells, int step); // 1..12
    void showDpiStep(int level);
    void showCurrentMarkers(int index);
    void showReportRate(int code);
    void showFireKeys();
    void showAimStep();
    void showDpiColours(bool shown);
    void styleDpiCaptions();
    void connectHandlers();

    void dpiStepClicked(int level, int step);
    void currentDpiClicked(int level);
    void dpiColourClicked(int level);
    void aimStepClicked(int step);
    void reportRateClicked(int n);
    void fireCountEdited(int key);
    void fireIntervalEdited(int key);
    void fireContinuousClicked(int key);
    std::array<core::FireKeySetting, 3> fireKeysFromEdits() const;
    // The fire key settings of the edits to the buttons that carry the keys and to the mouse.
    void sendFireKeys();

    void pointerCellClicked(PointerBar& bar, int level);
    void precisionClicked();
    void oneScreenClicked();
    void applyPointerSettings();
    void showPointerState();
    bool supports(platform::PointerSetting setting) const;
    // Under each pointer control the desktop does not offer, in words, why it is greyed.
    void showMissingNotes();
    // Each pointer control enabled when the desktop has its setting, else greyed with a tip and a note.
    void offerPointerSettings();
    // A disabled caption's words in grey, as the page's other disabled controls.
    static void greyWhenDisabled(QWidget* widget);

    std::array<DpiRow, kLevels> m_rows{};
    QButtonGroup* m_dpiGroup = nullptr;
    CaptionLabel* m_aimCaption = nullptr;
    QLabel* m_aimValue = nullptr;
    std::array<PictureControl*, kSteps> m_aimCells{};
    std::array<PictureControl*, 4> m_rateMarkers{};
    std::array<CaptionLabel*, 4> m_rateTargets{};
    QButtonGroup* m_rateGroup = nullptr;
    std::array<FireKeyRow, 3> m_fireKeys{};
    PointerBar m_speed, m_doubleClick, m_wheel;
    PictureControl* m_precisionMarker = nullptr;
    CaptionLabel* m_precisionTarget = nullptr;
    PictureControl* m_screenMarker = nullptr;
    CaptionLabel* m_screenTarget = nullptr;

    std::array<QString, kSteps> m_stepTexts{};

    std::array<QLabel*, 5> m_missingNotes{}; // speed, double-click, wheel, precision, one screen
    std::array<CellBar*, kLevels> m_dpiBars{};
    CellBar* m_currentBar = nullptr;
    CellBar* m_aimBar = nullptr;
    std::array<CellBar*, 3> m_pointerBars{}; // speed, double-click, wheel

    platform::PointerSettings* m_pointerSettings = nullptr;
    core::PointerState m_pointerState;
};

} // namespace tarvik::gui
