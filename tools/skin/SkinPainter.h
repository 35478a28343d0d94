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

    // The picture `name` (a catalogue name) as ARGB32; a null image for an unknown name.
    QImage render(const QString& name) const;

private:
    SkinLayout m_layout;
};

// Writes every picture as <directory>/<name>.png and the resource list <directory>/skin.qrc.
bool writeSkin(const SkinPainter& painter, const QString& directory, QString* error);

} // namespace tarvik::skin
