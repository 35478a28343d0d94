#pragma once
// The skin pictures, by catalogue name ("SetS_01", "L1_BackGround"), matched without regard to case.
// A decoded picture is kept: pictures never change while the program runs, and swapping a state
// picture must stay cheap.

#include <QColor>
#include <QPixmap>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QStringList>

#include <future>

namespace tarvik::gui {

// Grey of text that cannot be used now: a field whose option is not chosen, a setting the desktop lacks.
inline const QColor kDisabledTextColour(0x72, 0x71, 0x71);

class Skin {
public:
    // The picture of that name for the screens in use; a null pixmap when the skin has no such
    // picture. On a screen of ratio above 1 it is the picture's high-density copy, with a device
    // pixel ratio of 2: its deviceIndependentSize() is the size of the normal picture.
    static QPixmap picture(const QString& name);
    // The same for a given device pixel ratio (1 gives the normal picture).
    static QPixmap picture(const QString& name, qreal ratio);
    // The same picture decoded now and not kept, for pictures shown only for a while (the frames of
    // an animation): the caller holds it as long as it needs it. One already kept is shared.
    static QPixmap transientPicture(const QString& name);
    // The device pixel ratio pictures are chosen for: the highest of the screens.
    static qreal displayRatio();
    // Starts decoding these pictures on worker threads, so that a window can build its controls
    // while the pictures it will show first are decoded; picture() waits for a decode under way.
    static void prefetch(const QStringList& names);
    // prefetch() of one picture that also cuts, on the same worker, the region of its pixels that
    // are not `colourKey`: the shape of a window drawn by that picture.
    static std::shared_future<QRegion> prefetchShape(const QString& name, QRgb colourKey);
    // The pixels of the picture that are not see-through, as bands of rectangles. A picture without
    // an alpha channel is see-through where it has colourKey; one with an alpha channel says itself
    // which pixels are, and the key is not applied to it.
    static QRegion opaqueRegion(const QImage& picture, QRgb colourKey);
    // A picture to draw over other pixels, keyed by its top-left pixel as the event icons are: in a
    // picture without an alpha channel that pixel's colour becomes see-through; a picture with one
    // is returned as it is (keying it would hide whatever shares that pixel's colour, or all of it).
    static QPixmap keyedByCorner(const QPixmap& picture);
    static bool contains(const QString& name);
    // The embedded pictures' bytes that decoding has read stay resident with the program; this lets
    // them go (decoded pictures are kept apart, and a later decode reads the bytes again).
    static void releaseEmbeddedBytes();
    // The picture's size in the window's units, from the normal picture's header, without decoding
    // it; invalid when there is no such picture.
    static QSize pictureSize(const QString& name);
};

} // namespace tarvik::gui
