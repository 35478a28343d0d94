#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroName.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace tarvik::core {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<Byte>;

MacroBody bodyOf(const Bytes& bytes) {
    MacroBody body{};
    std::copy(bytes.begin(), bytes.end(), body.begin());
    return body;
}

Bytes slice(std::span<const Byte> bytes, std::size_t from, std::size_t n) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + n));
}

Bytes nameBytes(const char* name) {
    const MacroNameField field = nameToField(name);
    return Bytes(field.begin(), field.end());
}

DeviceMacroTable emptyEeprom() {
    DeviceMacroTable table;
    table.loadEeprom(EepromMacroArea{});
    return table;
}

// A body of n bytes of left clicks (events) plus the end byte.
Bytes clicks(std::size_t n) {
    Bytes b;
    for (std::size_t i = 0; i < n; ++i)
        b.push_back(i % 2 == 0 ? 0xA1 : 0x21);
    return b;
}

TEST(EepromMacros, EmptyAreaHasNoMacros) {
    const DeviceMacroTable table = emptyEeprom();
    EXPECT_EQ(table.kind(), StorageKind::I2C);
    EXPECT_EQ(table.count(), 0u);
    EXPECT_EQ(table.usedBytes(), 0u);
    EXPECT_TRUE(table.names().empty());
    EXPECT_EQ(table.eepromArea(), EepromMacroArea{});
}

TEST(EepromMacros, OneAndTwoMacrosArePackedWithTheirAddressesAndCodes) {
    DeviceMacroTable table = emptyEeprom();
    ASSERT_EQ(table.add(nameToField("M1"), bodyOf({0xA1, 0x21})), DeviceMacroTable::Result::Done);

    const EepromMacroArea& area = table.eepromArea();
    EXPECT_EQ(slice(area, 0, 16), nameBytes("M1"));
    EXPECT_EQ(slice(area, 16, 4), (Bytes{0xA1, 0x21, 0x00, 0x00}));
    EXPECT_EQ(table.entry(0).length, 19);
    EXPECT_EQ(table.entry(0).address, 0x0200);
    EXPECT_EQ(table.usedBytes(), 19u);
    EXPECT_EQ(table.addressTable().functionCode(0), "10020000");

    ASSERT_EQ(table.add(nameToField("M2"), bodyOf({0xA2, 0x22})), DeviceMacroTable::Result::Done);
    EXPECT_THAT(table.names(), ElementsAre("M1", "M2"));
    EXPECT_EQ(table.entry(1).address, 0x0213);
    EXPECT_EQ(table.addressTable().functionCode(1), "10021300");
    EXPECT_EQ(table.addressTable().rowOf(0x0213), 1u);
    EXPECT_EQ(table.nameAt(0x0213), "M2");
    EXPECT_EQ(table.nameAt(0x0214), std::nullopt);
    EXPECT_EQ(table.usedBytes(), 38u);

    // Deleting the first moves the second down to the first address.
    ASSERT_EQ(table.remove(0), DeviceMacroTable::Result::Done);
    EXPECT_THAT(table.names(), ElementsAre("M2"));
    EXPECT_EQ(table.entry(0).address, 0x0200);
    EXPECT_EQ(slice(table.eepromArea(), 16, 3), (Bytes{0xA2, 0x22, 0x00}));
    EXPECT_EQ(slice(table.eepromArea(), 19, 19), Bytes(19, 0x00));
    EXPECT_EQ(table.usedBytes(), 19u);
    EXPECT_EQ(table.remove(1), DeviceMacroTable::Result::NoSuchRow);
}

TEST(EepromMacros, AnEmptyMacroTakesSeventeenBytesAndShowsNothing) {
    DeviceMacroTable table = emptyEeprom();
    ASSERT_EQ(table.add(nameToField("E"), MacroBody{}), DeviceMacroTable::Result::Done);
    EXPECT_EQ(table.entry(0).length, 17);
    EXPECT_EQ(table.view(0), std::nullopt);
}

TEST(EepromMacros, ViewDecodesTheStoredEvents) {
    DeviceMacroTable table = emptyEeprom();
    table.add(nameToField("M1"), bodyOf({0xA1, 0xFE, 0x00, 0x32, 0x21}));
    const auto view = table.view(0);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->hex, "A1FE00322100");
    EXPECT_THAT(view->decoded.text, ElementsAre("10", "1 LeftKey CODE:00A1", "0 50", "2 LeftKey CODE:0021"));
}

// A first macro whose body is `lead` click bytes long puts the next code byte at area offset
// 16 + lead.
DeviceMacroTable withDelayAt(std::size_t offset, Bytes delay = {0xFE, 0x00, 0x32}) {
    Bytes body = clicks(offset - 16);
    body.insert(body.end(), delay.begin(), delay.end());
    body.push_back(0xA1);
    DeviceMacroTable table = emptyEeprom();
    EXPECT_EQ(table.add(nameToField("Long"), bodyOf(body)), DeviceMacroTable::Result::Done);
    return table;
}

TEST(EepromMacros, DelayCodeAtOffset255MovesToTheSecondBlock) {
    const DeviceMacroTable table = withDelayAt(255);
    const EepromMacroArea& area = table.eepromArea();
    EXPECT_EQ(area[254], 0xA1);
    EXPECT_EQ(area[255], 0xFC);
    EXPECT_EQ(slice(area, 256, 5), (Bytes{0xFE, 0x00, 0x32, 0xA1, 0x00}));
    // 16 + 239 clicks + FC + delay + click + end
    EXPECT_EQ(table.entry(0).length, 16 + 239 + 1 + 3 + 1 + 1);
    EXPECT_EQ(table.usedBytes(), table.entry(0).length);

    // Packing the table again leaves the image as it is.
    DeviceMacroTable again;
    again.loadEeprom(area);
    EXPECT_EQ(again.eepromArea(), area);
}

// Every code that starts an event with parameters moves to the second block when it would land at
// area offset 255, so that no event is split across the two 256-byte block writes; a button code
// (one byte) stays where it is.
TEST(EepromMacros, EachEventCodeAtOffset255MovesBehindTheFiller) {
    struct Case {
        const char* what;
        Bytes event;
        bool moved;
    };
    const Case cases[] = {
        {"delay", {0xFE, 0x00, 0x32}, true}, {"modifier down", {0x81, 0xE1}, true},
        {"modifier up", {0x01, 0xE1}, true}, {"key down", {0x82, 0x04}, true},
        {"key up", {0x02, 0x04}, true},      {"button", {0x21}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DeviceMacroTable table = withDelayAt(255, c.event);
        const EepromMacroArea& area = table.eepromArea();
        const std::size_t start = c.moved ? 256 : 255;
        Bytes expected = c.event;
        expected.push_back(0xA1);
        EXPECT_EQ(area[255], c.moved ? 0xFC : c.event[0]);
        EXPECT_EQ(slice(area, start, expected.size()), expected);
        // 16 + 239 clicks + the event + click + end, and one more for the filler.
        EXPECT_EQ(table.entry(0).length, 16 + 239 + c.event.size() + 1 + 1 + (c.moved ? 1 : 0));
    }
}

TEST(EepromMacros, OnlyAnEventCodeAtOffset255GetsTheFiller) {
    // The delay starts at 253, so its last parameter byte (0x01, also a modifier-up code) lands at 255.
    const DeviceMacroTable table = withDelayAt(253, {0xFE, 0x00, 0x01});
    const EepromMacroArea& area = table.eepromArea();
    EXPECT_EQ(slice(area, 253, 5), (Bytes{0xFE, 0x00, 0x01, 0xA1, 0x00}));
    // A move straddling the blocks is written unchanged.
    const DeviceMacroTable move = withDelayAt(255, {0x04, 0x01, 0x02});
    EXPECT_EQ(slice(move.eepromArea(), 255, 4), (Bytes{0x04, 0x01, 0x02, 0xA1}));
}

TEST(EepromMacros, ZeroParametersAreNotTakenForTheEndByte) {
    // A delay of 512 ms (FE 02 00) then a right press, a move of (5, 0) and a key "A" up: every 00
    // before the last is a parameter, and the body is read whole, whatever follows it.
    EepromMacroArea area{};
    const MacroNameField name = nameToField("D");
    std::copy(name.begin(), name.end(), area.begin());
    const Bytes body = {0xFE, 0x02, 0x00, 0xA2, 0x04, 0x05, 0x00, 0x02, 0x04, 0x00};
    std::copy(body.begin(), body.end(), area.begin() + 16);
    for (const Byte next : {Byte{0x00}, Byte{0x21}}) {
        SCOPED_TRACE(next);
        area[16 + body.size()] = next; // the first byte of what follows: more zeros or another name
        DeviceMacroTable table;
        table.loadEeprom(area);
        ASSERT_GE(table.count(), 1u);
        EXPECT_EQ(table.entry(0).length, 16 + body.size());
        EXPECT_EQ(slice(table.entry(0).body, 0, body.size()), body);
    }
}

// Adding one macro after `before`: either the mouse's area, read again, gives back every macro
// byte for byte at the addresses the table gave them, or the add is refused for the reason that
// holds and nothing changes.
TEST(EepromMacros, AddedMacrosReadBackByteIdenticalOrAreRefusedForTheirReason) {
    using R = DeviceMacroTable::Result;
    struct Case {
        const char* what;
        std::vector<Bytes> before;
        const char* name;
        Bytes body;
        R result;
        Bytes stored; // the body as the area holds it (the filler in front where it applies)
    };
    const Bytes keyA = {0x82, 0x04, 0x02, 0x04};
    const Bytes withFiller = {0xFC, 0x82, 0x04, 0x02, 0x04};
    const Case cases[] = {
        {"key A after another", {{0xA1, 0x21}}, "K", keyA, R::Done, keyA},
        {"shift+A on an empty store", {}, "S", {0x81, 0x02, 0x82, 0x04, 0x02, 0x04}, R::Done, {}},
        {"ends with a delay of 512 ms", {{0xA1, 0x21}}, "D", {0xA1, 0xFE, 0x02, 0x00}, R::Done, {}},
        {"delay of 256 ms before a right press", {}, "D", {0xFE, 0x01, 0x00, 0xA2}, R::Done, {}},
        {"move of (5, 0)", {{0xA1, 0x21}}, "M", {0x04, 0x05, 0x00, 0xA1}, R::Done, {}},
        {"name starting with 0x21 after another", {{0xA1, 0x21}}, "\u2192A", keyA, R::Done, keyA},
        {"the previous macro ends at offset 255", {clicks(239)}, "B", keyA, R::Done, keyA},
        {"key code lands at offset 255", {clicks(222)}, "B", keyA, R::Done, withFiller},
        {"delay of 256 ms lands at offset 255",
         {clicks(222)},
         "B",
         {0xFE, 0x01, 0x00, 0xA1},
         R::Done,
         {0xFC, 0xFE, 0x01, 0x00, 0xA1}},
        {"empty name", {{0xA1, 0x21}}, "", keyA, R::Unreadable, {}},
        {"name starting with a character whose low byte is FF", {}, "\u00FF", keyA, R::Unreadable, {}},
        {"fullwidth name", {}, "\uFF21", keyA, R::Unreadable, {}},
        {"no room", {clicks(238), clicks(240)}, "K", keyA, R::TooLong, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceMacroTable table = emptyEeprom();
        for (std::size_t i = 0; i < c.before.size(); ++i)
            ASSERT_EQ(table.add(nameToField("P" + std::to_string(i)), bodyOf(c.before[i])), R::Done);
        const EepromMacroArea areaBefore = table.eepromArea();
        std::vector<DeviceMacroEntry> entriesBefore;
        for (std::size_t row = 0; row < table.count(); ++row)
            entriesBefore.push_back(table.entry(row));

        const R result = table.add(nameToField(c.name), bodyOf(c.body));
        EXPECT_EQ(result, c.result);
        if (result != c.result)
            continue;
        if (c.result != R::Done) {
            EXPECT_EQ(table.eepromArea(), areaBefore);
            EXPECT_EQ(table.count(), c.before.size());
            continue;
        }
        ASSERT_EQ(table.count(), c.before.size() + 1);
        const DeviceMacroEntry& added = table.entry(c.before.size());
        const Bytes stored = c.stored.empty() ? c.body : c.stored;
        Bytes withEnd = stored;
        withEnd.push_back(0x00);
        EXPECT_EQ(added.length, 16 + withEnd.size());
        // The address names the body, 16 bytes after the name; the first name is at area offset 0.
        const std::size_t nameAt = added.address - 0x0200u;
        EXPECT_EQ(slice(table.eepromArea(), nameAt, 16), nameBytes(c.name));
        EXPECT_EQ(slice(table.eepromArea(), nameAt + 16, withEnd.size()), withEnd);

        // What the mouse holds, read again: the same macros, the earlier ones untouched.
        DeviceMacroTable reread;
        reread.loadEeprom(table.eepromArea());
        ASSERT_EQ(reread.count(), table.count());
        for (std::size_t row = 0; row < table.count(); ++row)
            EXPECT_EQ(reread.entry(row), table.entry(row)) << "row " << row;
        for (std::size_t row = 0; row < c.before.size(); ++row)
            EXPECT_EQ(table.entry(row), entriesBefore[row]) << "row " << row;
        EXPECT_EQ(reread.eepromArea(), table.eepromArea());
        EXPECT_EQ(slice(reread.entry(c.before.size()).body, 0, stored.size()), stored);
    }
}

TEST(EepromMacros, SizeIsDecidedOnThePackedAreaFillerIncluded) {
    // Exactly 512 bytes without a filler fits; one byte more does not.
    DeviceMacroTable table = emptyEeprom();
    ASSERT_EQ(table.add(nameToField("A"), bodyOf(clicks(238))), DeviceMacroTable::Result::Done); // 255
    ASSERT_EQ(table.add(nameToField("B"), bodyOf(clicks(240))), DeviceMacroTable::Result::Done); // 257
    EXPECT_EQ(table.usedBytes(), 512u);
    EXPECT_EQ(table.add(nameToField("C"), MacroBody{}), DeviceMacroTable::Result::TooLong);
    EXPECT_EQ(table.count(), 2u);

    // B's delay code lands at offset 255 and takes the filler: A and B need 239 + 241 bytes, so a
    // third macro of 32 bytes fits and one of 33 does not.
    DeviceMacroTable withFiller = emptyEeprom();
    ASSERT_EQ(withFiller.add(nameToField("A"), bodyOf(clicks(222))), DeviceMacroTable::Result::Done);
    Bytes b = {0xFE, 0x00, 0x32};
    const Bytes rest = clicks(220);
    b.insert(b.end(), rest.begin(), rest.end());
    ASSERT_EQ(withFiller.add(nameToField("B"), bodyOf(b)), DeviceMacroTable::Result::Done);
    EXPECT_EQ(withFiller.eepromArea()[255], 0xFC);
    EXPECT_EQ(withFiller.usedBytes(), 480u);
    const EepromMacroArea before = withFiller.eepromArea();
    EXPECT_EQ(withFiller.add(nameToField("C"), bodyOf(clicks(16))), DeviceMacroTable::Result::TooLong);
    EXPECT_EQ(withFiller.eepromArea(), before);
    EXPECT_EQ(withFiller.count(), 2u);
    EXPECT_EQ(withFiller.add(nameToField("C"), bodyOf(clicks(15))), DeviceMacroTable::Result::Done);
    EXPECT_EQ(withFiller.usedBytes(), 512u);
}

TEST(EepromMacros, AreaThatWouldOverflowWhenRepackedIsKeptAsRead) {
    // Written elsewhere: 512 bytes in use and a delay code at 255 without the filler. Packing it
    // again would need 513 bytes.
    EepromMacroArea area{};
    Bytes a = clicks(239);
    a.insert(a.end(), {0xFE, 0x00, 0x32});
    const Bytes tail = clicks(13);
    a.insert(a.end(), tail.begin(), tail.end()); // 255 event bytes: A is 272 long
    const MacroNameField nameA = nameToField("A"), nameB = nameToField("B");
    std::copy(nameA.begin(), nameA.end(), area.begin());
    std::copy(a.begin(), a.end(), area.begin() + 16);
    std::copy(nameB.begin(), nameB.end(), area.begin() + 272);
    const Bytes b = clicks(223); // B is 240 long
    std::copy(b.begin(), b.end(), area.begin() + 288);
    ASSERT_EQ(area[255], 0xFE);

    DeviceMacroTable table;
    table.loadEeprom(area);
    EXPECT_THAT(table.names(), ElementsAre("A", "B"));
    EXPECT_EQ(table.eepromArea(), area);
    EXPECT_EQ(table.usedBytes(), 512u);
    EXPECT_EQ(table.entry(1).address, 0x0200 + 272);
    EXPECT_EQ(table.add(nameToField("C"), MacroBody{}), DeviceMacroTable::Result::TooLong);
    EXPECT_EQ(table.eepromArea(), area);

    // Once B is deleted A is packed by the rule.
    ASSERT_EQ(table.remove(1), DeviceMacroTable::Result::Done);
    EXPECT_EQ(table.eepromArea()[255], 0xFC);
    EXPECT_EQ(table.entry(0).length, 273);
    // 256 events now, the end byte implied: every event still reads back, the filler among them.
    const auto view = table.view(0);
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->decoded.complete);
    EXPECT_EQ(view->decoded.text.size(), 1u + 239 + 1 + 1 + 13);
    EXPECT_EQ(view->decoded.text[240], "8 FC");
    EXPECT_EQ(view->decoded.text.back(), "1 LeftKey CODE:00A1");
    EXPECT_EQ(view->hex.size(), 2u * 257);
}

TEST(EepromMacros, FullBodyThatTheFillerWouldMakeUnreadableIsKeptAsRead) {
    // 256 events with a delay code at 255: with the filler it would hold 257, more than a body.
    EepromMacroArea area{};
    Bytes a = clicks(239);
    a.insert(a.end(), {0xFE, 0x00, 0x32});
    const Bytes tail = clicks(14);
    a.insert(a.end(), tail.begin(), tail.end());
    ASSERT_EQ(a.size(), 256u);
    const MacroNameField name = nameToField("A");
    std::copy(name.begin(), name.end(), area.begin());
    std::copy(a.begin(), a.end(), area.begin() + 16);

    DeviceMacroTable table;
    table.loadEeprom(area);
    ASSERT_THAT(table.names(), ElementsAre("A"));
    EXPECT_EQ(table.entry(0).length, 273);
    EXPECT_EQ(table.eepromArea(), area);
    const auto view = table.view(0);
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->decoded.complete);
    EXPECT_EQ(view->decoded.text.size(), 1u + 239 + 1 + 14);
}

TEST(EepromMacros, FifteenMacrosFillTheTable) {
    DeviceMacroTable table = emptyEeprom();
    for (int i = 0; i < 15; ++i)
        ASSERT_EQ(table.add(nameToField("M" + std::to_string(i)), bodyOf({0xA1, 0x21})),
                  DeviceMacroTable::Result::Done);
    EXPECT_TRUE(table.full());
    EXPECT_EQ(table.add(nameToField("X"), bodyOf({0xA1})), DeviceMacroTable::Result::TableFull);
    EXPECT_EQ(table.entry(14).address, 0x0200 + 14 * 19);
}

TEST(EepromMacros, ReadingStopsAtTheFirstUnusedName) {
    EepromMacroArea area{};
    area.fill(0xFF);
    DeviceMacroTable table;
    table.loadEeprom(area);
    EXPECT_EQ(table.count(), 0u);
    EXPECT_EQ(table.eepromArea(), EepromMacroArea{});

    // A name whose body never ends inside the area is not taken.
    area.fill(0x41);
    table.loadEeprom(area);
    EXPECT_EQ(table.count(), 0u);
}

TEST(EepromMacros, WritesAreTheTwoHalvesOfTheArea) {
    DeviceMacroTable table = emptyEeprom();
    table.add(nameToField("M1"), bodyOf({0xA1, 0x21}));
    const auto writes = table.memoryWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].address, 496);
    EXPECT_EQ(writes[1].address, 752);
    EXPECT_EQ(writes[0].bytes, slice(table.eepromArea(), 0, 256));
    EXPECT_EQ(writes[1].bytes, slice(table.eepromArea(), 256, 256));
    EXPECT_EQ(table.exportFile(), slice(table.eepromArea(), 0, 512));
}

std::array<MacroNameField, kFlashMacroCount> flashNames(std::initializer_list<const char*> names) {
    std::array<MacroNameField, kFlashMacroCount> out{};
    std::size_t i = 0;
    for (const char* n : names)
        out[i++] = nameToField(n);
    return out;
}

TEST(FlashMacros, AddressesAreFixedBlocks) {
    std::array<MacroBody, kFlashMacroCount> bodies{};
    bodies[3] = bodyOf({0xA1, 0x21});
    DeviceMacroTable table;
    table.loadFlash(flashNames({"F0", "F1", "F2", "F3"}), bodies);
    EXPECT_EQ(table.kind(), StorageKind::Flash);
    EXPECT_THAT(table.names(), ElementsAre("F0", "F1", "F2", "F3"));
    EXPECT_EQ(table.entry(3).address, 0x4300);
    EXPECT_EQ(table.addressTable().functionCode(3), "10430000");
    EXPECT_EQ(table.view(0), std::nullopt);
    ASSERT_TRUE(table.view(3));
    EXPECT_EQ(table.view(3)->hex, "A12100");
}

TEST(FlashMacros, UnusedNamesAreSkippedAndNewMacrosTakeAFreeEntry) {
    auto names = flashNames({"F0", "F1", "F2"});
    names[1].fill(0xFF);
    DeviceMacroTable table;
    table.loadFlash(names, std::array<MacroBody, kFlashMacroCount>{});
    EXPECT_THAT(table.names(), ElementsAre("F0", "F2"));
    EXPECT_EQ(table.addressTable().address(1), 0x4200);

    ASSERT_EQ(table.add(nameToField("New"), bodyOf({0xA4, 0x24})), DeviceMacroTable::Result::Done);
    EXPECT_THAT(table.names(), ElementsAre("F0", "New", "F2"));
    EXPECT_EQ(table.entry(1).address, 0x4100);
    EXPECT_EQ(table.entry(2).address, 0x4200);
}

TEST(FlashMacros, DeleteMovesLaterMacrosDownAndWritesEverything) {
    std::array<MacroBody, kFlashMacroCount> bodies{};
    bodies[0] = bodyOf({0xA1});
    bodies[1] = bodyOf({0xA2});
    bodies[2] = bodyOf({0xA4});
    DeviceMacroTable table;
    table.loadFlash(flashNames({"F0", "F1", "F2"}), bodies);
    ASSERT_EQ(table.remove(0), DeviceMacroTable::Result::Done);
    EXPECT_THAT(table.names(), ElementsAre("F1", "F2"));
    EXPECT_EQ(table.entry(0).address, 0x4000);
    EXPECT_EQ(table.entry(0).body[0], 0xA2);
    EXPECT_EQ(table.flashBodies()[2], MacroBody{});

    const auto writes = table.memoryWrites();
    ASSERT_EQ(writes.size(), 33u);
    EXPECT_EQ(writes[0].address, 0x3000);
    EXPECT_EQ(writes[0].bytes.size(), 512u);
    EXPECT_EQ(slice(writes[0].bytes, 0, 16), nameBytes("F1"));
    EXPECT_EQ(writes[32].address, 0x5F00);
    EXPECT_EQ(writes[1].bytes[0], 0xA2);

    const Bytes exported = table.exportFile();
    ASSERT_EQ(exported.size(), 8704u);
    EXPECT_EQ(exported[512], 0xA2);
    EXPECT_EQ(exported[512 + 256], 0xA4);
}

TEST(FlashMacros, ThirtyThirdMacroIsRefused) {
    std::array<MacroNameField, kFlashMacroCount> names{};
    for (std::size_t i = 0; i < kFlashMacroCount; ++i)
        names[i] = nameToField("F" + std::to_string(i));
    DeviceMacroTable table;
    table.loadFlash(names, std::array<MacroBody, kFlashMacroCount>{});
    EXPECT_EQ(table.add(nameToField("X"), MacroBody{}), DeviceMacroTable::Result::TableFull);
}

TEST(FlashMacros, FlatBlocksLoadLikeTheFields) {
    Bytes names(kFlashMacroNamesSize, 0), bodies(kFlashMacroBodiesSize, 0);
    const MacroNameField n = nameToField("Flat");
    std::copy(n.begin(), n.end(), names.begin() + 16 * 5);
    bodies[256 * 5] = 0xA8;
    DeviceMacroTable table;
    table.loadFlash(std::span<const Byte, kFlashMacroNamesSize>(names.data(), names.size()),
                    std::span<const Byte, kFlashMacroBodiesSize>(bodies.data(), bodies.size()));
    EXPECT_THAT(table.names(), ElementsAre("Flat"));
    EXPECT_EQ(table.entry(0).address, 0x4500);
    EXPECT_EQ(table.exportFile(), [&] {
        Bytes all = names;
        all.insert(all.end(), bodies.begin(), bodies.end());
        return all;
    }());
}

} // namespace
} // namespace tarvik::core
