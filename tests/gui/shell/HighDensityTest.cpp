// On a screen of ratio 2 the skin's pictures come from their high-density copies, laid out at the
// size of the normal pictures. The binary sets the scale factor itself before the application
// starts: the ratio cannot change once it runs.

#include "gui/dialogs/SkinnedDialog.h"
#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"
#include "support/GuiTestMain.h"

#include <QTemporaryDir>
#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

using tarvik::gui::PictureControl;
using tarvik::gui::Skin;

namespace {

QImage resourceImage(const char* path) {
    return QImage(QString::fromLatin1(path)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

TEST(HighDensity, PicturesComeFromTheDoubleSizeCopyAtTheNormalLogicalSize) {
    ASSERT_EQ(Skin::displayRatio(), 2.0);
    const QPixmap high = Skin::picture(QStringLiteral("SetS_01"));
    EXPECT_EQ(high.devicePixelRatio(), 2.0);
    EXPECT_EQ(high.size(), QSize(184, 54));
    EXPECT_EQ(high.deviceIndependentSize().toSize(), QSize(92, 27));
    EXPECT_EQ(high.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              resourceImage(":/skin/SetS_01@2x.png"));
    // Any spelling of the name finds the same copy.
    EXPECT_EQ(Skin::picture(QStringLiteral("sets_01")).size(), QSize(184, 54));

    // Asked for ratio 1, and for the layout, the normal picture still answers.
    const QPixmap normal = Skin::picture(QStringLiteral("SetS_01"), 1.0);
    EXPECT_EQ(normal.devicePixelRatio(), 1.0);
    EXPECT_EQ(normal.size(), QSize(92, 27));
    EXPECT_EQ(normal.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              resourceImage(":/skin/SetS_01.png"));
    EXPECT_EQ(Skin::pictureSize(QStringLiteral("SetS_01")), QSize(92, 27));
}

TEST(HighDensity, ControlsKeepTheirLayoutSizeWhateverCopyTheyShow) {
    QWidget page;
    page.show();
    PictureControl shown(QStringLiteral("Img_Shown"), &page);
    shown.show();
    shown.setPicture(QStringLiteral("L1_Back1"));
    EXPECT_EQ(shown.size(), QSize(856, 550));
    EXPECT_EQ(shown.pixmap().devicePixelRatio(), 2.0);
    // The opaque background still covers its control exactly.
    EXPECT_TRUE(shown.testAttribute(Qt::WA_OpaquePaintEvent));

    // A control set while its page is closed takes the same size, then the same copy.
    QWidget closed;
    PictureControl later(QStringLiteral("Img_Later"), &closed);
    later.setPicture(QStringLiteral("SetS_02"));
    EXPECT_EQ(later.size(), QSize(92, 27));
    closed.show();
    EXPECT_EQ(later.size(), QSize(92, 27));
    EXPECT_EQ(later.pixmap().devicePixelRatio(), 2.0);
}

TEST(HighDensity, ShapesAreCutInTheWindowsUnits) {
    const QRgb key = tarvik::gui::SkinnedDialog::kColourKey;
    const QRegion shape = Skin::prefetchShape(QStringLiteral("L1_BackGround"), key).get();
    const QRegion normal =
        Skin::opaqueRegion(Skin::picture(QStringLiteral("L1_BackGround"), 1.0).toImage(), key);
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_EQ(shape, normal);
    EXPECT_TRUE(QRect(QPoint(0, 0), Skin::pictureSize(QStringLiteral("L1_BackGround")))
                    .contains(shape.boundingRect()));
    // The window itself is shown from the high-density copy.
    EXPECT_EQ(Skin::picture(QStringLiteral("L1_BackGround")).devicePixelRatio(), 2.0);
}

} // namespace

// The screen's ratio is fixed before the application starts.
void tarvik::gui::testing::beforeApplication() {
    qputenv("QT_SCALE_FACTOR", "2");
}
