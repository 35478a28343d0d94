#include "core/image/FileIo.h"
#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <random>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::core {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<Byte>;

Bytes contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("tarvik-fileio-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::size_t entryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }
    fs::path m_dir;
};

// A reader that blocks would hang the program before its window appears: each read must come back
// at once. Runs the read on another thread so that a hang fails the test instead of stalling it.
template <typename Read> std::optional<FileResult> readsQuickly(Read read) {
    auto done = std::async(std::launch::async, read);
    if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        return std::nullopt;
    }
    return done.get();
}

TEST_F(FileIoTest, OnlyRegularFilesAreReadAndNothingBlocks) {
    const fs::path fifo = m_dir / "fifo.bin";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path link = m_dir / "link.bin";
    fs::create_symlink("/dev/zero", link);
    struct Case {
        fs::path path;
        const char* what;
    };
    const Case cases[] = {
        {fifo, "FIFO"}, {"/dev/zero", "endless device"}, {link, "link to a device"}, {m_dir, "directory"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = readsQuickly([&] {
            FileResult why;
            EXPECT_FALSE(readRegularFile(c.path, 2048, Oversize::TakePrefix, &why));
            return why;
        });
        if (!result) {
            // Let the blocked reader go before failing.
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
            FAIL() << "the read blocked";
        }
        EXPECT_NE(result->error.find(c.path.string()), std::string::npos) << result->error;
    }
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo); // left alone
}

TEST_F(FileIoTest, ReadsAtMostTheBoundAndRefusesOrCutsWhatIsLonger) {
    const fs::path exact = m_dir / "exact.bin";
    put(exact, Bytes(100, 0x5A));
    const fs::path longer = m_dir / "longer.bin";
    put(longer, Bytes(101, 0x5A));
    const fs::path huge = m_dir / "huge.bin";
    {
        // A gibibyte without the disk space: only the first bound + 1 bytes may ever be read.
        const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);
        ::close(fd);
    }

    EXPECT_EQ(readRegularFile(exact, 100, Oversize::Refuse), Bytes(100, 0x5A));
    FileResult why;
    EXPECT_FALSE(readRegularFile(longer, 100, Oversize::Refuse, &why));
    EXPECT_NE(why.error.find("larger than 100 bytes"), std::string::npos) << why.error;
    EXPECT_EQ(readRegularFile(longer, 100, Oversize::TakePrefix), Bytes(100, 0x5A));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(readProfileFileFrom(huge, &why));
    const auto patch = readPatchFileFrom(huge);
    ASSERT_TRUE(patch);
    EXPECT_EQ(patch->size(), patchFileSize(StorageKind::Flash));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(FileIoTest, AProfileFileOfTheLargestKindIsReadWhole) {
    const fs::path flash = m_dir / "flash.bin";
    put(flash, Bytes(profile_file::kFlashSize, 0x33));
    const auto bytes = readProfileFileFrom(flash);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), profile_file::kFlashSize);
}

// A small file system of its own, filled up by the write; root only, as mounting needs it.
class FullDisk {
public:
    explicit FullDisk(const fs::path& where) : m_path(where) {
        fs::create_directories(m_path);
        m_mounted = ::getuid() == 0 && ::mount("tarvik-test", m_path.c_str(), "tmpfs", 0, "size=16k") == 0;
    }
    ~FullDisk() {
        if (m_mounted)
            ::umount2(m_path.c_str(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    bool mounted() const { return m_mounted; }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    bool m_mounted = false;
};

TEST_F(FileIoTest, AFullDiskIsReportedAndTheOldFileStaysWhole) {
    FullDisk disk(m_dir / "small");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (the disk-full case of the library save "
                        "runs with a file size limit instead)";
    const fs::path target = disk.path() / "profile.bin";
    const Bytes old(2048, 0x11);
    put(target, old);
    ASSERT_EQ(contents(target), old);

    const FileResult result = writeFileReplacing(target, Bytes(profile_file::kFlashSize * 2, 0x22));
    ASSERT_FALSE(result);
    EXPECT_NE(result.error.find("No space left"), std::string::npos) << result.error;
    EXPECT_EQ(contents(target), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(disk.path()), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, ALinkStaysALinkAndALinkToNothingIsLeftAlone) {
    const fs::path real = m_dir / "real.bin";
    put(real, Bytes(4, 0x01));
    const fs::path link = m_dir / "link.bin";
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeFileReplacing(link, Bytes(4, 0x02)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(contents(real), Bytes(4, 0x02));

    const fs::path dangling = m_dir / "dangling.bin";
    fs::create_symlink(m_dir / "elsewhere" / "gone.bin", dangling);
    const FileResult result = writeFileReplacing(dangling, Bytes(4, 0x03));
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("does not exist"), std::string::npos) << result.error;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dangling)));
    EXPECT_FALSE(fs::exists(m_dir / "elsewhere"));
    EXPECT_EQ(entryCount(), 3u);
}

TEST_F(FileIoTest, SaveAsksBeforeReplacingAFileTheDialogDidNotNameOnly) {
    put(m_dir / "existing", Bytes(1, 0));
    EXPECT_EQ(profileSavePath(m_dir / "existing"), m_dir / "existing.bin");
    EXPECT_EQ(profileSavePath(m_dir / "a.bin"), m_dir / "a.bin.bin");
    // The dialog confirmed "existing"; the save writes "existing.bin", which is not there yet.
    EXPECT_FALSE(saveReplacesUnconfirmedFile(m_dir / "existing"));
    put(m_dir / "existing.bin", Bytes(1, 0));
    EXPECT_TRUE(saveReplacesUnconfirmedFile(m_dir / "existing"));
    fs::create_symlink(m_dir / "nowhere", m_dir / "linked.bin");
    EXPECT_TRUE(saveReplacesUnconfirmedFile(m_dir / "linked"));
}

} // namespace
} // namespace tarvik::core
