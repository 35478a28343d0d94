#pragma once
// The fixed frame of the skin: window, header, sidebar, page area and the section boxes of each page.
// Control positions come from the layout table; these boxes are what the controls sit on.

#include <QRect>
#include <QSize>

namespace tarvik::skin::grid {

inline constexpr QSize kWindow{1030, 662};
inline constexpr int kOutline = 4;       // the window shape starts 4 px inside the picture
inline constexpr int kHeaderBottom = 90; // header band: brand, web badge, languages, exit
inline constexpr QRect kSidebar{16, 96, 134, 550};
inline constexpr QRect kPage{158, 96, 856, 550}; // every page picture covers exactly this
inline constexpr QSize kPageSize = kPage.size();

// Advanced
inline constexpr QRect kDpiBox{170, 108, 422, 316};
inline constexpr QRect kFireKeyBox{170, 436, 422, 198};
inline constexpr QRect kPointerBox{604, 108, 398, 386};
inline constexpr QRect kRateBox{604, 506, 398, 128};
// Breathing Light
inline constexpr QRect kEffectBox{170, 108, 310, 316};
inline constexpr QRect kPreviewBox{492, 108, 510, 316};
inline constexpr QRect kStepBox{170, 436, 410, 198};
inline constexpr QRect kColorBox{592, 436, 410, 198};
// Macro: list boxes (the lists' own sizes are below), actions and legend
inline constexpr QRect kLibraryBox{170, 108, 266, 352};
inline constexpr QRect kDeviceBox{448, 108, 206, 352};
inline constexpr QRect kStepsBox{666, 108, 336, 352};
inline constexpr QRect kActionsBox{389, 472, 158, 162};
inline constexpr QRect kLegendBox{559, 472, 443, 162};
inline constexpr int kPcListWidth = 246;
inline constexpr QSize kDeviceList{186, 296};
inline constexpr QSize kStepsList{316, 296};
inline constexpr QSize kOptionBox{227, 182}; // the delay box and the insert box
inline constexpr QSize kInsertBacking{207, 162};
// Fire Macro
inline constexpr QRect kPresetBox{170, 108, 140, 526};
inline constexpr QRect kSegmentBox{322, 108, 680, 292};
inline constexpr QRect kFireActionBox{322, 412, 680, 222};
// Key page
inline constexpr QRect kKeyBox{170, 108, 832, 526};

// Sizes of controls that are not pictures; the main window uses the same.
inline constexpr QSize kFireKeyCountEdit{60, 24};
inline constexpr QSize kFireKeyIntervalEdit{80, 24};
inline constexpr QSize kFireEdit{64, 24};
inline constexpr QSize kFireTimeEdit{72, 24};

} // namespace tarvik::skin::grid
