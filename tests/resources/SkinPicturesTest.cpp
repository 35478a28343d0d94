// The committed skin: every picture the window loads by name exists with its size and is listed in the
// resource file; the window and dialog shapes are cut by the colour key; the pictures are what the
// generator paints today.

#include "Canvas.h"
#include "SkinLayout.h"
#include "SkinPainter.h"
#include "SkinTestSupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSet>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Painting text needs a GUI application. It must be gone before Qt's own statics at exit, so the
// test environment owns it rather than a static.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[10] = "skin_test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

[[maybe_unused]] const ::testing::Environment* const kGuiEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

using tarvik::tests::committedPicture;
using tarvik::tests::isKey;
using tarvik::tests::skinDirectory;

struct Expected {
    QString name;
    QSize size;
};

// Every picture the window and its dialogs load, with its size.
std::vector<Expected> expectedPictures() {
    std::vector<Expected> list = {{"L1_BackGround", {1030, 662}},
                                  {"Update", {540, 102}},
                                  {"Col_F", {32, 40}},
                                  {"InsertDelayBase", {207, 162}},
                                  {"InsertKeyBase", {207, 162}},
                                  {"InsertXYBase", {207, 162}},
                                  {"Msg", {530, 200}}};
    for (int n = 1; n <= 5; ++n) {
        list.push_back({QStringLiteral("L1_Back%1").arg(n), {856, 550}});
    }
    const std::vector<Expected> threeState = {
        {"SetS", {92, 27}},    {"BtnS", {110, 27}},     {"ExitS", {15, 15}}, {"KeyS", {170, 27}},
        {"MacroS", {110, 27}}, {"MacroBtnS", {44, 27}}, {"WebS", {150, 80}}};
    for (const Expected& e : threeState) {
        for (const char* state : {"_01", "_02", "_03"}) {
            list.push_back({e.name + QLatin1String(state), e.size});
        }
    }
    const std::vector<Expected> twoState = {
        {"CbS", {16, 16}}, {"RdS", {15, 15}}, {"Bar1", {26, 18}}, {"Bar2", {20, 18}}};
    for (const Expected& e : twoState) {
        list.push_back({e.name + QStringLiteral("_D"), e.size});
        list.push_back({e.name + QStringLiteral("_E"), e.size});
    }
    for (int g = 1; g <= 7; ++g) {
        list.push_back({QStringLiteral("Gun%1_01").arg(g), {120, 56}});
        list.push_back({QStringLiteral("Gun%1_02").arg(g), {120, 56}});
    }
    for (int g = 1; g <= 5; ++g) {
        list.push_back({QStringLiteral("GunMode%1").arg(g), {40, 40}});
    }
    for (int k = 0; k <= 8; ++k) {
        list.push_back({QStringLiteral("MacroIcon%1").arg(k), {20, 20}});
    }
    for (int f = 0; f < 12; ++f) {
        list.push_back({QStringLiteral("Loading_%1").arg(f, 2, 10, QLatin1Char('0')), {200, 192}});
    }
    return list;
}

QStringList placeholderNames() {
    QStringList names;
    for (int layout = 2; layout <= 3; ++layout) {
        names << QStringLiteral("L%1_BackGround").arg(layout);
        for (int n = 1; n <= 5; ++n) {
            names << QStringLiteral("L%1_Back%2").arg(layout).arg(n);
        }
    }
    return names;
}

// File names listed under the "/skin" prefix of skin.qrc.
QStringList resourceList(QString* prefix) {
    QFile file(skinDirectory() + QStringLiteral("/skin.qrc"));
    QStringList files;
    if (!file.open(QIODevice::ReadOnly)) {
        return files;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("qresource")) {
            *prefix = xml.attributes().value(QStringLiteral("prefix")).toString();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("file")) {
            files << xml.readElementText();
        }
    }
    return xml.hasError() ? QStringList() : files;
}

TEST(SkinPictures, EveryPictureExistsWithItsSize) {
    for (const Expected& e : expectedPictures()) {
        const QImage image = committedPicture(e.name);
        ASSERT_FALSE(image.isNull()) << qPrintable(e.name) << ".png is missing";
        EXPECT_EQ(image.size(), e.size) << qPrintable(e.name);
        // The copy for high-density screens has exactly twice the size, or Qt would draw it off.
        const QImage doubled = committedPicture(e.name, 2);
        ASSERT_FALSE(doubled.isNull()) << qPrintable(e.name) << "@2x.png is missing";
        EXPECT_EQ(doubled.size(), e.size * 2) << qPrintable(e.name);
    }
    // Layouts 2 and 3 have no pictures of their own; their names still resolve.
    for (const QString& name : placeholderNames()) {
        const QImage image = committedPicture(name);
        ASSERT_FALSE(image.isNull()) << qPrintable(name) << ".png is missing";
        EXPECT_LE(image.width(), 8) << qPrintable(name);
        EXPECT_LE(image.height(), 8) << qPrintable(name);
    }
}

TEST(SkinPictures, ResourceFileListsExactlyThePicturesOfTheFolder) {
    QString prefix;
    const QStringList listed = resourceList(&prefix);
    ASSERT_FALSE(listed.isEmpty()) << "skin.qrc is missing or not well-formed";
    EXPECT_EQ(prefix, QStringLiteral("/skin"));
    const QSet<QString> listedSet(listed.begin(), listed.end());
    EXPECT_EQ(listedSet.size(), listed.size()) << "a file is listed twice";
    for (const Expected& e : expectedPictures()) {
        EXPECT_TRUE(listedSet.contains(e.name + QStringLiteral(".png"))) << qPrintable(e.name);
        EXPECT_TRUE(listedSet.contains(e.name + QStringLiteral("@2x.png"))) << qPrintable(e.name);
    }
    for (const QString& name : placeholderNames()) {
        EXPECT_TRUE(listedSet.contains(name + QStringLiteral(".png"))) << qPrintable(name);
    }
    const QStringList onDisk = QDir(skinDirectory()).entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(QSet<QString>(onDisk.begin(), onDisk.end()), listedSet);
}

// The see-through pixels must be exactly the outside of the shape: all of them reachable from the edge
// of the picture, none left as a hole inside, and the inside free of the key colour.
void expectColourKeyedShape(const QString& name) {
    const QImage image = committedPicture(name).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    const int w = image.width();
    const int h = image.height();
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
        EXPECT_TRUE(isKey(image.pixel(corner)))
            << qPrintable(name) << " corner " << corner.x() << "," << corner.y();
    }
    EXPECT_FALSE(isKey(image.pixel(w / 2, h / 2))) << qPrintable(name) << " centre";

    std::vector<char> outside(std::size_t(w) * std::size_t(h), 0);
    std::vector<QPoint> stack;
    auto push = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h || outside[std::size_t(y) * w + x] ||
            !isKey(image.pixel(x, y))) {
            return;
        }
        outside[std::size_t(y) * w + x] = 1;
        stack.push_back({x, y});
    };
    for (int x = 0; x < w; ++x) {
        push(x, 0);
        push(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        push(0, y);
        push(w - 1, y);
    }
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        push(p.x() + 1, p.y());
        push(p.x() - 1, p.y());
        push(p.x(), p.y() + 1);
        push(p.x(), p.y() - 1);
    }
    int holes = 0;
    int keyed = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (isKey(image.pixel(x, y))) {
                ++keyed;
                holes += outside[std::size_t(y) * w + x] ? 0 : 1;
            }
        }
    }
    EXPECT_EQ(holes, 0) << qPrintable(name) << ": key-coloured pixels inside the shape";
    EXPECT_LT(keyed, w * h / 10) << qPrintable(name) << ": the shape should fill most of the picture";
}

TEST(SkinPictures, WindowAndDialogShapesAreCutByTheColourKey) {
    expectColourKeyedShape(QStringLiteral("L1_BackGround"));
    expectColourKeyedShape(QStringLiteral("Msg"));
}

// Pixels that differ by more than raster back ends may round a blend; -1 when the sizes differ.
int countDiffering(const QImage& painted, const QImage& committed) {
    if (painted.size() != committed.size()) {
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < painted.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(painted.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(committed.constScanLine(y));
        for (int x = 0; x < painted.width(); ++x) {
            const int d =
                std::max({std::abs(qRed(a[x]) - qRed(b[x])), std::abs(qGreen(a[x]) - qGreen(b[x])),
                          std::abs(qBlue(a[x]) - qBlue(b[x])), std::abs(qAlpha(a[x]) - qAlpha(b[x]))});
            differing += d > 3 ? 1 : 0;
        }
    }
    return differing;
}

TEST(SkinPictures, CommittedPicturesAreWhatTheGeneratorPaints) {
    QString error;
    ASSERT_TRUE(tarvik::skin::loadSkinFonts(&error)) << qPrintable(error);
    tarvik::skin::SkinLayout layout;
    ASSERT_TRUE(layout.load(QStringLiteral(TARVIK_SOURCE_DIR "/resources/layout/org1.ini"), &error));
    const tarvik::skin::SkinPainter painter(layout);
    ASSERT_EQ(std::size_t(tarvik::skin::SkinPainter::catalogue().size()),
              expectedPictures().size() + std::size_t(placeholderNames().size()));
    for (const auto& spec : tarvik::skin::SkinPainter::catalogue()) {
        for (const int scale : tarvik::skin::kPictureScales) {
            const QImage painted = painter.render(spec.name, scale).convertToFormat(QImage::Format_ARGB32);
            const QImage committed =
                committedPicture(spec.name, scale).convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(countDiffering(painted, committed), 0)
                << qPrintable(tarvik::skin::pictureFileName(spec.name, scale))
                << " differs from the generator; run the target tarvik_skin_update and commit";
        }
    }
}

TEST(SkinPictures, ProgramIconIsWhatTheGeneratorPaintsInEverySize) {
    QString error;
    ASSERT_TRUE(tarvik::skin::loadSkinFonts(&error)) << qPrintable(error);
    tarvik::skin::SkinLayout layout;
    ASSERT_TRUE(layout.load(QStringLiteral(TARVIK_SOURCE_DIR "/resources/layout/org1.ini"), &error));
    const tarvik::skin::SkinPainter painter(layout);
    const QString folder = QStringLiteral(TARVIK_SOURCE_DIR "/resources/icons/");
    QFile qrc(folder + QStringLiteral("icons.qrc"));
    ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
    const QByteArray listed = qrc.readAll();
    for (const int size : tarvik::skin::SkinPainter::iconSizes()) {
        const QString file = QStringLiteral("tarvik-config-%1.png").arg(size);
        const QImage committed(folder + file);
        ASSERT_FALSE(committed.isNull()) << qPrintable(file) << " is missing";
        EXPECT_EQ(committed.size(), QSize(size, size)) << qPrintable(file);
        EXPECT_TRUE(committed.hasAlphaChannel()) << qPrintable(file) << ": the corners must be see-through";
        EXPECT_EQ(qAlpha(committed.pixel(0, 0)), 0) << qPrintable(file);
        EXPECT_TRUE(listed.contains(("<file>" + file + "</file>").toUtf8())) << qPrintable(file);
        EXPECT_EQ(countDiffering(painter.renderIcon(size).convertToFormat(QImage::Format_ARGB32),
                                 committed.convertToFormat(QImage::Format_ARGB32)),
                  0)
            << qPrintable(file)
            << " differs from the generator; run the target tarvik_skin_update and commit";
    }
}

} // namespace
