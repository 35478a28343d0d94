#pragma once
// The Advanced page ("gbPage2"): eight DPI levels on the ladder of twelve steps with their colours and
// the current-level marker, the AIM DPI, the report rate, the three fire keys and the pointer
// settings of the operating system.

#include "core/settings/PointerTables.h"
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
    // The operating system's pointer settings on the three bars and two options; a value that is
    // not on its bar's table leaves that bar as it was.
    void showPointerSettings(const PointerParameters& parameters);

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
    void showDpiStep(int level);
    void showCurrentMarkers(int index);
    void showReportRate(int code);
    void showFireKeys();
    void showAimStep();
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
};

} // namespace tarvik::gui
