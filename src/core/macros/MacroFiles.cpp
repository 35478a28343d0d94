#include "core/macros/MacroFiles.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#if __has_include(<unistd.h>)
#include <unistd.h>
#define TARVIK_HAVE_FSYNC 1
#endif

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

} // namespace

std::filesystem::path exportFilePath(const std::filesystem::path& chosen) {
    std::filesystem::path out = chosen;
    out += ".bin";
    return out;
}

FileResult writeFileReplacing(const std::filesystem::path& path, std::span<const Byte> bytes) {
    std::FILE* file = nullptr;
    std::filesystem::path tmp;
    int err = 0;
    // "x": never reuse a file that is already there under the temporary name.
    for (unsigned attempt = 0; attempt < 16 && file == nullptr; ++attempt) {
        tmp = temporaryBeside(path, attempt);
        errno = 0;
        file = std::fopen(tmp.c_str(), "wbx");
        err = errno;
        if (file == nullptr && err != EEXIST)
            break;
    }
    if (file == nullptr)
        return {describe(path, "write", err)};

    bool good = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    err = good ? 0 : errno;
    if (good && std::fflush(file) != 0) {
        good = false;
        err = errno;
    }
#ifdef TARVIK_HAVE_FSYNC
    if (good && ::fsync(fileno(file)) != 0) {
        good = false;
        err = errno;
    }
#endif
    if (std::fclose(file) != 0 && good) {
        good = false;
        err = errno;
    }
    if (!good) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        return {describe(path, "write", err)};
    }

    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(tmp, ignored);
        return {describe(path, "replace", ec.value())};
    }
    return {};
}

std::optional<std::vector<Byte>> readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes,
                                                FileResult* result) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (result)
            *result = {describe(path, "read", errno)};
        return std::nullopt;
    }
    std::vector<Byte> bytes(maxBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(maxBytes));
    if (in.bad()) {
        if (result)
            *result = {describe(path, "read", errno)};
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (result)
        *result = {};
    return bytes;
}

} // namespace tarvik::core
