#include "core/image/FileIo.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::core {

namespace {

std::string describe(const std::filesystem::path& path, const std::string& what, int err) {
    std::string text = "Cannot " + what + " \"" + path.string() + "\"";
    if (err != 0)
        text += ": " + std::generic_category().message(err);
    return text;
}

std::filesystem::path temporaryBeside(const std::filesystem::path& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto stamp =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::filesystem::path tmp = path;
    tmp += ".tmp-" + std::to_string(stamp % 1000000007ULL) + "-" + std::to_string(counter++) + "-" +
           std::to_string(attempt);
    return tmp;
}

// Writes all of bytes to fd, going on after short writes; false with errno set on failure.
bool writeAll(int fd, std::span<const Byte> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now and says whether that worked: on some file systems a deferred write fails here.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

} // namespace

std::optional<std::vector<Byte>> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                                                 Oversize oversize, FileResult* result) {
    auto fail = [&](const std::string& text) -> std::optional<std::vector<Byte>> {
        if (result)
            *result = {text};
        return std::nullopt;
    };
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer that never comes.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return fail(describe(path, "read", errno));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return fail(describe(path, "read", errno));
    if (!S_ISREG(info.st_mode))
        return fail("Cannot read \"" + path.string() + "\": it is not a regular file");

    // One byte more than wanted tells a file that is too long from one that fits exactly.
    std::vector<Byte> bytes(maxBytes + 1);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(describe(path, "read", errno));
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes) {
        if (oversize == Oversize::Refuse)
            return fail("Cannot read \"" + path.string() + "\": it is larger than " +
                        std::to_string(maxBytes) + " bytes");
        got = maxBytes;
    }
    bytes.resize(got);
    if (result)
        *result = {};
    return bytes;
}

FileResult writeFileReplacing(const std::filesystem::path& requested, std::span<const Byte> bytes,
                              Links links, unsigned newFileMode) {
    std::filesystem::path path = requested;
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(requested, ec))) {
        if (links == Links::Refuse)
            return {"Cannot write \"" + requested.string() +
                    "\": it is a symbolic link, and the file it points to is not replaced"};
        // Renaming over the link would turn it into a plain file and cut it off from where the user
        // keeps the real one.
        path = std::filesystem::canonical(requested, ec);
        if (ec)
            return {"Cannot write \"" + requested.string() +
                    "\": it is a link to a file that does not exist"};
    }

    // What the file being replaced is: its mode and owner go over to the new one.
    struct stat old {};
    const bool replacing = ::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    const mode_t mode = replacing ? (old.st_mode & 07777) : static_cast<mode_t>(newFileMode & 07777);

    int fd = -1;
    std::filesystem::path tmp;
    int err = 0;
    // O_EXCL: never reuse a file that is already there under the temporary name.
    for (unsigned attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tmp = temporaryBeside(path, attempt);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    replacing ? 0600 : mode);
        err = errno;
        if (fd < 0 && err != EEXIST)
            break;
    }
    if (fd < 0)
        return {describe(requested, "write", err)};

    Descriptor file(fd);
    if (replacing) {
        // Only root may give a file away; for anybody else the owner is theirs already or stays
        // theirs, which is all that can be done.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(file.get(), old.st_uid, old.st_gid) != 0) {
            // Not being able to keep the owner is no reason to lose the user's change.
        }
        ::fchmod(file.get(), mode);
    }
    bool good = writeAll(file.get(), bytes);
    err = good ? 0 : errno;
    if (good && ::fsync(file.get()) != 0) {
        good = false;
        err = errno;
    }
    if (!file.close() && good) {
        good = false;
        err = errno;
    }
    if (!good) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        return {describe(requested, "write", err)};
    }

    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        return {describe(requested, "replace", ec.value())};
    }
    return {};
}

} // namespace tarvik::core
