#include "Canvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tarvik::skin {

namespace {

const char* const kFontDir = "/usr/share/fonts/truetype/dejavu/";
const char* const kFontFiles[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansCondensed-Bold.ttf"};

// One horizontal pass of a box blur over premultiplied ARGB rows (or columns, via stride).
// `src` is read every `step` elements; `dst` is written densely.
void boxPass(const quint32* src, quint32* dst, int count, int step, int radius) {
    const int window = 2 * radius + 1;
    int sum[4] = {0, 0, 0, 0};
    auto channel = [](quint32 v, int c) { return int((v >> (8 * c)) & 0xFF); };
    auto at = [&](int i) { return src[std::clamp(i, 0, count - 1) * step]; };
    for (int i = -radius; i <= radius; ++i) {
        for (int c = 0; c < 4; ++c) {
            sum[c] += channel(at(i), c);
        }
    }
    for (int i = 0; i < count; ++i) {
        quint32 out = 0;
        for (int c = 0; c < 4; ++c) {
            out |= quint32((sum[c] + window / 2) / window) << (8 * c);
        }
        dst[i] = out;
        const quint32 leaving = at(i - radius);
        const quint32 entering = at(i + radius + 1);
        for (int c = 0; c < 4; ++c) {
            sum[c] += channel(entering, c) - channel(leaving, c);
        }
    }
}

int g_renderScale = 1;

} // namespace

int renderScale() {
    return g_renderScale;
}

ScopedRenderScale::ScopedRenderScale(int scale) : m_previous(g_renderScale) {
    g_renderScale = std::max(1, scale);
}

ScopedRenderScale::~ScopedRenderScale() {
    g_renderScale = m_previous;
}

bool loadSkinFonts(QString* error) {
    for (const char* file : kFontFiles) {
        const QString path = QString::fromLatin1(kFontDir) + QString::fromLatin1(file);
        if (QFontDatabase::addApplicationFont(path) < 0) {
            if (error) {
                *error = QStringLiteral("cannot load font %1 (package fonts-dejavu-core)").arg(path);
            }
            return false;
        }
    }
    return true;
}

QFont skinFont(double pixelSize, Face face, double letterSpacing) {
    QFont font(face == Face::Condensed ? QStringLiteral("DejaVu Sans Condensed")
                                       : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setBold(face != Face::Regular);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    if (letterSpacing != 0.0) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    }
    return font;
}

double textWidth(const QString& text, const QFont& font) {
    QFontMetricsF metrics(font);
    double width = metrics.horizontalAdvance(text);
    // The advance carries the spacing after the last letter too; it is not part of the ink.
    if (!text.isEmpty()) {
        width -= font.letterSpacing();
    }
    return width;
}

void drawText(QPainter& p, double x, double baseline, const QString& text, const QFont& font,
              const QBrush& brush, Align align) {
    const double width = textWidth(text, font);
    double left = x;
    if (align == Align::Center) {
        left = x - width / 2.0;
    } else if (align == Align::Right) {
        left = x - width;
    }
    QPainterPath path;
    path.addText(left, baseline, font, text);
    p.fillPath(path, brush);
}

void drawTextCentered(QPainter& p, double x, double centerY, const QString& text, const QFont& font,
                      const QBrush& brush, Align align) {
    const double cap = QFontMetricsF(font).capHeight();
    drawText(p, x, centerY + cap / 2.0, text, font, brush, align);
}

QPainterPath chamferRect(const QRectF& r, double topLeft, double topRight, double bottomRight,
                         double bottomLeft) {
    QPainterPath path;
    path.moveTo(r.left() + topLeft, r.top());
    path.lineTo(r.right() - topRight, r.top());
    path.lineTo(r.right(), r.top() + topRight);
    path.lineTo(r.right(), r.bottom() - bottomRight);
    path.lineTo(r.right() - bottomRight, r.bottom());
    path.lineTo(r.left() + bottomLeft, r.bottom());
    path.lineTo(r.left(), r.bottom() - bottomLeft);
    path.lineTo(r.left(), r.top() + topLeft);
    path.closeSubpath();
    return path;
}

QImage blankImage(QSize size, const QColor& fill) {
    QImage image(size * g_renderScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(g_renderScale);
    image.fill(fill);
    return image;
}

QSize logicalSize(const QImage& image) {
    return image.deviceIndependentSize().toSize();
}

void setupPainter(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setPen(Qt::NoPen);
}

QImage blurred(const QImage& source, int radius) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    radius = int(std::lround(radius * image.devicePixelRatio()));
    if (radius <= 0) {
        return image;
    }
    const int w = image.width();
    const int h = image.height();
    std::vector<quint32> scratch(std::size_t(std::max(w, h)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
            boxPass(row, scratch.data(), w, 1, radius);
            std::copy(scratch.begin(), scratch.begin() + w, row);
        }
        auto* base = reinterpret_cast<quint32*>(image.bits());
        const int stride = int(image.bytesPerLine() / 4);
        for (int x = 0; x < w; ++x) {
            boxPass(base + x, scratch.data(), h, stride, radius);
            for (int y = 0; y < h; ++y) {
                base[x + y * stride] = scratch[std::size_t(y)];
            }
        }
    }
    return image;
}

void addGlow(QPainter& p, QSize canvasSize, int radius, double strength,
             const std::function<void(QPainter&)>& shape) {
    QImage layer = blankImage(canvasSize);
    {
        QPainter lp(&layer);
        setupPainter(lp);
        lp.setTransform(p.transform());
        shape(lp);
    }
    const QImage glow = blurred(layer, radius);
    p.save();
    p.resetTransform();
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    double remaining = strength;
    while (remaining > 0.001) {
        p.setOpacity(std::min(1.0, remaining));
        p.drawImage(0, 0, glow);
        remaining -= 1.0;
    }
    p.restore();
}

QLinearGradient verticalGradient(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, top);
    g.setColorAt(1.0, bottom);
    return g;
}

QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QColor mix(const QColor& a, const QColor& b, double t) {
    auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QRectF drawSection(QPainter& p, const QRectF& r, const QString& heading) {
    using namespace palette;
    p.save();
    const QPainterPath face = chamferRect(r, 10, 0, 10, 0);
    p.fillPath(face, verticalGradient(r, QColor(22, 26, 33), QColor(16, 19, 24)));
    // A faint light from the top edge gives the panel its raised feel.
    QLinearGradient sheen(r.topLeft(), r.topLeft() + QPointF(0, 40));
    sheen.setColorAt(0, QColor(255, 255, 255, 10));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(face, sheen);
    p.setPen(QPen(kLine, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(chamferRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 10, 0, 10, 0));
    // Lit chamfer at the top-left corner.
    p.setPen(QPen(withAlpha(kAccent, 200), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(r.left() + 0.8, r.top() + 10.5), QPointF(r.left() + 10.5, r.top() + 0.8));
    p.setPen(Qt::NoPen);
    if (!heading.isEmpty()) {
        const double base = r.top() + 22;
        p.fillRect(QRectF(r.left() + 14, r.top() + 11, 3, 13), kAccent);
        drawText(p, r.left() + 24, base, heading, skinFont(11.5, Face::Bold, 1.6), kText);
        QLinearGradient rule(r.left() + 14, 0, r.right() - 14, 0);
        rule.setColorAt(0, withAlpha(kAccent, 110));
        rule.setColorAt(0.45, withAlpha(kLineHi, 90));
        rule.setColorAt(1, withAlpha(kLineHi, 0));
        p.fillRect(QRectF(r.left() + 14, r.top() + 31, r.width() - 28, 1), rule);
    }
    p.restore();
    return QRectF(r.left(), r.top() + 34, r.width(), r.height() - 34);
}

void drawPageFrame(QPainter& p, const QRectF& r) {
    using namespace palette;
    p.save();
    const QPainterPath frame = chamferRect(r, 0, 14, 0, 14);
    p.fillPath(frame, verticalGradient(r, QColor(12, 14, 18), QColor(9, 11, 14)));
    // Dotted technical grid, very faint.
    p.setClipPath(frame);
    for (double y = r.top() + 12; y < r.bottom(); y += 16) {
        for (double x = r.left() + 12; x < r.right(); x += 16) {
            p.fillRect(QRectF(x, y, 1, 1), QColor(255, 255, 255, 9));
        }
    }
    // Inner shadow along the top edge: the page area is sunk into the window.
    QLinearGradient shade(r.topLeft(), r.topLeft() + QPointF(0, 14));
    shade.setColorAt(0, QColor(0, 0, 0, 120));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 14), shade);
    p.setClipping(false);
    p.setPen(QPen(QColor(36, 42, 52), 1.0));
    p.drawPath(chamferRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 0, 14, 0, 14));
    // Corner brackets in the accent colour.
    p.setPen(QPen(withAlpha(kAccent, 170), 2.0, Qt::SolidLine, Qt::SquareCap));
    const double l = 16;
    p.drawLine(QPointF(r.left() + 1, r.top() + 1), QPointF(r.left() + 1 + l, r.top() + 1));
    p.drawLine(QPointF(r.left() + 1, r.top() + 1), QPointF(r.left() + 1, r.top() + 1 + l));
    p.drawLine(QPointF(r.right() - 1, r.bottom() - 1), QPointF(r.right() - 1 - l, r.bottom() - 1));
    p.drawLine(QPointF(r.right() - 1, r.bottom() - 1), QPointF(r.right() - 1, r.bottom() - 1 - l));
    p.restore();
}

void drawWell(QPainter& p, const QRectF& r) {
    p.save();
    p.fillRect(r.adjusted(-2, -2, 2, 2), QColor(6, 8, 10));
    p.setPen(QPen(QColor(44, 52, 64), 1.0));
    p.setBrush(QColor(12, 15, 20));
    p.drawRect(r.adjusted(-1.5, -1.5, 1.5, 1.5));
    p.restore();
}

void drawLegend(QPainter& p, double x, double baseline, const QString& text, Align align) {
    drawText(p, x, baseline, text, skinFont(9, Face::Bold, 1.2), palette::kTextMuted, align);
}

void drawCaption(QPainter& p, double x, double centerY, const QString& text, Align align) {
    drawTextCentered(p, x, centerY, text, skinFont(12, Face::Regular), palette::kTextSoft, align);
}

void applyColourKey(QImage& image, const QPainterPath& shape) {
    QImage mask(image.size(), QImage::Format_ARGB32_Premultiplied);
    mask.setDevicePixelRatio(image.devicePixelRatio());
    mask.fill(Qt::transparent);
    {
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing, true);
        mp.fillPath(shape, Qt::white);
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    const QRgb key = palette::kKey.rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* coverage = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(coverage[x]) < 128) {
                row[x] = key;
            } else if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF)) {
                row[x] = qRgb(128, 0, 1); // the key colour inside the shape would become a hole
            }
        }
    }
}

} // namespace tarvik::skin
