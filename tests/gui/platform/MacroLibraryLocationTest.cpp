#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/macros/MacroLibraryFile.h"
#include "platform/MacroLibraryLocation.h"

namespace tarvik::platform {
namespace {

namespace fs = std::filesystem;

class MacroLibraryLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_data = fs::path(m_dir.path().toStdString()) / "data";
        m_saved = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        ::setenv("XDG_DATA_HOME", m_data.c_str(), 1);
    }
    void TearDown() override {
        if (m_saved.empty())
            ::unsetenv("XDG_DATA_HOME");
        else
            ::setenv("XDG_DATA_HOME", m_saved.c_str(), 1);
    }
    static void put(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    QTemporaryDir m_dir;
    fs::path m_data;
    std::string m_saved;
};

TEST_F(MacroLibraryLocationTest, TheLibraryLivesInTheProgramsOwnDataFolder) {
    const MacroLibraryLocation location = macroLibraryLocation("", "/opt/tarvik/");
    EXPECT_EQ(location.path, m_data / "tarvik-config" / "Tarvik-Macro.bin");
    EXPECT_EQ(location.earlierDataFolder, m_data / "Gaming Mouse" / "Tarvik-Macro.bin");
    EXPECT_EQ(location.besideProgram, fs::path("/opt/tarvik/Tarvik-Macro.bin"));
    // A folder the layout names is the only place.
    const MacroLibraryLocation named = macroLibraryLocation("/srv/macros", "/opt/tarvik/");
    EXPECT_EQ(named.path, fs::path("/srv/macros/Tarvik-Macro.bin"));
    EXPECT_TRUE(named.earlierDataFolder.empty());
    EXPECT_TRUE(libraryToRead(named).empty());
}

// The library of the earlier folder is moved over once, and never over one already there.
TEST_F(MacroLibraryLocationTest, TheEarlierLibraryIsMovedOnceAndNeverLost) {
    const MacroLibraryLocation location = macroLibraryLocation("", m_data / "program" / "");
    put(location.earlierDataFolder, "forty macros");
    EXPECT_EQ(libraryToRead(location), location.earlierDataFolder);
    EXPECT_EQ(moveEarlierLibrary(location), "");
    EXPECT_EQ(read(location.path), "forty macros");
    EXPECT_FALSE(fs::exists(location.earlierDataFolder));
    EXPECT_EQ(libraryToRead(location), location.path);

    // An earlier library that turns up again does not replace the one moved before.
    put(location.earlierDataFolder, "older");
    EXPECT_EQ(moveEarlierLibrary(location), "");
    EXPECT_EQ(read(location.path), "forty macros");
    EXPECT_EQ(read(location.earlierDataFolder), "older");
}

TEST_F(MacroLibraryLocationTest, AMoveThatFailsIsReportedAndTheEarlierFileStays) {
    const MacroLibraryLocation location = macroLibraryLocation("", m_data / "program" / "");
    put(location.earlierDataFolder, "forty macros");
    put(m_data / "tarvik-config", "a file where the folder should be");
    EXPECT_NE(moveEarlierLibrary(location), "");
    EXPECT_EQ(read(location.earlierDataFolder), "forty macros");
    EXPECT_EQ(libraryToRead(location), location.earlierDataFolder);
}

// A new library starts from the one a still earlier version left beside the program; once the user
// has a library of their own, that one is what is opened.
TEST_F(MacroLibraryLocationTest, ANewLibraryStartsFromTheOneBesideTheProgram) {
    const MacroLibraryLocation location = macroLibraryLocation("", m_data / "program" / "");
    core::MacroLibrary old;
    ASSERT_EQ(old.addNew("Reload"), core::MacroLibrary::Result::Done);
    const auto oldImage = old.toBytes();
    put(location.besideProgram, std::string(oldImage.begin(), oldImage.end()));

    OpenedMacroLibrary opened = openMacroLibrary(location);
    EXPECT_TRUE(opened.savable);
    EXPECT_TRUE(opened.problems.empty());
    ASSERT_EQ(opened.library.count(), 1u);
    EXPECT_EQ(opened.library.names().front(), "Reload");
    EXPECT_EQ(read(location.path), read(location.besideProgram));

    core::MacroLibrary other;
    ASSERT_EQ(other.addNew("Burst"), core::MacroLibrary::Result::Done);
    const auto otherImage = other.toBytes();
    put(location.besideProgram, std::string(otherImage.begin(), otherImage.end()));
    opened = openMacroLibrary(location);
    ASSERT_EQ(opened.library.count(), 1u);
    EXPECT_EQ(opened.library.names().front(), "Reload");
}

// Something at the library's place that cannot be read as one is never written over: the window is
// told why (and adds that changes stay in memory), and the thing itself is left as it was.
TEST_F(MacroLibraryLocationTest, ALibraryThatCannotBeReadIsNotSavedOver) {
    const MacroLibraryLocation location = macroLibraryLocation("", m_data / "program" / "");
    fs::create_directories(location.path / "not a file");
    const OpenedMacroLibrary opened = openMacroLibrary(location);
    EXPECT_FALSE(opened.savable);
    ASSERT_EQ(opened.problems.size(), 1u);
    EXPECT_TRUE(fs::is_directory(location.path / "not a file"));
}

} // namespace
} // namespace tarvik::platform
