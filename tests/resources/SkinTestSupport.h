#pragma once
// Helpers shared by the skin tests: where the committed pictures are and what the colour key is.

#include <QImage>
#include <QString>

namespace tarvik::tests {

inline QString skinDirectory() {
    return QStringLiteral(TARVIK_SOURCE_DIR "/resources/skin");
}

// scale 2: the "@2x" copy for high-density screens.
inline QImage committedPicture(const QString& name, int scale = 1) {
    const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@%1x.png").arg(scale);
    return QImage(skinDirectory() + QLatin1Char('/') + name + suffix);
}

inline bool isKey(QRgb pixel) {
    return (pixel & 0xFFFFFF) == 0x800000;
}

} // namespace tarvik::tests
