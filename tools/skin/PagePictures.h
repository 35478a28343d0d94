#pragma once
// The window background and the five page pictures of layout 1. Captions that the language tables do
// not carry (section titles, marker captions, the lighting effect names) are part of these pictures,
// drawn where the layout table puts the controls they belong to.

#include "SkinLayout.h"

#include <QImage>

namespace tarvik::skin {

QImage paintBackground(const SkinLayout& layout);
QImage paintKeyPage(const SkinLayout& layout);
QImage paintAdvancedPage(const SkinLayout& layout);
QImage paintLightingPage(const SkinLayout& layout);
QImage paintMacroPage(const SkinLayout& layout);
QImage paintFirePage(const SkinLayout& layout);

// Names of the lighting effects as shown beside their markers: off, then modes 1 to 5.
extern const char* const kLightingEffectNames[6];

} // namespace tarvik::skin
