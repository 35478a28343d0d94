#pragma once
// Writes skin pictures as PNG files that decode quickly: rows unfiltered (undoing the Paeth, Sub and
// Up filters costs the program as much as inflating), deflated at the highest level. Opaque pictures
// are written as RGB, others as RGBA (straight alpha).

#include <QImage>
#include <QString>

namespace tarvik::skin {

// False with `error` set when the file cannot be written.
bool writeFastPng(const QImage& image, const QString& path, QString* error = nullptr);

} // namespace tarvik::skin
