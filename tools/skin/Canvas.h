#pragma once
// Drawing toolkit shared by every skin picture: the palette, fonts, text drawn as outlines, soft glows
// and the chamfered shapes that give the skin its look. Everything here is deterministic: no system
// font lookup, no random numbers, integer blurs.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <functional>

namespace tarvik::skin {

namespace palette {
inline const QColor kKey{128, 0, 0}; // see-through colour of the window and dialog shapes
inline const QColor kVoid{8, 10, 13};
inline const QColor kBase0{11, 13, 17};
inline const QColor kBase1{16, 19, 24};
inline const QColor kBase2{21, 25, 31};
inline const QColor kRaised{29, 34, 42};
inline const QColor kLine{42, 49, 60};
inline const QColor kLineHi{64, 74, 88};
inline const QColor kAccent{0, 200, 255};
inline const QColor kAccentHi{140, 235, 255};
inline const QColor kAccentDeep{0, 104, 160};
inline const QColor kMagenta{236, 52, 196};
inline const QColor kAmber{255, 176, 32};
inline const QColor kText{230, 236, 242};
inline const QColor kTextSoft{188, 198, 210};
inline const QColor kTextMuted{132, 144, 158};
inline const QColor kTextDim{84, 94, 108};
inline const QColor kDanger{255, 72, 96};
} // namespace palette

// Registers the bundled outline fonts with the application. Needs a QGuiApplication. Returns false and
// fills `error` when a font file is missing.
bool loadSkinFonts(QString* error);

enum class Face { Regular, Bold, Condensed };
QFont skinFont(double pixelSize, Face face = Face::Bold, double letterSpacing = 0.0);

// Text is filled as an outline so that the result does not depend on the rasteriser's hinting.
enum class Align { Left, Center, Right };
double textWidth(const QString& text, const QFont& font);
void drawText(QPainter& p, double x, double baseline, const QString& text, const QFont& font,
              const QBrush& brush, Align align = Align::Left);
// Text vertically centred on `centerY` (cap height centred).
void drawTextCentered(QPainter& p, double x, double centerY, const QString& text, const QFont& font,
                      const QBrush& brush, Align align = Align::Left);

// A rectangle with its corners cut at 45 degrees; cuts are given clockwise from the top-left.
QPainterPath chamferRect(const QRectF& r, double topLeft, double topRight, double bottomRight,
                         double bottomLeft);
inline QPainterPath chamferRect(const QRectF& r, double cut) {
    return chamferRect(r, cut, cut, cut, cut);
}

// Every picture is painted in its logical size; the render scale says how many device pixels each
// logical pixel gets (1, or 2 for the "@2x" copies that high-density screens take). Painting code
// never sees the difference: images made by blankImage() carry the scale as their device pixel
// ratio, so QPainter, glows and the colour key work in logical coordinates.
int renderScale();
class ScopedRenderScale {
public:
    explicit ScopedRenderScale(int scale);
    ~ScopedRenderScale();
    ScopedRenderScale(const ScopedRenderScale&) = delete;
    ScopedRenderScale& operator=(const ScopedRenderScale&) = delete;

private:
    int m_previous;
};

// A transparent image of logical `size` at the render scale, ready to paint on (premultiplied ARGB).
QImage blankImage(QSize size, const QColor& fill = Qt::transparent);
// The logical size of an image made by blankImage().
QSize logicalSize(const QImage& image);
void setupPainter(QPainter& p);

// Separable box blur, three passes (close to a Gaussian), integer arithmetic only. The radius is in
// logical pixels.
QImage blurred(const QImage& source, int radius);

// Paints whatever `shape` draws, blurred by `radius`, added onto `p`'s device: a light that bleeds.
// `canvasSize` is the device size; `transform` the painter's current transform is honoured.
void addGlow(QPainter& p, QSize canvasSize, int radius, double strength,
             const std::function<void(QPainter&)>& shape);

QLinearGradient verticalGradient(const QRectF& r, const QColor& top, const QColor& bottom);
QColor withAlpha(QColor c, int alpha);
QColor mix(const QColor& a, const QColor& b, double t);

// A section panel of a page: raised face, hairline border, a heading with an accent bar and a fading
// rule underneath. Returns the rectangle below the heading.
QRectF drawSection(QPainter& p, const QRectF& r, const QString& heading);
// The recessed frame of the page area, shared by the background and every page picture so that a
// page picture sits seamlessly on it.
void drawPageFrame(QPainter& p, const QRectF& r);
// A well (list or edit area) sunk into a section.
void drawWell(QPainter& p, const QRectF& r);
// Small muted capital heading text used for column titles and legends.
void drawLegend(QPainter& p, double x, double baseline, const QString& text, Align align = Align::Left);
// A flat caption beside a marker.
void drawCaption(QPainter& p, double x, double centerY, const QString& text, Align align = Align::Left);

// Marks every pixel outside `shape` with the see-through key colour and makes sure no pixel inside is
// the key colour. Edge pixels are decided by coverage (half or more inside), so no pixel of the shape
// is ever blended with the key colour.
void applyColourKey(QImage& image, const QPainterPath& shape);

} // namespace tarvik::skin
