// Picture controls off screen take their size at once and their picture when they are shown.

#include "gui/skin/PictureControl.h"
#include "gui/skin/PackedPicture.h"
#include "gui/skin/Skin.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QResource>
#include <QWidget>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using tarvik::gui::PictureControl;
using tarvik::gui::Skin;

namespace {

// Each normal-size (not "@2x") picture of the skin: its name and resource path.
std::vector<std::pair<QString, QString>> normalPictures() {
    std::vector<std::pair<QString, QString>> pictures;
    for (QDirIterator it(QStringLiteral(":/skin"), QDir::Files); it.hasNext();) {
        const QString path = it.next();
        const QString name = it.fileName().section(QLatin1Char('.'), 0, 0);
        if (!name.endsWith(QLatin1String("@2x")))
            pictures.emplace_back(name, path);
    }
    return pictures;
}

} // namespace

TEST(PictureControl, OffScreenTakesTheSizeAndShowsTheLastPictureSetWhenShown) {
    QWidget page;
    PictureControl control(QStringLiteral("Img_Test"), &page);
    control.setPicture(QStringLiteral("SetS_01"));
    EXPECT_EQ(control.pictureName(), QStringLiteral("SetS_01"));
    EXPECT_EQ(control.size(), QSize(92, 27));
    EXPECT_TRUE(control.pixmap().isNull());

    // Swapped twice while the page is closed: the page opens on the last one.
    control.setPicture(QStringLiteral("L1_Back1"));
    control.setPicture(QStringLiteral("SetS_03"));
    EXPECT_EQ(control.size(), QSize(92, 27));
    page.show();
    EXPECT_EQ(control.pixmap().toImage(), Skin::picture(QStringLiteral("SetS_03")).toImage());

    // On screen the picture changes at once.
    control.setPicture(QStringLiteral("L1_Back1"));
    EXPECT_EQ(control.size(), QSize(856, 550));
    EXPECT_EQ(control.pixmap().cacheKey(), Skin::picture(QStringLiteral("L1_Back1")).cacheKey());

    // A name the skin does not have leaves the control empty, shown or not.
    control.setPicture(QStringLiteral("NoSuchPicture"));
    EXPECT_TRUE(control.pixmap().isNull());
    page.hide();
    control.setPicture(QStringLiteral("NoSuchPicture2"));
    page.show();
    EXPECT_TRUE(control.pixmap().isNull());
    EXPECT_FALSE(Skin::pictureSize(QStringLiteral("NoSuchPicture")).isValid());
}

TEST(PictureControl, OnlyAnOpaquePictureFillingTheControlHidesWhatLiesBeneath) {
    QWidget page;
    page.show();
    PictureControl control(QStringLiteral("Img_Test"), &page);
    control.show();
    control.setPicture(QStringLiteral("L1_Back1")); // opaque
    EXPECT_TRUE(control.testAttribute(Qt::WA_OpaquePaintEvent));
    control.resize(control.width() + 10, control.height()); // a strip the picture leaves bare
    EXPECT_FALSE(control.testAttribute(Qt::WA_OpaquePaintEvent));
    control.setPicture(QStringLiteral("SetS_01")); // rounded plate with see-through corners
    ASSERT_TRUE(control.pixmap().hasAlphaChannel());
    EXPECT_FALSE(control.testAttribute(Qt::WA_OpaquePaintEvent));
    control.setPicture(QStringLiteral("NoSuchPicture"));
    EXPECT_FALSE(control.testAttribute(Qt::WA_OpaquePaintEvent));
}

// Every image plugin of the system asked whether it knows a file costs its loading; the skin is PNG
// and says so.
TEST(Skin, DecodingLoadsNoImagePlugin) {
    const auto pluginsMapped = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
    };
    ASSERT_FALSE(pluginsMapped()) << "an earlier test of this program loaded them";
    Skin::prefetch({QStringLiteral("Loading_05")});
    EXPECT_FALSE(Skin::picture(QStringLiteral("Loading_05")).isNull());
    EXPECT_FALSE(Skin::picture(QStringLiteral("Loading_06")).isNull());
    EXPECT_FALSE(pluginsMapped());
}

// The sizes come from a table made when the program is built: it must know every picture, in any
// spelling, and know nothing else.
TEST(Skin, SizesFromTheBuildTableMatchTheDecodedPictures) {
    for (const char* name : {"L1_BackGround", "l1_back1", "SETS_01", "setS_02"})
        EXPECT_EQ(Skin::pictureSize(QLatin1String(name)), Skin::picture(QLatin1String(name), 1.0).size())
            << name;
    ASSERT_TRUE(Skin::contains(QStringLiteral("L1_BackGround"))); // the skin is registered from here on
    const auto pictures = normalPictures();
    for (const auto& [name, path] : pictures) {
        QImageReader reader(path, "PNG");
        EXPECT_EQ(Skin::pictureSize(name), reader.size()) << name.toStdString();
    }
    EXPECT_GT(pictures.size(), 50u);
    for (const char* name : {"", "L1_BackGround@2x", "L1_BackGroun", "L1_BackGround.png", "Zzz"})
        EXPECT_FALSE(Skin::pictureSize(QLatin1String(name)).isValid()) << name;
}

TEST(Skin, OpaqueRegionLeavesOutExactlyTheColourKey) {
    const QRgb key = qRgb(128, 0, 0);
    // K = colour key, o = anything else; rows 1-2 repeat, row 3 differs, row 4 is all key.
    const char* rows[] = {"KooKo", "oKKoo", "oKKoo", "ooooK", "KKKKK", "oooo"};
    QImage image(5, 6, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, rows[y][x] == 'K' ? key : (rows[y][x] == 'o' ? qRgb(128, 0, 1) : key));
    // The last row is short in the table: its fifth pixel is the key as well.
    const QRegion region = Skin::opaqueRegion(image, key);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            EXPECT_EQ(region.contains(QPoint(x, y)), image.pixel(x, y) != key) << x << "," << y;
    EXPECT_FALSE(region.contains(QPoint(5, 0)));
    // A picture with alpha says itself what is see-through: the key colour is not cut out of it.
    QImage withAlpha = image.convertToFormat(QImage::Format_ARGB32);
    withAlpha.setPixel(1, 0, qRgba(10, 20, 30, 0));
    const QRegion alphaRegion = Skin::opaqueRegion(withAlpha, key);
    EXPECT_FALSE(alphaRegion.contains(QPoint(1, 0)));
    EXPECT_TRUE(alphaRegion.contains(QPoint(0, 0))) << "an opaque pixel of the key colour";
    EXPECT_TRUE(Skin::opaqueRegion(QImage(), key).isEmpty());
}

TEST(Skin, OnlyPicturesWithoutAlphaAreKeyedByTheirCorner) {
    // Without alpha: the corner's colour goes, the rest stays.
    QImage plain(4, 4, QImage::Format_RGB32);
    plain.fill(qRgb(128, 0, 0));
    plain.setPixel(2, 2, qRgb(0, 200, 0));
    const QImage keyed = Skin::keyedByCorner(QPixmap::fromImage(plain)).toImage();
    EXPECT_EQ(qAlpha(keyed.pixel(0, 3)), 0);
    EXPECT_EQ(keyed.pixel(2, 2), qRgb(0, 200, 0));
    // With alpha, and a see-through corner: drawn as it is.
    QImage icon(4, 4, QImage::Format_ARGB32);
    icon.fill(qRgba(0, 0, 0, 0));
    icon.setPixel(2, 2, qRgba(0, 200, 0, 255));
    EXPECT_EQ(Skin::keyedByCorner(QPixmap::fromImage(icon)).toImage().convertToFormat(QImage::Format_ARGB32),
              icon);
}

// Large opaque pictures are kept with three bytes a pixel; drawn, they give the PNG's own pixels, and
// the small pictures that are swapped often keep the screen's format.
TEST(Skin, LargeOpaquePicturesAreKeptCompactAndDrawTheSamePixels) {
    Skin::prefetch({QStringLiteral("L1_Back2")}); // decoded on a worker, as at start-up
    for (const char* name : {"L1_Back2", "L1_BackGround", "SetS_01", "KeyS_01"}) {
        const QPixmap kept = Skin::picture(QLatin1String(name), 1.0);
        QImageReader reader(QStringLiteral(":/skin/%1.png").arg(QLatin1String(name)), "PNG");
        const QImage read = reader.read();
        ASSERT_FALSE(read.isNull()) << name;
        const bool large = !read.hasAlphaChannel() && read.width() * read.height() * 4 >= 512 * 1024;
        const QImage original = read.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(kept.toImage().format() == QImage::Format_RGB888, large) << name;
        QImage drawn(kept.size(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        painter.drawPixmap(0, 0, kept);
        painter.end();
        EXPECT_EQ(drawn, original) << name;
    }
}

// The pages of the program's file that pictures shown and let go were read from (the loading
// window's frames) are let go; what is shown afterwards is the same picture.
TEST(Skin, EmbeddedBytesReadForDecodingAreLetGo) {
    const auto residentOfProgramFile = [] {
        const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        QFile smaps(QStringLiteral("/proc/self/smaps"));
        if (!smaps.open(QIODevice::ReadOnly))
            return -1LL;
        long long kb = 0;
        bool ours = false;
        for (const QByteArray& line : smaps.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 6 && fields[0].contains('-'))
                ours = QString::fromLocal8Bit(fields[5]) == program;
            else if (ours && line.startsWith("Rss:"))
                kb += fields.value(1).toLongLong();
        }
        return kb;
    };
    QImage before;
    for (int frame = 0; frame <= 10; ++frame) {
        const QPixmap picture =
            Skin::transientPicture(QStringLiteral("Loading_%1").arg(frame, 2, 10, QLatin1Char('0')));
        if (frame == 3)
            before = picture.toImage();
    }
    const long long read = residentOfProgramFile();
    Skin::releaseEmbeddedBytes();
    const long long released = residentOfProgramFile();
    ASSERT_GT(read, 0);
    EXPECT_LE(released + 300, read) << "eleven pictures of about 30 kB each were read";
    EXPECT_EQ(Skin::transientPicture(QStringLiteral("Loading_03")).toImage(), before);
}

// The packed form keeps every pixel in the form the window draws it from, rows of any width included,
// and is read where it lies only when its rows are aligned; anything but a whole packed picture is
// refused.
TEST(PackedPicture, KeepsThePixelsAndRefusesWhatIsNotAWholePicture) {
    namespace packed = tarvik::gui::packed;
    QImage opaque(7, 3, QImage::Format_RGB32); // 21 bytes a row when compact
    QImage seeThrough(5, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            opaque.setPixel(x, y, qRgb(x * 30, y * 80, (x + y) * 20));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            seeThrough.setPixel(x, y, qRgba(200, x * 40, y * 90, x * 60));
    const QImage large(600, 300, QImage::Format_RGB32); // 720,000 bytes at four a pixel: kept compact
    struct Case {
        QImage picture;
        QImage::Format shownAs;
    };
    for (const Case& c :
         {Case{opaque, QImage::Format_RGB32}, Case{seeThrough, QImage::Format_ARGB32_Premultiplied},
          Case{large, QImage::Format_RGB888}}) {
        const QByteArray bytes = packed::pack(c.picture);
        const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
        const QImage shown = packed::view(data, bytes.size());
        ASSERT_EQ(shown.format(), c.shownAs);
        EXPECT_EQ(shown.constBits(), data + 32) << "aligned rows are read where they lie";
        EXPECT_EQ(shown, c.picture.convertToFormat(c.shownAs));
        EXPECT_EQ(shown, packed::displayForm(c.picture));
    }

    const QByteArray bytes = packed::pack(opaque.convertToFormat(QImage::Format_RGB888));
    ASSERT_EQ(bytes.size(), 32 + 24 * 3) << "rows of 21 bytes padded to 24";
    QByteArray shifted(1, '\0');
    shifted += bytes;
    const auto* odd = reinterpret_cast<const uchar*>(shifted.constData()) + 1;
    const QImage copied = packed::view(odd, bytes.size());
    EXPECT_NE(copied.constBits(), odd + 32);
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), opaque);

    QByteArray wrongMagic = bytes;
    wrongMagic[0] = 'X';
    QByteArray wrongFormat = bytes;
    wrongFormat[4] = QImage::Format_Indexed8;
    QByteArray badStride = bytes;
    badStride[16] = 22; // not a multiple of four
    for (const QByteArray& bad :
         {bytes.left(bytes.size() - 1), bytes + 'x', wrongMagic, wrongFormat, badStride, bytes.left(10)})
        EXPECT_TRUE(packed::view(reinterpret_cast<const uchar*>(bad.constData()), bad.size()).isNull());
    EXPECT_TRUE(packed::view(nullptr, 0).isNull());
}

// Every picture is embedded packed as well, holds the PNG's pixels, and is shown from the program's
// file rather than decoded.
TEST(Skin, PicturesAreShownFromTheirPackedPixels) {
    const auto pictures = normalPictures();
    for (const auto& [name, path] : pictures) {
        QImageReader reader(path, "PNG");
        const QImage png = reader.read();
        ASSERT_FALSE(png.isNull()) << name.toStdString();
        const QImage shown = Skin::picture(name, 1.0).toImage();
        const bool large = !png.hasAlphaChannel() && png.width() * png.height() * 4 >= 512 * 1024;
        EXPECT_EQ(shown.format(), png.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                  : large               ? QImage::Format_RGB888
                                                        : QImage::Format_RGB32)
            << name.toStdString();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32), png.convertToFormat(QImage::Format_ARGB32))
            << name.toStdString();
        const QResource file(QStringLiteral(":/skin-pixels/%1.pix").arg(name));
        EXPECT_TRUE(file.isValid() && shown.constBits() > file.data() &&
                    shown.constBits() < file.data() + file.size())
            << name.toStdString() << " was decoded instead";
    }
    EXPECT_GT(pictures.size(), 80u);
}
