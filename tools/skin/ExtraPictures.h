#pragma once
// Pictures outside the pages: the insert-box backings, the dialog background, the update banner, the
// macro-step icons, the loading animation, the placeholders of the unused layouts and the program's
// icon.

#include <QImage>

namespace tarvik::skin {

enum class InsertKind { Delay, Key, Axis };

QImage paintInsertBacking(InsertKind kind);
QImage paintMessageBackground();
QImage paintUpdateBanner();
QImage paintMacroIcon(int kind); // line kinds 0..8
inline constexpr int kLoadingFrames = 12;
QImage paintLoadingFrame(int frame); // 0..kLoadingFrames-1
QImage paintPlaceholder();
// The program's icon (window, tray, desktop): the brand emblem on a dark tile, `pixels` square.
QImage paintAppIcon(int pixels);

} // namespace tarvik::skin
