#pragma once
// The way to and from the disk for every file that comes from outside the program or holds the
// user's data: profile files, patch data files, the macro library and macro files. Reading takes
// only regular files and never more than a bound; writing replaces a file whole or not at all.

#include "core/image/ConfigImage.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvik::core {

// The outcome of a file operation: empty error text on success, otherwise a sentence naming the
// file and the reason, ready to show.
struct FileResult {
    std::string error;
    bool ok() const { return error.empty(); }
    explicit operator bool() const { return ok(); }
};

// What a reader does with a file longer than it can use.
enum class Oversize {
    Refuse,     // the file is not of the format: refused
    TakePrefix, // the format allows longer files: the first maxBytes are taken
};

// The bytes of a regular file (a symbolic link to one is followed), at most maxBytes of them. A FIFO,
// a socket, a device or a directory is refused at once, without blocking and without reading from
// it. No more than maxBytes + 1 bytes are ever read, whatever the file's size.
std::optional<std::vector<Byte>> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                                                 Oversize oversize, FileResult* result = nullptr);

// Replaces (or creates) a file so that it is either the old file or the whole new one: the bytes go
// to a temporary file in the same folder; every write, the flush and an fsync are checked (a full
// disk is reported, not taken for success), and only then is it renamed over the target. On failure
// the target is untouched and the temporary file removed. A symbolic link at `path` stays a link:
// the file it points to is replaced; a link that points nowhere is refused and left as it is.
// The new file keeps the mode (and, where the process may give it, the owner) of the file it
// replaces; a file that did not exist is made with `newFileMode` (less the umask).
enum class Links {
    ReplaceTarget, // a file the user chose by name: the file the link points to is replaced
    Refuse,        // a file of the program's own: a link there is refused and left as it is
};
FileResult writeFileReplacing(const std::filesystem::path& path, std::span<const Byte> bytes,
                              Links links = Links::ReplaceTarget, unsigned newFileMode = 0666);

} // namespace tarvik::core
