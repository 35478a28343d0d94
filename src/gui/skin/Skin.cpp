#include "gui/skin/Skin.h"

#include "gui/skin/PackedPicture.h"
#include "gui/skin/SkinSizes.h"
#include "platform/FreedMemory.h"

#include <QBitmap>
#include <QDirIterator>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QResource>

#include <algorithm>
#include <future>
#include <memory>
#include <string_view>
#include <vector>

// The skin is compiled into a static library: nothing would pull its resource object into a program
// that does not name it, so the first look-up registers it.
static void initSkinResources() {
    Q_INIT_RESOURCE(skin);
    Q_INIT_RESOURCE(skinpixels);
}

namespace tarvik::gui {

namespace {
void registerSkin() {
    static const bool registered = [] {
        initSkinResources();
        return true;
    }();
    (void)registered;
}

// Lower-case name -> resource path, built once from the embedded skin folder.
const QHash<QString, QString>& resourcePaths() {
    static const QHash<QString, QString> paths = [] {
        registerSkin();
        QHash<QString, QString> map;
        // Unsorted, and without the file information a directory listing gathers.
        for (QDirIterator it(QStringLiteral(":/skin"), QDir::Files); it.hasNext();) {
            const QString path = it.next();
            map.insert(it.fileName().section(QLatin1Char('.'), 0, 0).toLower(), path);
        }
        return map;
    }();
    return paths;
}

// The resource path of a picture name. Names are almost always spelt as the files are: the resource
// tree answers those at once, and the folder's list is read only for another spelling.
QString resourcePath(const QString& name) {
    registerSkin();
    const QString exact = QStringLiteral(":/skin/") + name + QStringLiteral(".png");
    if (QResource(exact).isValid())
        return exact;
    return resourcePaths().value(name.toLower());
}

// Each picture has a copy drawn at twice the size beside it, "<name>@2x.png". It is kept under its
// own cache key so that both densities can live side by side.
QString densityKey(const QString& name, bool high) {
    return high ? name.toLower() + QStringLiteral("@2x") : name.toLower();
}

QString densityPath(const QString& name, bool high) {
    return resourcePath(high ? name + QStringLiteral("@2x") : name);
}

// The high-density copy is taken only where it exists; a picture without one is shown scaled.
bool useHighDensity(const QString& name, qreal ratio) {
    return ratio > 1.0 && !densityPath(name, true).isEmpty();
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

// The embedded file decoded as the PNG it is. Told the format and not to guess, the reader asks no
// other image plugin (each would be loaded into the process only to say no).
QImage decodePng(const QString& path) {
    QImageReader reader(path, "PNG");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The bare pixels the build packed of a picture, beside its PNG file.
QString packedPath(const QString& path) {
    const QString file = path.section(QLatin1Char('/'), -1);
    return QStringLiteral(":/skin-pixels/") + file.section(QLatin1Char('.'), 0, 0) + QStringLiteral(".pix");
}

// The embedded picture: its packed pixels where the build packed it (shown from the program's file),
// else decoded from its PNG file.
QImage decodeSkinFile(const QString& path) {
    if (const QResource packedFile(packedPath(path)); packedFile.isValid()) {
        QImage image;
        if (packedFile.compressionAlgorithm() == QResource::NoCompression) {
            image = packed::view(packedFile.data(), packedFile.size());
        } else {
            const QByteArray bytes = packedFile.uncompressedData();
            image = packed::view(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size()).copy();
        }
        if (!image.isNull())
            return image;
    }
    return decodePng(path);
}

// A pixmap of a decoded picture that keeps the picture's format (a compact one would otherwise be
// widened again).
QPixmap pixmapOf(const QImage& image) {
    return QPixmap::fromImage(image, Qt::NoFormatConversion);
}

// The picture as the raster paint engine draws it without converting it first (premultiplied alpha,
// or opaque pixels, compact when large).
QImage decodeForDisplay(const QString& path, bool high = false) {
    QImage image = decodeSkinFile(path);
    if (image.isNull())
        return image;
    image = packed::displayForm(std::move(image));
    if (high)
        image.setDevicePixelRatio(2.0);
    return image;
}

} // namespace

qreal Skin::displayRatio() {
    // The highest ratio of all screens: the window may be moved onto the densest one, and a
    // high-density picture shown on a plain screen still looks right.
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

void Skin::prefetch(const QStringList& names) {
    const qreal ratio = displayRatio();
    for (const QString& name : names) {
        const bool high = useHighDensity(name, ratio);
        const QString key = densityKey(name, high);
        if (decoded().contains(key) || pending().contains(key))
            continue;
        const QString path = densityPath(name, high);
        if (path.isEmpty())
            continue;
        // A packed picture needs no decoding: a thread would cost more than the picture.
        const auto when = QResource(packedPath(path)).isValid() ? std::launch::deferred : std::launch::async;
        pending().insert(key,
                         std::async(when, [path, high] { return decodeForDisplay(path, high); }).share());
    }
}

std::shared_future<QRegion> Skin::prefetchShape(const QString& name, QRgb colourKey) {
    // A shape is in the window's own units, so it is always cut from the normal picture.
    const QString key = name.toLower();
    const QString path = resourcePath(name);
    if (useHighDensity(name, displayRatio()))
        prefetch({name});
    if (path.isEmpty() || decoded().contains(key) || pending().contains(key) ||
        useHighDensity(name, displayRatio())) {
        // Decoded already, under way without a shape, missing, or shown from its high-density copy:
        // cut it here when asked.
        return std::async(std::launch::deferred,
                          [name, colourKey] {
                              const QPixmap pixmap = picture(name, 1.0);
                              return pixmap.isNull() ? QRegion() : opaqueRegion(pixmap.toImage(), colourKey);
                          })
            .share();
    }
    auto shape = std::make_shared<std::promise<QRegion>>();
    std::shared_future<QRegion> region = shape->get_future().share();
    pending().insert(key, std::async(std::launch::async, [path, colourKey, shape] {
                              QImage image = decodeSkinFile(path);
                              shape->set_value(image.isNull() ? QRegion() : opaqueRegion(image, colourKey));
                              return packed::displayForm(std::move(image));
                          }).share());
    return region;
}

QRegion Skin::opaqueRegion(const QImage& picture, QRgb colourKey) {
    const bool alpha = picture.hasAlphaChannel();
    // Compact pixels are read as they are: widening a background first would write megabytes.
    const bool compact = picture.format() == QImage::Format_RGB888;
    const QImage image = alpha ? picture.convertToFormat(QImage::Format_ARGB32)
                         : picture.format() == QImage::Format_RGB32 || compact
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    colourKey |= 0xFF000000u;
    const auto seeThroughAt = [alpha, compact, colourKey](const uchar* row, int x) {
        if (compact)
            return qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]) == colourKey;
        const QRgb pixel = reinterpret_cast<const QRgb*>(row)[x];
        return alpha ? qAlpha(pixel) == 0 : (pixel | 0xFF000000u) == colourKey;
    };
    // Runs of each row; consecutive rows with the same runs make one band.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> runs, previous;
    std::size_t bandStart = 0;
    for (int y = 0; y < height; ++y) {
        const uchar* row = image.constScanLine(y);
        runs.clear();
        for (int x = 0; x < width;) {
            while (x < width && seeThroughAt(row, x))
                ++x;
            const int start = x;
            while (x < width && !seeThroughAt(row, x))
                ++x;
            if (x > start)
                runs.emplace_back(start, x - start);
        }
        if (y > 0 && runs == previous) {
            for (std::size_t i = bandStart; i < rects.size(); ++i)
                rects[i].setBottom(y);
            continue;
        }
        bandStart = rects.size();
        for (const auto& [x, w] : runs)
            rects.emplace_back(x, y, w, 1);
        std::swap(runs, previous);
    }
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

QPixmap Skin::keyedByCorner(const QPixmap& picture) {
    if (picture.isNull() || picture.hasAlphaChannel())
        return picture;
    const QColor corner = picture.toImage().pixelColor(0, 0);
    QPixmap keyed = picture;
    // The pixmap's own mask maker: "in colour" are the pixels that become see-through.
    keyed.setMask(picture.createMaskFromColor(corner, Qt::MaskInColor));
    return keyed;
}

QPixmap Skin::picture(const QString& name) {
    return picture(name, displayRatio());
}

QPixmap Skin::picture(const QString& name, qreal ratio) {
    const bool high = useHighDensity(name, ratio);
    const QString key = densityKey(name, high);
    auto& cache = decoded();
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QPixmap pixmap;
    if (auto started = pending().find(key); started != pending().end()) {
        // Decoded on a worker in the format it is drawn from.
        const QImage image = started->get();
        pending().erase(started);
        if (!image.isNull())
            pixmap = pixmapOf(image);
    } else if (const QString path = densityPath(name, high); !path.isEmpty()) {
        // What QPixmap::load does, without its guessing reader and without a second reference in the
        // global pixmap cache, which would keep a picture alive that this cache has let go.
        pixmap = pixmapOf(decodeForDisplay(path));
        if (high)
            pixmap.setDevicePixelRatio(2.0);
    }
    cache.insert(key, pixmap);
    return pixmap;
}

QPixmap Skin::transientPicture(const QString& name) {
    const bool high = useHighDensity(name, displayRatio());
    if (auto it = decoded().constFind(densityKey(name, high)); it != decoded().constEnd())
        return *it;
    const QString path = densityPath(name, high);
    if (path.isEmpty())
        return QPixmap();
    QPixmap pixmap = QPixmap::fromImage(decodeSkinFile(path));
    if (high)
        pixmap.setDevicePixelRatio(2.0);
    return pixmap;
}

void Skin::releaseEmbeddedBytes() {
    // The skin's PNG files lie side by side in one block of the program's read-only data.
    const uchar* begin = nullptr;
    const uchar* end = nullptr;
    for (const QString& path : resourcePaths()) {
        const QResource file(path);
        const uchar* data = file.data();
        if (!data)
            continue;
        if (!begin || data < begin)
            begin = data;
        if (!end || data + file.size() > end)
            end = data + file.size();
    }
    if (begin && end > begin)
        platform::releaseReadOnlyPages(begin, static_cast<std::size_t>(end - begin));
    // Packed pixels are the shown pictures themselves: those of the kept pictures stay, those shown
    // and let go (the loading window's frames) go.
    for (QDirIterator it(QStringLiteral(":/skin-pixels"), QDir::Files); it.hasNext();) {
        const QResource file(it.next());
        if (!decoded().contains(it.fileName().section(QLatin1Char('.'), 0, 0).toLower()) && file.data())
            platform::releaseReadOnlyPages(file.data(), static_cast<std::size_t>(file.size()));
    }
}

QSize Skin::pictureSize(const QString& name) {
    // From the table written when the program was built: the embedded pictures are not read for it.
    const QByteArray key = name.toLower().toLatin1();
    const std::string_view wanted(key.constData(), static_cast<std::size_t>(key.size()));
    const skin_sizes::Entry* const end = skin_sizes::kEntries + skin_sizes::kEntryCount;
    const skin_sizes::Entry* entry = std::lower_bound(
        skin_sizes::kEntries, end, wanted,
        [](const skin_sizes::Entry& e, std::string_view n) { return std::string_view(e.name) < n; });
    if (entry == end || std::string_view(entry->name) != wanted)
        return QSize();
    return QSize(entry->width, entry->height);
}

bool Skin::contains(const QString& name) {
    return !resourcePath(name).isEmpty();
}

} // namespace tarvik::gui
