#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroName.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvik::core {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<Byte>;
using Result = MacroLibrary::Result;

// A library image with the given names in slots 0.., each body one left click.
Bytes imageWith(const std::vector<std::string>& names) {
    Bytes image(kLibraryFileSize, 0);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const MacroNameField field = nameToField(names[i]);
        std::copy(field.begin(), field.end(), image.begin() + static_cast<std::ptrdiff_t>(i * 272));
        image[i * 272 + 16] = static_cast<Byte>(0xA1 + i % 4);
    }
    return image;
}

MacroLibrary libraryWith(const std::vector<std::string>& names) {
    return MacroLibrary::fromBytes(imageWith(names));
}

TEST(MacroLibrary, ImageRoundTripsAndNamesListInSlotOrder) {
    const Bytes image = imageWith({"One", "Two", "Three"});
    const MacroLibrary library = MacroLibrary::fromBytes(image);
    EXPECT_EQ(library.count(), 3u);
    EXPECT_THAT(library.names(), ElementsAre("One", "Two", "Three"));
    EXPECT_EQ(library.toBytes(), image);
    EXPECT_EQ(library.slot(1).length, 2u);

    const MacroLibrary empty = MacroLibrary::fromBytes(Bytes(kLibraryFileSize, 0));
    EXPECT_EQ(empty.count(), 0u);
    EXPECT_EQ(empty.toBytes(), Bytes(kLibraryFileSize, 0));
}

TEST(MacroLibrary, ShortImageReadsZerosAndGapsAreClosed) {
    Bytes image = imageWith({"A", "B", "C"});
    // Free slot 1 between two macros: list rows must still be the slots.
    std::fill(image.begin() + 272, image.begin() + 272 + 16, 0);
    image.resize(272 * 3 - 100);
    const MacroLibrary library = MacroLibrary::fromBytes(image);
    EXPECT_THAT(library.names(), ElementsAre("A", "C"));
    EXPECT_EQ(library.slot(1).body[0], 0xA3);
}

TEST(MacroLibrary, DeleteMovesLaterSlotsDown) {
    MacroLibrary library = libraryWith({"A", "B", "C"});
    ASSERT_EQ(library.remove(0), Result::Done);
    EXPECT_THAT(library.names(), ElementsAre("B", "C"));
    EXPECT_EQ(library.slot(0).body[0], 0xA2);
    EXPECT_EQ(library.slot(1).body[0], 0xA3);
    EXPECT_FALSE(library.slot(2).inUse());
    EXPECT_EQ(library.slot(2).body, MacroBody{});
    EXPECT_EQ(library.remove(5), Result::NoSuchSlot);

    MacroLibrary full = libraryWith(std::vector<std::string>(100, "x"));
    ASSERT_EQ(full.remove(50), Result::Done);
    EXPECT_EQ(full.slot(99).name, MacroNameField{});
    EXPECT_EQ(full.count(), 99u);
}

TEST(MacroLibrary, NewAndRenameRefuseDuplicateAndEmptyNames) {
    MacroLibrary library = libraryWith({"A", "B"});
    std::size_t slot = 0;
    ASSERT_EQ(library.addNew("New", &slot), Result::Done);
    EXPECT_EQ(slot, 2u);
    EXPECT_THAT(library.names(), ElementsAre("A", "B", "New"));
    EXPECT_EQ(library.addNew("A"), Result::Duplicate);
    EXPECT_EQ(library.addNew(""), Result::EmptyName);
    // The dialog keeps names to 8 characters; a longer text compares as it would be stored.
    ASSERT_EQ(library.addNew("LongName"), Result::Done);
    EXPECT_EQ(library.addNew("LongName2"), Result::Duplicate);

    EXPECT_EQ(library.rename(0, "B"), Result::Duplicate);
    EXPECT_EQ(library.rename(0, "A"), Result::Duplicate); // every row counts, its own included
    EXPECT_EQ(library.rename(0, "Z"), Result::Done);
    EXPECT_THAT(library.names(), ElementsAre("Z", "B", "New", "LongName"));
    EXPECT_EQ(library.slot(0).body[0], 0xA1);
    EXPECT_EQ(library.rename(4, "Q"), Result::NoSuchSlot);
}

TEST(MacroLibrary, HundredMacrosDisableNewUntilOneIsDeleted) {
    std::vector<std::string> names;
    for (int i = 0; i < 99; ++i)
        names.push_back("M" + std::to_string(i));
    MacroLibrary library = libraryWith(names);
    EXPECT_TRUE(library.canAddNew());
    EXPECT_FALSE(library.canImportOne());
    ASSERT_EQ(library.addNew("Last"), Result::Done);
    EXPECT_TRUE(library.full());
    EXPECT_FALSE(library.canAddNew());
    EXPECT_EQ(library.addNew("More"), Result::Full);
    library.remove(3);
    EXPECT_TRUE(library.canAddNew());
}

TEST(MacroLibrary, EncodeFillsTheSlotOrRefusesWhatDoesNotFit) {
    MacroLibrary library = libraryWith({"A"});
    EncodeResult r = library.encode(0, {"00", "1 RightKey CODE:00A2", "2 RightKey CODE:0022"});
    ASSERT_TRUE(r.fits);
    EXPECT_EQ(library.slot(0).length, 3u);
    EXPECT_EQ(library.slot(0).body[1], 0x22);

    MacroText tooLong{"00"};
    for (int i = 0; i < 128; ++i)
        tooLong.push_back("1 A CODE:8204");
    r = library.encode(0, tooLong);
    EXPECT_FALSE(r.fits);
    EXPECT_EQ(library.slot(0).length, 3u);
    EXPECT_EQ(library.slot(0).body[0], 0xA2);
}

TEST(MacroLibrary, ViewTakesTheLengthFromTheBody) {
    MacroLibrary library = libraryWith({"A", "B"});
    library.encode(1, {"00"});
    auto view = library.view(0);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->hex, "A100");
    EXPECT_THAT(view->decoded.text, ElementsAre("00", "1 LeftKey CODE:00A1"));
    EXPECT_EQ(library.view(1), std::nullopt);
}

TEST(MacroLibrary, ImportOneRefusesDuplicatesAndNamelessFiles) {
    MacroLibrary library = libraryWith({"A", "B"});
    SingleMacroRecord record = *library.exportOne(1);
    EXPECT_EQ(library.importOne(record), Result::Duplicate);
    EXPECT_EQ(library.count(), 2u);
    EXPECT_EQ(library.slot(2).body, MacroBody{});

    const MacroNameField c = nameToField("C");
    std::copy(c.begin(), c.end(), record.begin());
    std::size_t slot = 0;
    ASSERT_EQ(library.importOne(record, &slot), Result::Done);
    EXPECT_EQ(slot, 2u);
    EXPECT_THAT(library.names(), ElementsAre("A", "B", "C"));
    EXPECT_EQ(library.slot(2).body[0], 0xA2);

    EXPECT_EQ(library.importOne(Bytes{}), Result::InvalidFile);
    EXPECT_EQ(library.importOne(Bytes{0x00, 0x44}), Result::Done); // short file: the rest reads as 0
    EXPECT_EQ(library.slot(3).body, MacroBody{});
}

TEST(MacroLibrary, ImportAllReplacesTheSlotsTheFileCovers) {
    MacroLibrary library = libraryWith({"A", "B", "C"});
    Bytes file = imageWith({"X"});
    file.resize(272);
    library.importAll(file);
    EXPECT_THAT(library.names(), ElementsAre("X", "B", "C"));

    library.importAll(imageWith({"P", "Q"}));
    EXPECT_THAT(library.names(), ElementsAre("P", "Q"));
}

TEST(MacroLibrary, ExportOneIsNameThenBody) {
    const MacroLibrary library = libraryWith({"A", "B"});
    const auto record = library.exportOne(1);
    ASSERT_TRUE(record);
    const Bytes image = library.toBytes();
    EXPECT_EQ(Bytes(record->begin(), record->end()), Bytes(image.begin() + 272, image.begin() + 544));
    EXPECT_EQ(library.exportOne(2), std::nullopt);
}

} // namespace
} // namespace tarvik::core
