// The walk over fire macro bodies that the Fire Macro page shows, over the bodies of both default
// images and over bodies the mouse could hand back broken; the slots each preset plays; the names
// the fire macro list shows.

#include "core/fire/FireBodyWalk.h"
#include "core/fire/FireMacroNames.h"
#include "core/fire/FirePresets.h"
#include "core/image/DefaultImages.h"
#include "core/macros/MacroName.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <vector>

using namespace tarvik;
using core::walkFireBody;

namespace {

using Body = core::FireMacroStore::Body;

Body bodyOf(std::initializer_list<int> bytes) {
    Body body{};
    std::size_t i = 0;
    for (int b : bytes)
        body.at(i++) = static_cast<core::Byte>(b);
    return body;
}

core::FireMacroSlots defaultSlots(int image) {
    core::DefaultImageBuffers defaults;
    core::loadDefaultImages(core::StorageKind::I2C, defaults);
    return defaults.at(image - 1).fireMacroStore.split();
}

struct Shown {
    int x, y, time;
};

} // namespace

TEST(FireBodyWalk, ShowsTheDefaultBodiesOfBothImages) {
    const Shown image1[10] = {{0, 6, 1},   {0, 3, 1},   {0, 4, 1},   {0, 3, 1},   {0, 5, 1},
                              {0, 12, 21}, {0, 12, 21}, {0, 12, 21}, {0, 12, 21}, {0, 0, 0}};
    const Shown image2[10] = {{0, 16, 26}, {0, 15, 26}, {0, 14, 26}, {0, 13, 26}, {0, 15, 26},
                              {0, 5, 8},   {0, 12, 8},  {0, 8, 8},   {0, 14, 8},  {0, 16, 8}};
    for (int image : {1, 2}) {
        const core::FireMacroSlots slots = defaultSlots(image);
        for (int s = 0; s < 10; ++s) {
            const core::FireSegmentView view = walkFireBody(slots.bodies[s], 32);
            const Shown& expected = (image == 1 ? image1 : image2)[s];
            EXPECT_EQ(view.count, 0) << image << "/" << s;
            EXPECT_EQ(view.x, expected.x) << image << "/" << s;
            EXPECT_EQ(view.y, expected.y) << image << "/" << s;
            EXPECT_EQ(view.time, expected.time) << image << "/" << s;
        }
    }
}

TEST(FireBodyWalk, RecordsWhereEachValueLives) {
    // FD 00, A1, delay 1, move (0,6), delay 1, 21, delay 1, FC
    const Body body = bodyOf({0xFD, 0x00, 0xA1, 0xFE, 0x00, 0x01, 0x04, 0x00, 0x06, 0xFE, 0x00, 0x01, 0x21,
                              0xFE, 0x00, 0x01, 0xFC});
    const core::FireSegmentView view = walkFireBody(body, 32);
    EXPECT_EQ(view.length, 18u);
    EXPECT_EQ(view.countAt, 1u);
    EXPECT_EQ(view.xAt, 7u);
    EXPECT_EQ(view.yAt, 8u);
    EXPECT_EQ(view.timeAt, 10u); // the delay right after the move, not the first one
}

TEST(FireBodyWalk, SignedMovesAndTheUnshownComponent) {
    // move (-9, 0x80): 0x80 is not shown, its place is still recorded; a big delay after the move
    const core::FireSegmentView view =
        walkFireBody(bodyOf({0xFD, 0x07, 0x04, 0xF7, 0x80, 0xFE, 0x12, 0x34, 0xFC}), 32);
    EXPECT_EQ(view.count, 7);
    EXPECT_EQ(view.x, -9);
    EXPECT_EQ(view.y, 0);
    EXPECT_EQ(view.yAt, 4u);
    EXPECT_EQ(view.time, 0x1234);
}

TEST(FireBodyWalk, EndsOnBrokenBodies) {
    // An unknown code stops the walk: what lies after it is not shown.
    core::FireSegmentView view = walkFireBody(bodyOf({0xA1, 0x55, 0x04, 0x01, 0x02, 0xFE, 0x00, 0x09}), 32);
    EXPECT_FALSE(view.xAt);
    EXPECT_EQ(view.time, 0);

    // A body of 0xFF (a failed read) has no end: the previous length is kept and the walk stops.
    Body failed{};
    failed.fill(0xFF);
    view = walkFireBody(failed, 32);
    EXPECT_EQ(view.length, 32u);
    EXPECT_FALSE(view.countAt);

    // A body without an end whose last event is cut by the body's end: nothing is read past it.
    Body full{};
    for (std::size_t i = 0; i + 2 < full.size(); i += 3)
        full[i] = 0xFE, full[i + 1] = 0x01, full[i + 2] = 0x01;
    full[30] = 0x04;
    full[31] = 0x05;
    view = walkFireBody(full, 32);
    EXPECT_FALSE(view.xAt);

    // An empty body shows nothing.
    view = walkFireBody(Body{}, 32);
    EXPECT_EQ(view.length, 1u);
    EXPECT_FALSE(view.countAt);
}

TEST(FirePresets, SlotsAndGunModesOfEachPreset) {
    struct Case {
        int preset;
        std::vector<int> slots;
        std::vector<int> gunModes;
    };
    const Case cases[] = {{1, {0}, {}},
                          {2, {1}, {}},
                          {3, {2}, {}},
                          {4, {3}, {}},
                          {5, {4}, {}},
                          {6, {5, 6}, {1, 2}},
                          {7, {7, 8, 9}, {3, 4, 5}}};
    for (const Case& c : cases) {
        EXPECT_EQ(core::firePresetSlots(c.preset), c.slots) << c.preset;
        EXPECT_EQ(core::firePresetGunModes(c.preset), c.gunModes) << c.preset;
    }
    EXPECT_THROW(core::firePresetSlots(0), std::out_of_range);
    EXPECT_THROW(core::firePresetSlots(8), std::out_of_range);
}

TEST(FireMacroNames, ListsTheSlotsInUse) {
    core::FireMacroSlots slots = defaultSlots(1);
    const std::vector<std::string> all = core::fireMacroNamesInUse(slots);
    ASSERT_EQ(all.size(), 10u);
    EXPECT_EQ(all.front(), "Macro1");
    EXPECT_EQ(all.back(), "Macro10");

    slots.names[1] = {};           // never named
    slots.names[4].fill(0xFF);     // erased memory
    slots.names[7] = {0x00, 0x41}; // one character: in use
    slots.names[8] = {0xFF, 0x00}; // only one byte of the two: in use
    const std::vector<std::string> shown = core::fireMacroNamesInUse(slots);
    EXPECT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[1], "Macro3");
    EXPECT_EQ(shown[5], "A");
}
