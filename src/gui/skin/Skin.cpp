#include "gui/skin/Skin.h"

#include <QDir>
#include <QHash>
#include <QImage>
#include <QImageReader>

#include <future>

// The skin is compiled into a static library: nothing would pull its resource object into a program
// that does not name it, so the first look-up registers it.
static void initSkinResources() {
    Q_INIT_RESOURCE(skin);
}

namespace tarvik::gui {

namespace {
// Lower-case name -> resource path, built once from the embedded skin folder.
const QHash<QString, QString>& resourcePaths() {
    static const QHash<QString, QString> paths = [] {
        initSkinResources();
        QHash<QString, QString> map;
        const QDir dir(QStringLiteral(":/skin"));
        for (const QString& file : dir.entryList(QDir::Files)) {
            const QString base = file.section(QLatin1Char('.'), 0, 0);
            map.insert(base.toLower(), dir.filePath(file));
        }
        return map;
    }();
    return paths;
}

QHash<QString, QPixmap>& decoded() {
    static QHash<QString, QPixmap> cache;
    return cache;
}

// Decodes started by prefetch() and not yet asked for. Only the GUI thread touches the table; the
// workers see nothing but their own path.
QHash<QString, std::shared_future<QImage>>& pending() {
    static QHash<QString, std::shared_future<QImage>> decodes;
    return decodes;
}
} // namespace

void Skin::prefetch(const QStringList& names) {
    for (const QString& name : names) {
        const QString key = name.toLower();
        if (decoded().contains(key) || pending().contains(key))
            continue;
        const QString path = resourcePaths().value(key);
        if (path.isEmpty())
            continue;
        pending().insert(
            key, std::async(std::launch::async, [path] { return QImageReader(path, "PNG").read(); }).share());
    }
}

QPixmap Skin::picture(const QString& name) {
    const QString key = name.toLower();
    auto& cache = decoded();
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QPixmap pixmap;
    if (auto started = pending().find(key); started != pending().end()) {
        // The same conversion QPixmap::load makes of what the reader gives.
        const QImage image = started->get();
        pending().erase(started);
        if (!image.isNull())
            pixmap = QPixmap::fromImage(image);
    } else if (const QString path = resourcePaths().value(key); !path.isEmpty()) {
        pixmap.load(path, "PNG");
    }
    cache.insert(key, pixmap);
    return pixmap;
}

QSize Skin::pictureSize(const QString& name) {
    const QString key = name.toLower();
    if (auto it = decoded().constFind(key); it != decoded().constEnd())
        return it->isNull() ? QSize() : it->size();
    static QHash<QString, QSize> sizes;
    if (auto it = sizes.constFind(key); it != sizes.constEnd())
        return *it;
    const QString path = resourcePaths().value(key);
    const QSize size = path.isEmpty() ? QSize() : QImageReader(path, "PNG").size();
    sizes.insert(key, size);
    return size;
}

bool Skin::contains(const QString& name) {
    return resourcePaths().contains(name.toLower());
}

} // namespace tarvik::gui
