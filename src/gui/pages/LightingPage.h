#pragma once
// The Breathing Light page ("gbPage3"): lighting off or one of five effects, the step time of the
// breathing effect and the table of ten colours; which effects and whether colours exist follow the
// lighting kind the mouse reports.

#include "core/settings/SettingWrites.h"
#include "gui/pages/Page.h"

#include <array>

class QButtonGroup;
class QLineEdit;

namespace tarvik::gui {

class CaptionLabel;
class CellBar;
class ColourSwatch;
class PictureControl;

class LightingPage : public Page {
    Q_OBJECT
public:
    static constexpr int kModes = core::LightingState::kModes;
    static constexpr int kFallCells = 10;
    static constexpr int kColours = core::LightingState::kColours;

    LightingPage(const PageContext& context, QWidget* parent);

    void applyLayout() override;
    void applyLanguage() override;
    // Step time, the effects the lighting kind offers with the one in force, and the colours, as the
    // lighting settings hold them.
    void refreshFromImage() override;

private:
    void showMode(int mode);
    void showFallLevel(int level);
    void modeClicked(int mode);
    void fallClicked(int level);
    void colourClicked(int c);

    std::array<PictureControl*, kModes + 1> m_modeMarkers{}; // 0 = off
    std::array<CaptionLabel*, kModes + 1> m_modeTargets{};
    QButtonGroup* m_modeGroup = nullptr;
    std::array<PictureControl*, kFallCells> m_fallCells{};
    std::array<CaptionLabel*, kFallCells> m_fallCaptions{};
    CellBar* m_fallBar = nullptr; // the keyboard's and screen reader's view of the step-time cells
    struct ColourControls {
        ColourSwatch* swatch = nullptr;
        PictureControl* frame = nullptr;
        CaptionLabel* target = nullptr;
        std::array<QLineEdit*, 3> edits{};
    };
    std::array<ColourControls, kColours> m_colours{};
};

} // namespace tarvik::gui
