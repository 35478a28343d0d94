#pragma once
// KDE's configuration files as text: groups in brackets, "key=value" entries, "#" comments, and the
// "[$i]" mark that makes a whole file, a group or one entry immutable. Edits keep every other line of
// the file exactly as it was, because other programs own the rest of it.

#include <optional>
#include <string>
#include <string_view>

namespace tarvik::platform::linux_desktop {

inline constexpr char kKdeGroupSeparator = '\x1d';

struct KdeEntry {
    std::string value;      // without the whitespace around it
    bool immutable = false; // nobody may change it, neither here nor in a file read after this one
};

// The entry of key in group as KDE reads it: the last one in the file, unless an earlier one is
// immutable. Localised entries ("key[de]") and entries of nested groups ("[KDE][Sub]") are others.
std::optional<KdeEntry> findKdeEntry(std::string_view text, std::string_view group, std::string_view key);

// The text with key = value in group: every entry of key in the group is rewritten, or a new one goes
// at the end of the group's last part, or a new group at the end of the text. Nothing when the file,
// the group or the entry is immutable. value must not need escaping (no whitespace at its ends, no
// backslash, no line break).
std::optional<std::string> setKdeEntry(std::string_view text, std::string_view group, std::string_view key,
                                       std::string_view value);

} // namespace tarvik::platform::linux_desktop
