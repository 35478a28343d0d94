#include "gui/skin/PackedPicture.h"

#include <QtEndian>

#include <cstring>

namespace tarvik::gui::packed {

namespace {

constexpr char kMagic[4] = {'T', 'P', 'X', '2'};
constexpr qsizetype kHeaderBytes = 32; // keeps the rows as aligned as the bytes' own storage

quint32 field(const uchar* data, int index) {
    return qFromLittleEndian<quint32>(data + 4 + 4 * index);
}

int bytesPerPixel(quint32 format) {
    switch (format) {
    case QImage::Format_RGB888:
        return 3;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return 4;
    default:
        return 0; // not a display form
    }
}

} // namespace

bool keptCompact(const QImage& picture) {
    return !picture.isNull() && !picture.hasAlphaChannel() &&
           qsizetype(picture.width()) * picture.height() * 4 >= kCompactFromBytes;
}

QImage displayForm(QImage decoded) {
    if (decoded.isNull() || decoded.format() == QImage::Format_RGB888 ||
        decoded.format() == QImage::Format_ARGB32_Premultiplied)
        return decoded; // packed pixels are in their display form already
    if (decoded.hasAlphaChannel())
        return std::move(decoded).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const bool compact = keptCompact(decoded);
    QImage opaque = std::move(decoded).convertToFormat(QImage::Format_RGB32);
    return compact ? std::move(opaque).convertToFormat(QImage::Format_RGB888) : opaque;
}

QByteArray pack(const QImage& picture) {
    const QImage shown = displayForm(picture);
    const qsizetype rowBytes = qsizetype(shown.width()) * bytesPerPixel(shown.format());
    const qsizetype stride = (rowBytes + 3) / 4 * 4;
    QByteArray out(kHeaderBytes + stride * shown.height(), '\0');
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    const quint32 fields[] = {static_cast<quint32>(shown.format()), static_cast<quint32>(shown.width()),
                              static_cast<quint32>(shown.height()), static_cast<quint32>(stride)};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<quint32>(fields[i], out.data() + 4 + 4 * i);
    for (int y = 0; y < shown.height(); ++y)
        std::memcpy(out.data() + kHeaderBytes + stride * y, shown.constScanLine(y),
                    static_cast<size_t>(rowBytes));
    return out;
}

QImage view(const uchar* data, qsizetype size) {
    if (!data || size < kHeaderBytes || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return QImage();
    const quint32 format = field(data, 0);
    const quint32 width = field(data, 1);
    const quint32 height = field(data, 2);
    const quint32 stride = field(data, 3);
    const int pixelBytes = bytesPerPixel(format);
    if (pixelBytes == 0 || width == 0 || height == 0 || width > 16384 || height > 16384 ||
        stride < width * pixelBytes || stride % 4 != 0 || size != kHeaderBytes + qsizetype(stride) * height)
        return QImage();
    const QImage rows(data + kHeaderBytes, static_cast<int>(width), static_cast<int>(height), stride,
                      static_cast<QImage::Format>(format));
    if (reinterpret_cast<quintptr>(data) % 4 != 0)
        return rows.copy();
    return rows;
}

} // namespace tarvik::gui::packed
