#include "SkinPainter.h"

#include "Canvas.h"
#include "ControlPictures.h"
#include "ExtraPictures.h"
#include "PagePictures.h"
#include "PngFile.h"
#include "SkinGrid.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>

namespace tarvik::skin {

namespace {

QList<PictureSpec> buildCatalogue() {
    QList<PictureSpec> list;
    auto add = [&list](const QString& name, QSize size) { list.append({name, size}); };
    add(QStringLiteral("L1_BackGround"), grid::kWindow);
    for (int n = 1; n <= 5; ++n) {
        add(QStringLiteral("L1_Back%1").arg(n), grid::kPageSize);
    }
    for (int layout = 2; layout <= 3; ++layout) {
        add(QStringLiteral("L%1_BackGround").arg(layout), QSize(4, 4));
        for (int n = 1; n <= 5; ++n) {
            add(QStringLiteral("L%1_Back%2").arg(layout).arg(n), QSize(4, 4));
        }
    }
    add(QStringLiteral("Update"), QSize(540, 102));
    const struct {
        const char* stem;
        QSize size;
    } threeState[] = {{"SetS", {92, 27}},  {"BtnS", {110, 27}},   {"ExitS", {15, 15}},
                      {"KeyS", {170, 27}}, {"MacroS", {110, 27}}, {"MacroBtnS", {44, 27}},
                      {"WebS", {150, 80}}};
    for (const auto& t : threeState) {
        for (int s = 1; s <= 3; ++s) {
            add(QStringLiteral("%1_0%2").arg(QString::fromLatin1(t.stem)).arg(s), t.size);
        }
    }
    const struct {
        const char* stem;
        QSize size;
    } twoState[] = {{"CbS", {16, 16}}, {"RdS", {15, 15}}, {"Bar1", {26, 18}}, {"Bar2", {20, 18}}};
    for (const auto& t : twoState) {
        add(QStringLiteral("%1_D").arg(QString::fromLatin1(t.stem)), t.size);
        add(QStringLiteral("%1_E").arg(QString::fromLatin1(t.stem)), t.size);
    }
    add(QStringLiteral("Col_F"), QSize(32, 40));
    for (int s = 1; s <= 2; ++s) {
        for (int g = 1; g <= 7; ++g) {
            add(QStringLiteral("Gun%1_0%2").arg(g).arg(s), QSize(120, 56));
        }
    }
    for (int g = 1; g <= 5; ++g) {
        add(QStringLiteral("GunMode%1").arg(g), QSize(40, 40));
    }
    add(QStringLiteral("InsertDelayBase"), QSize(207, 162));
    add(QStringLiteral("InsertKeyBase"), QSize(207, 162));
    add(QStringLiteral("InsertXYBase"), QSize(207, 162));
    add(QStringLiteral("Msg"), QSize(530, 200));
    for (int k = 0; k <= 8; ++k) {
        add(QStringLiteral("MacroIcon%1").arg(k), QSize(20, 20));
    }
    for (int f = 0; f < kLoadingFrames; ++f) {
        add(QStringLiteral("Loading_%1").arg(f, 2, 10, QLatin1Char('0')), QSize(200, 192));
    }
    return list;
}

ButtonState stateOf(const QString& name) {
    if (name.endsWith(QLatin1String("_02"))) {
        return ButtonState::Hover;
    }
    if (name.endsWith(QLatin1String("_03"))) {
        return ButtonState::Pressed;
    }
    return ButtonState::Normal;
}

int trailingNumber(const QString& name) {
    static const QRegularExpression digits(QStringLiteral("(\\d+)$"));
    const auto m = digits.match(name);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The page of each page picture L1_Back1 .. L1_Back5 (the fire page shows the fifth).
int pageOfPagePicture(const QString& name) {
    static const QRegularExpression re(QStringLiteral("^L1_Back([1-5])$"));
    const QRegularExpressionMatch m = re.match(name);
    if (!m.hasMatch())
        return 0;
    const int n = m.captured(1).toInt();
    return n == 5 ? 6 : n;
}

// A page picture over the background where the table places it: the few see-through pixels of its
// cut corners take what lies beneath, and the picture comes out opaque, which the program decodes
// and draws faster than a picture with an alpha channel.
QImage onBackground(const QImage& page, const QImage& background, QPoint at) {
    const qreal scale = background.devicePixelRatio();
    QImage image = background.copy(QRect(at * scale, page.size())).convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    QPainter p(&image);
    p.drawImage(0, 0, page);
    p.end();
    return image;
}

} // namespace

const QList<PictureSpec>& SkinPainter::catalogue() {
    static const QList<PictureSpec> list = buildCatalogue();
    return list;
}

const QList<int>& SkinPainter::iconSizes() {
    static const QList<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256};
    return sizes;
}

QImage SkinPainter::renderIcon(int pixels) const {
    return paintAppIcon(pixels);
}

QString pictureFileName(const QString& name, int scale) {
    return scale == 1 ? name + QStringLiteral(".png") : QStringLiteral("%1@%2x.png").arg(name).arg(scale);
}

QImage SkinPainter::render(const QString& name, int scale) const {
    const ScopedRenderScale scaled(scale);
    QImage image;
    const QString stem = name.section(QLatin1Char('_'), 0, 0);
    if (name == QLatin1String("L1_BackGround")) {
        image = paintBackground(m_layout);
    } else if (name == QLatin1String("L1_Back1")) {
        image = paintKeyPage(m_layout);
    } else if (name == QLatin1String("L1_Back2")) {
        image = paintAdvancedPage(m_layout);
    } else if (name == QLatin1String("L1_Back3")) {
        image = paintLightingPage(m_layout);
    } else if (name == QLatin1String("L1_Back4")) {
        image = paintMacroPage(m_layout);
    } else if (name == QLatin1String("L1_Back5")) {
        image = paintFirePage(m_layout);
    } else if (name.startsWith(QLatin1String("L2_")) || name.startsWith(QLatin1String("L3_"))) {
        image = paintPlaceholder();
    } else if (name == QLatin1String("Update")) {
        image = paintUpdateBanner();
    } else if (stem == QLatin1String("SetS")) {
        image = paintPlate(QSize(92, 27), PlateStyle::Navigation, stateOf(name));
    } else if (stem == QLatin1String("BtnS") || stem == QLatin1String("MacroS")) {
        image = paintPlate(QSize(110, 27), PlateStyle::Push, stateOf(name));
    } else if (stem == QLatin1String("MacroBtnS")) {
        image = paintPlate(QSize(44, 27), PlateStyle::Push, stateOf(name));
    } else if (stem == QLatin1String("KeyS")) {
        image = paintPlate(QSize(170, 27), PlateStyle::Key, stateOf(name));
    } else if (stem == QLatin1String("ExitS")) {
        image = paintExit(stateOf(name));
    } else if (stem == QLatin1String("WebS")) {
        // The web badge swaps meanings: "_03" is shown under the pointer and "_02" after a click.
        const ButtonState s = stateOf(name);
        image = paintWebBadge(s == ButtonState::Hover     ? ButtonState::Pressed
                              : s == ButtonState::Pressed ? ButtonState::Hover
                                                          : s);
    } else if (stem == QLatin1String("CbS")) {
        image = paintCheck(name.endsWith(QLatin1String("_E")));
    } else if (stem == QLatin1String("RdS")) {
        image = paintRadio(name.endsWith(QLatin1String("_E")));
    } else if (stem == QLatin1String("Bar1")) {
        image = paintBarCell(QSize(26, 18), name.endsWith(QLatin1String("_E")));
    } else if (stem == QLatin1String("Bar2")) {
        image = paintBarCell(QSize(20, 18), name.endsWith(QLatin1String("_E")));
    } else if (name == QLatin1String("Col_F")) {
        image = paintColorFrame();
    } else if (name.startsWith(QLatin1String("GunMode"))) {
        image = paintGunMode(trailingNumber(name));
    } else if (name.startsWith(QLatin1String("Gun"))) {
        image = paintGunCard(name.mid(3, 1).toInt(), name.endsWith(QLatin1String("_02")));
    } else if (name == QLatin1String("InsertDelayBase")) {
        image = paintInsertBacking(InsertKind::Delay);
    } else if (name == QLatin1String("InsertKeyBase")) {
        image = paintInsertBacking(InsertKind::Key);
    } else if (name == QLatin1String("InsertXYBase")) {
        image = paintInsertBacking(InsertKind::Axis);
    } else if (name == QLatin1String("Msg")) {
        image = paintMessageBackground();
    } else if (name.startsWith(QLatin1String("MacroIcon"))) {
        image = paintMacroIcon(trailingNumber(name));
    } else if (name.startsWith(QLatin1String("Loading_"))) {
        image = paintLoadingFrame(trailingNumber(name));
    }
    if (const int page = pageOfPagePicture(name); page != 0 && !image.isNull())
        image = onBackground(image, paintBackground(m_layout),
                             m_layout.point(QStringLiteral("P%1").arg(page)).toPoint());
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

bool writeSkin(const SkinPainter& painter, const QString& directory, QString* error) {
    QDir dir(directory);
    if (!dir.mkpath(QStringLiteral("."))) {
        if (error) {
            *error = QStringLiteral("cannot create %1").arg(directory);
        }
        return false;
    }
    QString qrc = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/skin\">\n");
    for (const PictureSpec& spec : SkinPainter::catalogue()) {
        for (const int scale : kPictureScales) {
            QImage image = painter.render(spec.name, scale);
            if (image.size() != spec.size * scale) {
                if (error) {
                    *error = QStringLiteral("%1 at scale %2 came out %3 x %4")
                                 .arg(spec.name)
                                 .arg(scale)
                                 .arg(image.width())
                                 .arg(image.height());
                }
                return false;
            }
            if (!image.hasAlphaChannel() ||
                image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32) == image) {
                image = image.convertToFormat(QImage::Format_RGB888); // opaque pictures carry no alpha
            }
            const QString file = pictureFileName(spec.name, scale);
            if (!writeFastPng(image, dir.filePath(file), error)) {
                return false;
            }
            qrc += QStringLiteral("    <file>%1</file>\n").arg(file);
        }
    }
    qrc += QStringLiteral("</qresource>\n</RCC>\n");
    QFile out(dir.filePath(QStringLiteral("skin.qrc")));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(qrc.toUtf8()) < 0) {
        if (error) {
            *error = QStringLiteral("cannot write skin.qrc");
        }
        return false;
    }
    return true;
}

bool writeIcons(const SkinPainter& painter, const QString& directory, QString* error) {
    QDir dir(directory);
    if (!dir.mkpath(QStringLiteral("."))) {
        if (error) {
            *error = QStringLiteral("cannot create %1").arg(directory);
        }
        return false;
    }
    QString qrc = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/icons\">\n");
    for (const int pixels : SkinPainter::iconSizes()) {
        const QString file = QStringLiteral("tarvik-config-%1.png").arg(pixels);
        if (!writeFastPng(painter.renderIcon(pixels), dir.filePath(file), error)) {
            return false;
        }
        qrc += QStringLiteral("    <file>%1</file>\n").arg(file);
    }
    qrc += QStringLiteral("</qresource>\n</RCC>\n");
    QFile out(dir.filePath(QStringLiteral("icons.qrc")));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(qrc.toUtf8()) < 0) {
        if (error) {
            *error = QStringLiteral("cannot write icons.qrc");
        }
        return false;
    }
    return true;
}

} // namespace tarvik::skin
