#pragma once
// Helpers shared by the skin tests: where the committed pictures are and what the colour key is.

#include <QImage>
#include <QString>

namespace tarvik::tests {

inline QString skinDirectory() {
    return QStringLiteral(TARVIK_SOURCE_DIR "/resources/skin");
}

inline QImage committedPicture(const QString& name) {
    return QImage(skinDirectory() + QLatin1Char('/') + name + QStringLiteral(".png"));
}

inline bool isKey(QRgb pixel) {
    return (pixel & 0xFFFFFF) == 0x800000;
}

} // namespace tarvik::tests
