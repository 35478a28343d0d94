#pragma once
// The Breathing Light page ("gbPage3"): lighting off or one of five effects, the step time of the
// breathing effect and the table of ten colours; which effects and whether colours exist follow the
// lighting kind the mouse reports.

#include "gui/pages/Page.h"

#include <array>

class QButtonGroup;
class QLineEdit;

namespace tarvik::gui {

class CaptionLabel;
class ColourSwatch;
class PictureControl;

class LightingPage : public Page {
    Q_OBJECT
public:
    static constexpr int kModes = 5;
    static constexpr int kFallCells = 10;
    static constexpr int kColours = 10;

    LightingPage(AppState& state, QWidget* parent);

    void applyLayout() override;
    void applyLanguage() override;
    // Step time, lighting kind (into state().lightingKind) with its variant and effect, colours.
    void refreshFromImage() override;

    int fallLevel() const { return m_fallLevel; }         // 1..10
    int selectedEffect() const { return m_selectedMode; } // 0 off, 1..5
    // Colour c (1..10) as the hidden edits hold it, which is what the fire page shows for its slots.
    QColor colour(int c) const;

    // Which effects the lighting kind offers ("RGB" all five, "Sync" 1-2, "NT" 1, 2, 4, 5).
    static bool offersMode(core::LightingKind kind, int mode);
    // The level 1..10 drawn for a stored FallTime.
    static int fallLevelFor(int fallTime);

private:
    void showMode(int mode);
    void showFallLevel(int level);

    std::array<PictureControl*, kModes + 1> m_modeMarkers{}; // 0 = off
    std::array<CaptionLabel*, kModes + 1> m_modeTargets{};
    QButtonGroup* m_modeGroup = nullptr;
    std::array<PictureControl*, kFallCells> m_fallCells{};
    std::array<CaptionLabel*, kFallCells> m_fallCaptions{};
    struct ColourControls {
        ColourSwatch* swatch = nullptr;
        PictureControl* frame = nullptr;
        CaptionLabel* target = nullptr;
        std::array<QLineEdit*, 3> edits{};
    };
    std::array<ColourControls, kColours> m_colours{};
    int m_fallLevel = 1;
    int m_selectedMode = -1;
};

} // namespace tarvik::gui
