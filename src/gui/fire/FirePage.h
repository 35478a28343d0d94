#pragma once
// The Fire Macro page ("gbPage6"): the seven weapon presets, the values of the fire macro segments
// of the selected preset (count, move, offsets, delay, colour), the has-left-key option, Confirm and
// Cancel, and the hidden service-mode editor of the fire macros.

#include "core/fire/FireBodyWalk.h"
#include "core/fire/FirePresets.h"
#include "gui/pages/Page.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace tarvik::gui {

class CaptionLabel;
class ColourSwatch;
class PictureControl;

class FirePage : public Page {
    Q_OBJECT
public:
    static constexpr int kPresets = core::kFirePresets;
    static constexpr int kSegments = 3;
    static constexpr int kGunModes = core::kFireGunModes;

    FirePage(const PageContext& context, QWidget* parent);

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

    std::array<PictureControl*, kPresets> m_presetPictures{};
    std::array<CaptionLabel*, kPresets> m_presetButtons{};
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
    std::array<CaptionLabel*, 3> m_delayOptions{};
    QListWidget* m_fireNames = nullptr;
    QListWidget* m_fireEvents = nullptr;
    QComboBox* m_insertChoice = nullptr;
    QWidget* m_insertPanel = nullptr;
    std::array<QWidget*, 2> m_menus{};

    std::array<core::FireSegmentView, core::FireMacroStore::kSlots> m_slotViews{};
    std::array<std::size_t, core::FireMacroStore::kSlots> m_lengths{};
    int m_preset = 0;
    bool m_loadingPreset = false;
};

} // namespace tarvik::gui
