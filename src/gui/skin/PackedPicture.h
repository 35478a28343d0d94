#pragma once
// The skin pictures are embedded a second time as their bare pixels, in the form the window draws
// them from, which the build packs from the PNG files and embeds as they are. They are shown from
// where they lie in the program's file: nothing is decoded, and no memory is written, where decoding
// a PNG file wrote its pixels (twice for the backgrounds: four bytes each, then three) and touched
// every page of that memory for the first time. Start-up and opening a page wait for them. (The
// pictures drawn at twice the size, for dense screens only, stay PNG files.)
//
// A packed picture: "TPX2", then the QImage format, width, height and bytes per row as 32-bit
// little-endian numbers, twelve zero bytes, then the rows (each padded to a multiple of four bytes).

#include <QByteArray>
#include <QImage>

namespace tarvik::gui::packed {

// An opaque picture at least this large when widened to four bytes a pixel (the backgrounds) is kept
// with three: a quarter less memory, drawn to the same pixels.
constexpr qsizetype kCompactFromBytes = 512 * 1024;

// Whether a decoded opaque picture is kept compact.
bool keptCompact(const QImage& picture);

// A decoded picture in the form the window keeps and draws it from: premultiplied alpha, or opaque
// pixels (compact when large).
QImage displayForm(QImage decoded);

// The packed form of a picture, in its display form.
QByteArray pack(const QImage& picture);

// The picture packed in the `size` bytes at `data`, read where it lies (the bytes must outlive the
// image and every copy of it) when its rows are aligned as an image's must be, else copied; a null
// image when the bytes are not a whole packed picture.
QImage view(const uchar* data, qsizetype size);

} // namespace tarvik::gui::packed
