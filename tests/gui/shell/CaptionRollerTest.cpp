#include "gui/skin/CaptionRoller.h"

#include <QLabel>

#include <gtest/gtest.h>

using tarvik::gui::CaptionRoller;

TEST(CaptionRoller, RollsWithOneGapAndWrapsTheCounter) {
    QLabel label(QStringLiteral("Macro"));
    CaptionRoller roller(nullptr, 100000);
    roller.enter(&label);
    EXPECT_TRUE(roller.running());
    roller.tick();
    EXPECT_EQ(label.text(), QStringLiteral("acro    M"));
    roller.tick();
    EXPECT_EQ(label.text(), QStringLiteral("cro    Ma"));
    for (int i = 0; i < 7; ++i)
        roller.tick();
    // Nine characters in all: nine ticks bring the caption round with its gap at the end.
    EXPECT_EQ(label.text(), QStringLiteral("Macro    "));
    // Beyond 20 ticks the counter restarts at 2, so the gap is never added a second time.
    for (int i = 0; i < 40; ++i)
        roller.tick();
    EXPECT_EQ(label.text().length(), 9);
    roller.leave();
    EXPECT_FALSE(roller.running());
    EXPECT_EQ(label.text(), QStringLiteral("Macro"));
}

TEST(CaptionRoller, DisabledLabelsAndTextRollingOffStayStill) {
    QLabel label(QStringLiteral("Macro"));
    label.setEnabled(false);
    CaptionRoller roller(nullptr, 100000);
    roller.enter(&label);
    EXPECT_FALSE(roller.running());
    roller.leave();

    label.setEnabled(true);
    roller.setRollingEnabled(false);
    roller.enter(&label);
    roller.tick();
    roller.tick();
    EXPECT_EQ(label.text(), QStringLiteral("Macro"));
}

TEST(CaptionRoller, LanguageSwitchRestartsFromTheNewCaption) {
    QLabel label(QStringLiteral("English"));
    CaptionRoller roller(nullptr, 100000);
    roller.enter(&label);
    roller.tick();
    roller.tick();
    roller.retake(QStringLiteral("Language1"));
    roller.tick();
    EXPECT_EQ(label.text(), QStringLiteral("anguage1    L"));
    roller.leave();
    EXPECT_EQ(label.text(), QStringLiteral("Language1"));
}
