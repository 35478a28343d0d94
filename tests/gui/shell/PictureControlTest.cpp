// Picture controls off screen take their size at once and their picture when they are shown.

#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"

#include <QWidget>

#include <gtest/gtest.h>

using tarvik::gui::PictureControl;
using tarvik::gui::Skin;

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
