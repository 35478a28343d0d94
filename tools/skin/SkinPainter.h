#pragma once
// The skin: every picture of the resource catalogue, painted from the layout table of language 1.

#include "SkinLayout.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace tarvik::skin {

struct PictureSpec {
    QString name; // resource name, also the file name without ".png"
    QSize size;
};

class SkinPainter {
public:
    explicit SkinPainter(SkinLayout layout) : m_layout(std::move(layout)) {}

    // Every picture, in file order.
    static const QList<PictureSpec>& catalogue();

    // The picture `name` (a catalogue name) as ARGB32, `scale` device pixels per logical pixel (1, or 2
    // for the "@2x" copy); a null image for an unknown name.
    QImage render(const QString& name, int scale = 1) const;

    // The sizes, in pixels, of the program's icon (the desktop's hicolor theme sizes).
    static const QList<int>& iconSizes();
    QImage renderIcon(int pixels) const;

private:
    SkinLayout m_layout;
};

// The scales every picture is written at: <name>.png, and <name>@2x.png, which Qt takes instead on
// screens with a device pixel ratio above 1.
inline constexpr int kPictureScales[] = {1, 2};
QString pictureFileName(const QString& name, int scale);

// Writes every picture at every scale as <directory>/<name>.png and <name>@2x.png and the resource
// list <directory>/skin.qrc.
bool writeSkin(const SkinPainter& painter, const QString& directory, QString* error);

// Writes the program's icon as <directory>/tarvik-config-<n>.png for each icon size, and the resource
// list <directory>/icons.qrc (prefix "/icons").
bool writeIcons(const SkinPainter& painter, const QString& directory, QString* error);

} // namespace tarvik::skin
