#pragma once
// The Advanced page ("gbPage2"): eight DPI levels on the ladder of twelve steps with their colours and
// the current-level marker, the AIM DPI, the report rate, the three fire keys and the pointer
// settings of the operating system.

#include "gui/PointerSettings.h"
#include "gui/pages/Page.h"

#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QCheckBox;

namespace tarvik::gui {

class CaptionLabel;
class ColourSwatch;
class PictureControl;

class AdvancedPage : public Page {
    Q_OBJECT
public:
    static constexpr int kLevels = 8;
    static constexpr int kSteps = 12;
    static constexpr int kPointerCells = 11;

    AdvancedPage(AppState& state, QWidget* parent);

    void applyLayout() override;
    void applyLanguage() override;
    // DPI rows and their count, DPI colours (hidden for "Sync" lighting), current level, report rate
    // and the fire key counts and intervals.
    void refreshFromImage() override;

    // --- For the shell's fire-key and AIM displays of the current work mode
    // Fire key k (1..3): count and interval edits, continuous marker and check box.
    void setFireKeyDisplay(int key, int count, int delay, bool continuous);
    // Lights AIM cell `step` (1..12) alone and shows its DPI text; other steps change nothing.
    void setAimStep(int step);
    int aimStep() const { return m_aimStep; }
    // The current-level marker for a CurrentDpi read back from the mouse (0..7); a value outside
    // the enabled levels (0xFF of a failed read) changes nothing.
    void setCurrentDpi(int index);
    // The mouse is gone: no report rate is known to be in force any more.
    void forgetReportRate();
    // The operating system's pointer settings on the three bars and two options; a value that is
    // not on its bar's table leaves that bar as it was.
    void showPointerSettings(const PointerParameters& parameters);

    // --- What the page shows, for the handlers that write it to the mouse
    int enabledDpiLevels() const { return m_enabledLevels; }
    int dpiStepIndex(int level) const { return m_stepIndex.at(level - 1); } // 0..11
    int currentDpiIndex() const { return m_currentDpi; }                    // 0..7
    int knownReportRate() const { return m_knownReportRate; }               // 0 or Hz
    bool rateResetPending() const { return m_rateResetPending; }
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
    void layoutBar(const std::array<PictureControl*, kSteps>& cells, QPoint origin);
    void layoutPointerBar(PointerBar& bar, const std::string& prefix);
    void lightStep(std::array<PictureControl*, kSteps>& cells, int step); // 1..12
    void showDpiStep(int level, int index);
    void showCurrentDpi(int index);
    void showReportRate(int code);
    void showDpiColours(bool shown);
    void styleDpiCaptions();

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
    std::array<int, kLevels> m_stepIndex{};
    std::array<bool, kLevels> m_stepShown{};
    int m_enabledLevels = kLevels;
    int m_currentDpi = 0;
    int m_aimStep = 1;
    int m_knownReportRate = 0;
    bool m_rateResetPending = false;
};

} // namespace tarvik::gui
