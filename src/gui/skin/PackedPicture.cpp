#include "gui/skin/PackedPicture.h"

#include <QtEndian>

#include <cstring>

namespace tarvik::gui::packed {

namespace {

constexpr char kMagic[4] = {'T', 'P', 'X', '1'};
constexpr qsizetype kHeaderBytes = 16; // keeps the rows as aligned as the bytes' own storage

quint32 field(const uchar* data, int index) {
    return qFromLittleEndian<quint32>(data + 4 + 4 * index);
}

} // namespace

bool keptCompact(const QImage& picture) {
    return !picture.isNull() && !picture.hasAlphaChannel() &&
           qsizetype(picture.width()) * picture.height() * 4 >= kCompactFromBytes;
}

QByteArray pack(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const qsizetype rowBytes = qsizetype(rgb.width()) * 3;
    const qsizetype stride = (rowBytes + 3) / 4 * 4;
    QByteArray out(kHeaderBytes + stride * rgb.height(), '\0');
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    qToLittleEndian<quint32>(static_cast<quint32>(rgb.width()), out.data() + 4);
    qToLittleEndian<quint32>(static_cast<quint32>(rgb.height()), out.data() + 8);
    qToLittleEndian<quint32>(static_cast<quint32>(stride), out.data() + 12);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(out.data() + kHeaderBytes + stride * y, rgb.constScanLine(y),
                    static_cast<size_t>(rowBytes));
    return out;
}

QImage view(const uchar* data, qsizetype size) {
    if (!data || size < kHeaderBytes || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return QImage();
    const quint32 width = field(data, 0);
    const quint32 height = field(data, 1);
    const quint32 stride = field(data, 2);
    if (width == 0 || height == 0 || width > 16384 || height > 16384 || stride < width * 3 ||
        stride % 4 != 0 || size != kHeaderBytes + qsizetype(stride) * height)
        return QImage();
    const QImage rows(data + kHeaderBytes, static_cast<int>(width), static_cast<int>(height), stride,
                      QImage::Format_RGB888);
    if (reinterpret_cast<quintptr>(data) % 4 != 0)
        return rows.copy();
    return rows;
}

} // namespace tarvik::gui::packed
