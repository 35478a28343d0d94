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
#include <pwd.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
    EXPECT_FALSE(loaded.savable);
    EXPECT_THAT(loaded.file.error, ::testing::HasSubstr("symbolic link"));
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

// A library that was not read whole is never cut by the next save: a longer or shorter file is
// renamed aside first, and the records read whole are what the page shows.
TEST_F(MacroFilesTest, ALibraryOfTheWrongSizeIsKeptAsideBeforeAnySave) {
    MacroLibrary forty = MacroLibrary::fromBytes(Bytes{});
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(forty.addNew("M" + std::to_string(i)), MacroLibrary::Result::Done);
    const Bytes whole = forty.toBytes();
    struct Case {
        const char* what;
        Bytes file;
        std::size_t macrosShown;
    };
    Bytes longer = whole;
    longer.resize(kLibraryFileSize + 5000, 0x77);
    const Bytes midRecord(whole.begin(), whole.begin() + 272 * 30 + 100);
    const Bytes atRecord(whole.begin(), whole.begin() + 272 * 12);
    for (const Case& c : {Case{"longer", longer, 40}, Case{"cut mid-record", midRecord, 30},
                          Case{"cut at a record", atRecord, 12}}) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
        writeAll(file.path(), c.file);
        const auto loaded = file.loadOrCreate(defaultMacroLibraryImage());
        EXPECT_FALSE(loaded.file.ok());
        EXPECT_TRUE(loaded.savable);
        EXPECT_EQ(loaded.library.count(), c.macrosShown);
        ASSERT_EQ(loaded.keptAside, fs::path(file.path().string() + ".kept"));
        EXPECT_THAT(loaded.file.error, ::testing::HasSubstr(loaded.keptAside.string()));
        EXPECT_EQ(readAll(loaded.keptAside), c.file);

        ASSERT_TRUE(file.save(loaded.library).ok());
        EXPECT_EQ(readAll(loaded.keptAside), c.file);
        EXPECT_EQ(fs::file_size(file.path()), kLibraryFileSize);
        // A second damaged file does not overwrite the first one kept aside.
        writeAll(file.path(), c.file);
        EXPECT_EQ(file.loadOrCreate(defaultMacroLibraryImage()).keptAside,
                  fs::path(file.path().string() + ".kept-2"));
    }
}

// A link in the library's place is neither followed nor replaced: the file it points to keeps its
// bytes, and the library is not savable there.
TEST_F(MacroFilesTest, ALinkToAnotherFileIsNotWrittenThrough) {
    const fs::path victim = m_dir / "victim.txt";
    writeAll(victim, Bytes{'k', 'e', 'e', 'p'});
    fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write);
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    fs::create_symlink(victim, file.path());
    const auto loaded = file.loadOrCreate(twoMacros().toBytes());
    EXPECT_FALSE(loaded.savable);
    EXPECT_FALSE(file.save(twoMacros()).ok());
    EXPECT_EQ(readAll(victim), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file.path())));
}

// Saves keep the file's mode; a new library is the user's alone.
TEST_F(MacroFilesTest, SavesKeepTheModeAndANewLibraryIsPrivate) {
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    ASSERT_TRUE(file.loadOrCreate(defaultMacroLibraryImage()).created);
    EXPECT_EQ(fs::status(file.path()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(file.path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(file.save(twoMacros()).ok());
    EXPECT_EQ(fs::status(file.path()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Another user's library that this user cannot read is not savable, and stays as it is; a save by
// root keeps the owner of the file it replaces. Needs root to make the second user's files.
TEST_F(MacroFilesTest, AnotherUsersLibraryIsNeitherReplacedNorGivenAway) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody)
        GTEST_SKIP() << "needs root and the user nobody";
    const MacroLibraryFile file = MacroLibraryFile::in("", m_dir);
    MacroLibrary forty = MacroLibrary::fromBytes(Bytes{});
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(forty.addNew("M" + std::to_string(i)), MacroLibrary::Result::Done);
    ASSERT_TRUE(file.save(forty).ok()); // root's, mode 0600
    ::chmod(m_dir.c_str(), 0777);

    // nobody starts the program over root's library: it cannot read it, and must not save over it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            ::_exit(2);
        const auto loaded = file.loadOrCreate(defaultMacroLibraryImage());
        ::_exit(!loaded.file.ok() && !loaded.savable && loaded.library.count() == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(file.path()), forty.toBytes());

    // Root saving nobody's library leaves it nobody's, with its mode.
    ASSERT_EQ(::chown(file.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(::chmod(file.path().c_str(), 0640), 0);
    ASSERT_TRUE(file.save(twoMacros()).ok());
    struct stat info {};
    ASSERT_EQ(::stat(file.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
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
