// The GSettings library is a cost only the desktops that keep their pointer settings in it should
// pay: it is loaded when such a store is opened, and never by the other stores.

#include "platform/PointerSettings.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

bool mapped(const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

} // namespace

TEST(GSettingsLoading, OnlyAGSettingsStoreLoadsTheLibraryAndItWorksOnceLoaded) {
    using tarvik::platform::PointerBackend;
    using tarvik::platform::PointerSetting;
    ASSERT_FALSE(mapped("libgio-2.0")) << "this test program must not link the library itself";

    // Another desktop's store leaves it alone.
    tarvik::platform::makePointerSettings({PointerBackend::X11});
    EXPECT_FALSE(mapped("libgio-2.0"));

    // A GNOME-family store loads it and reads through it (the memory backend holds the defaults).
    setenv("GSETTINGS_BACKEND", "memory", 1);
    const auto gnome = tarvik::platform::makePointerSettings({PointerBackend::GSettings});
    EXPECT_TRUE(mapped("libgio-2.0"));
    ASSERT_NE(gnome, nullptr);
    if (!gnome->supports(PointerSetting::DoubleClickTime))
        GTEST_SKIP() << "the desktop's mouse schema is not installed";
    EXPECT_EQ(gnome->read().doubleClickMs, 400);
    ASSERT_TRUE(gnome->write({.doubleClickMs = 250}));
    EXPECT_EQ(gnome->read().doubleClickMs, 250);
}
