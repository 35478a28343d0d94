#include "core/macros/MacroLibraryFile.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroName.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::core {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using Bytes = std::vector<Byte>;

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class MacroFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("tarvik-macros-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // Files in the folder other than the ones named.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static MacroLibrary twoMacros() {
        MacroLibrary library = MacroLibrary::fromBytes(Bytes(kLibraryFileSize, 0));
        library.addNew("A");
        library.addNew("B");
        library.encode(1, {"00", "1 LeftKey CODE:00A1"});
        return library;
    }
    fs::path m_dir;
};

TEST_F(MacroFilesTest, LibraryFileNameIsTheFolderPlusTheFixedName) {
    EXPECT_EQ(MacroLibraryFile::in("", m_dir).path(), m_dir / "Tarvik-Macro.bin");
    EXPECT_EQ(MacroLibraryFile::in("/data/macros", m_dir).path(), fs::path("/data/macros/Tarvik-Macro.bin"));
    EXPECT_EQ(MacroLibraryFile::in("/data/macros/", m_dir).path(), fs::path("/data/macros/Tarvik-Macro.bin"));
}

TEST_F(MacroFilesTest, DefaultImageIsAnEmptyLibrary) {
    const Bytes image = defaultMacroLibraryImage();
    EXPECT_EQ(image, Bytes(kLibraryFileSize, 0));
}

TEST_F(MacroFilesTest, MissingFileIsCreatedFromTheDefaultImage) {
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    const auto loaded = file.loadOrCreate(defaultMacroLibraryImage());
    EXPECT_TRUE(loaded.file.ok()) << loaded.file.error;
    EXPECT_TRUE(loaded.created);
    EXPECT_EQ(loaded.library.count(), 0u);
    EXPECT_EQ(readAll(file.path()), Bytes(27200, 0));
    EXPECT_THAT(entries(), ElementsAre("Tarvik-Macro.bin"));
}

TEST_F(MacroFilesTest, ExistingFileIsLoadedAndLeftAsItIs) {
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    const Bytes image = twoMacros().toBytes();
    writeAll(file.path(), image);
    const auto loaded = file.loadOrCreate(defaultMacroLibraryImage());
    EXPECT_TRUE(loaded.file.ok());
    EXPECT_FALSE(loaded.created);
    EXPECT_THAT(loaded.library.names(), ElementsAre("A", "B"));
    EXPECT_EQ(readAll(file.path()), image);
}

TEST_F(MacroFilesTest, UnreadableFileIsReportedAndNotReplaced) {
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    fs::create_directory(file.path()); // something is there, but not a file that reads
    const auto loaded = file.loadOrCreate(twoMacros().toBytes());
    EXPECT_FALSE(loaded.file.ok());
    EXPECT_FALSE(loaded.created);
    EXPECT_THAT(loaded.library.names(), ElementsAre("A", "B"));
    EXPECT_TRUE(fs::is_directory(file.path()));
}

TEST_F(MacroFilesTest, SpecialFilesAndLinksToNothingAreReportedAndLeftAlone) {
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    // A FIFO would block start-up before any window appears.
    ASSERT_EQ(::mkfifo(file.path().c_str(), 0600), 0);
    auto loading = std::async(std::launch::async, [&] { return file.loadOrCreate(twoMacros().toBytes()); });
    if (loading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        const int writer = ::open(file.path().c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        FAIL() << "loading the library blocked on a FIFO";
    }
    auto loaded = loading.get();
    EXPECT_THAT(loaded.file.error, ::testing::HasSubstr("not a regular file"));
    EXPECT_THAT(loaded.library.names(), ElementsAre("A", "B"));
    EXPECT_EQ(fs::status(file.path()).type(), fs::file_type::fifo);
    fs::remove(file.path());

    // A link to a library that is not there now (an unmounted disk) stays a link.
    fs::create_symlink(m_dir / "elsewhere" / "Tarvik-Macro.bin", file.path());
    loaded = file.loadOrCreate(twoMacros().toBytes());
    EXPECT_FALSE(loaded.created);
    EXPECT_THAT(loaded.file.error, ::testing::HasSubstr("does not exist"));
    EXPECT_THAT(loaded.library.names(), ElementsAre("A", "B"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file.path())));
    EXPECT_FALSE(file.save(twoMacros()).ok());
    EXPECT_THAT(entries(), ElementsAre("Tarvik-Macro.bin"));
}

TEST_F(MacroFilesTest, SaveWritesTheWholeLibraryAndLeavesNoTemporaryFile) {
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    writeAll(file.path(), Bytes(100, 0x55));
    MacroLibrary library = twoMacros();
    ASSERT_TRUE(file.save(library).ok());
    EXPECT_EQ(readAll(file.path()), library.toBytes());
    library.remove(0);
    ASSERT_TRUE(file.save(library).ok());
    EXPECT_THAT(file.loadOrCreate(defaultMacroLibraryImage()).library.names(), ElementsAre("B"));
    EXPECT_THAT(entries(), ElementsAre("Tarvik-Macro.bin"));
}

TEST_F(MacroFilesTest, FailedSaveReportsAndKeepsThePreviousFile) {
    // No such folder.
    const MacroLibraryFile nowhere(m_dir / "missing" / "Tarvik-Macro.bin");
    const FileResult noFolder = nowhere.save(twoMacros());
    EXPECT_FALSE(noFolder.ok());
    EXPECT_THAT(noFolder.error, ::testing::HasSubstr("Tarvik-Macro.bin"));

    // The target cannot be replaced (a folder stands in its place).
    const MacroLibraryFile blocked(m_dir / "blocked");
    fs::create_directory(blocked.path());
    writeAll(blocked.path() / "inside", Bytes{1, 2, 3});
    EXPECT_FALSE(blocked.save(twoMacros()).ok());
    EXPECT_EQ(readAll(blocked.path() / "inside"), (Bytes{1, 2, 3}));
    EXPECT_THAT(entries(), ElementsAre("blocked"));
}

TEST_F(MacroFilesTest, DiskFullDuringSaveLeavesThePreviousFileWhole) {
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    const MacroLibrary before = twoMacros();
    ASSERT_TRUE(file.save(before).ok());

    // A file size limit makes the write fail part-way, as a full disk would.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    MacroLibrary after = before;
    after.addNew("C");
    const FileResult result = file.save(after);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok());
    EXPECT_EQ(readAll(file.path()), before.toBytes());
    EXPECT_THAT(entries(), ElementsAre("Tarvik-Macro.bin"));
}

TEST_F(MacroFilesTest, ExportOneAppendsBinToTheChosenName) {
    const MacroLibrary library = twoMacros();
    ASSERT_TRUE(exportMacro(library, 1, m_dir / "abc").ok());
    const Bytes one = readAll(m_dir / "abc.bin");
    ASSERT_EQ(one.size(), 272u);
    const Bytes image = library.toBytes();
    EXPECT_EQ(one, Bytes(image.begin() + 272, image.begin() + 544));

    ASSERT_TRUE(exportMacro(library, 0, m_dir / "abc.bin").ok());
    EXPECT_EQ(fs::file_size(m_dir / "abc.bin.bin"), 272u);
    EXPECT_FALSE(exportMacro(library, 5, m_dir / "none").ok());

    // The exported file imports into another library.
    MacroLibrary other = MacroLibrary::fromBytes(Bytes{});
    const auto bytes = readMacroFile(m_dir / "abc.bin");
    ASSERT_TRUE(bytes);
    ASSERT_EQ(other.importOne(*bytes), MacroLibrary::Result::Done);
    EXPECT_THAT(other.names(), ElementsAre("B"));
}

TEST_F(MacroFilesTest, ExportAllReadsBackWithImportAll) {
    const MacroLibrary library = twoMacros();
    ASSERT_TRUE(exportLibrary(library, m_dir / "all").ok());
    EXPECT_EQ(fs::file_size(m_dir / "all.bin"), 27200u);
    MacroLibrary other = MacroLibrary::fromBytes(Bytes{});
    FileResult read;
    const auto bytes = readMacroFile(m_dir / "all.bin", &read);
    ASSERT_TRUE(bytes) << read.error;
    other.importAll(*bytes);
    EXPECT_EQ(other.toBytes(), library.toBytes());
    EXPECT_FALSE(readMacroFile(m_dir / "missing.bin", &read));
    EXPECT_FALSE(read.ok());
}

TEST_F(MacroFilesTest, DeviceExportReplacesAnExistingFile) {
    DeviceMacroTable table;
    table.loadEeprom(EepromMacroArea{});
    MacroBody body{};
    body[0] = 0xA1;
    table.add(nameToField("M1"), body);
    writeAll(m_dir / "dev.bin", Bytes(9000, 0x33));
    ASSERT_TRUE(exportDeviceMacros(table, m_dir / "dev").ok());
    const Bytes written = readAll(m_dir / "dev.bin");
    EXPECT_EQ(written, Bytes(table.eepromArea().begin(), table.eepromArea().end()));
    EXPECT_FALSE(exportDeviceMacros(DeviceMacroTable{}, m_dir / "none").ok());
}

} // namespace
} // namespace tarvik::core
