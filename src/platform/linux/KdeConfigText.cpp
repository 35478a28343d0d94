#include "platform/linux/KdeConfigText.h"

#include <vector>

namespace tarvik::platform::linux_desktop {

namespace {

std::string_view trim(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

struct ParsedLine {
    enum class Kind { Other, Group, Entry } kind = Kind::Other;
    // Group
    std::string group;
    bool fileImmutableMark = false;
    bool groupImmutable = false;
    // Entry
    std::string_view key;
    std::string_view value;
    bool localised = false;
    bool entryImmutable = false;
};

// A group line is one or more bracketed names ("[KDE]", "[A][B]" for a nested group); a last part "[$i]"
// makes the group immutable, or the whole file when it stands alone. A line whose bracket never closes
// is not a group line, and the group goes on.
ParsedLine parseGroupLine(std::string_view line) {
    ParsedLine parsed;
    std::string name;
    std::size_t start = 1;
    for (;;) {
        const std::size_t end = line.find(']', start);
        if (end == std::string_view::npos) {
            return {};
        }
        const std::string_view part = line.substr(start, end - start);
        if (part == "$i" && end + 1 == line.size()) {
            if (name.empty()) {
                parsed.fileImmutableMark = true;
            } else {
                parsed.groupImmutable = true;
            }
        } else {
            if (!name.empty()) {
                name +=
                    kKdeGroupSeparator; // nested groups are told apart from names that merely hold brackets
            }
            name += part;
        }
        if (end + 1 < line.size() && line[end + 1] == '[') {
            start = end + 2;
            continue;
        }
        break;
    }
    parsed.kind = ParsedLine::Kind::Group;
    parsed.group = std::move(name);
    return parsed;
}

// "key=value", where the key may carry bracketed options: "$i" (immutable), "$e" and the like, or a
// language ("key[de]"), which makes it a localised entry.
ParsedLine parseEntryLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return {};
    }
    ParsedLine parsed;
    parsed.kind = ParsedLine::Kind::Entry;
    std::string_view keyPart = trim(line.substr(0, eq));
    parsed.value = trim(line.substr(eq + 1));
    const std::size_t bracket = keyPart.find('[');
    parsed.key = trim(keyPart.substr(0, bracket));
    while (bracket != std::string_view::npos && !keyPart.empty()) {
        const std::size_t open = keyPart.find('[');
        const std::size_t close = keyPart.find(']', open);
        if (open == std::string_view::npos || close == std::string_view::npos) {
            break;
        }
        const std::string_view option = keyPart.substr(open + 1, close - open - 1);
        if (!option.empty() && option.front() == '$') {
            if (option.find('i') != std::string_view::npos) {
                parsed.entryImmutable = true;
            }
        } else {
            parsed.localised = true;
        }
        keyPart.remove_prefix(close + 1);
    }
    return parsed;
}

ParsedLine parseLine(std::string_view raw) {
    const std::string_view line = trim(raw);
    if (line.empty() || line.front() == '#') {
        return {};
    }
    if (line.front() == '[') {
        return parseGroupLine(line);
    }
    return parseEntryLine(line);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, nl));
        text.remove_prefix(nl + 1);
    }
    return lines;
}

// Walks the lines with the group and the immutable marks in force at each.
template <typename Visit> void walk(const std::vector<std::string_view>& lines, Visit visit) {
    std::string group;
    bool fileImmutable = false;
    bool groupImmutable = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parseLine(lines[i]);
        if (parsed.kind == ParsedLine::Kind::Group) {
            fileImmutable = fileImmutable || parsed.fileImmutableMark;
            group = parsed.group;
            groupImmutable = parsed.groupImmutable;
        }
        visit(i, parsed, group, fileImmutable, groupImmutable);
    }
}

bool isEntryOf(const ParsedLine& parsed, const std::string& lineGroup, std::string_view group,
               std::string_view key) {
    return parsed.kind == ParsedLine::Kind::Entry && !parsed.localised && lineGroup == group &&
           parsed.key == key;
}

} // namespace

std::optional<KdeEntry> findKdeEntry(std::string_view text, std::string_view group, std::string_view key) {
    std::optional<KdeEntry> found;
    walk(splitLines(text), [&](std::size_t, const ParsedLine& parsed, const std::string& lineGroup,
                               bool fileImmutable, bool groupImmutable) {
        if (!isEntryOf(parsed, lineGroup, group, key) || (found && found->immutable)) {
            return;
        }
        found = KdeEntry{std::string(parsed.value), parsed.entryImmutable || groupImmutable || fileImmutable};
    });
    return found;
}

std::optional<std::string> setKdeEntry(std::string_view text, std::string_view group, std::string_view key,
                                       std::string_view value) {
    const std::vector<std::string_view> lines = splitLines(text);
    bool refused = false;
    std::vector<std::size_t> entries;
    std::optional<std::size_t> lastGroupContent; // last header or entry of the group's last part
    walk(lines, [&](std::size_t i, const ParsedLine& parsed, const std::string& lineGroup, bool fileImmutable,
                    bool groupImmutable) {
        if (fileImmutable) {
            refused = true;
        }
        if (lineGroup != group) {
            return;
        }
        if (groupImmutable) {
            refused = true;
        }
        // A comment at the end of a group tends to introduce the next one; a new entry goes before it.
        if (parsed.kind != ParsedLine::Kind::Other) {
            lastGroupContent = i;
        }
        if (isEntryOf(parsed, lineGroup, group, key)) {
            refused = refused || parsed.entryImmutable;
            entries.push_back(i);
        }
    });
    if (refused) {
        return std::nullopt;
    }

    const std::string entry = std::string(key) + '=' + std::string(value);
    std::string out;
    out.reserve(text.size() + entry.size() + group.size() + 4);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool replaced = false;
        for (std::size_t e : entries) {
            replaced = replaced || e == i;
        }
        if (replaced) {
            out += entry;
            if (!lines[i].empty() && lines[i].back() == '\r') {
                out += '\r';
            }
        } else {
            out += lines[i];
        }
        out += '\n';
        if (entries.empty() && lastGroupContent == i) {
            out += entry;
            out += '\n';
        }
    }
    if (entries.empty() && !lastGroupContent) {
        if (!out.empty() && !trim(lines.back()).empty()) {
            out += '\n';
        }
        out += '[';
        for (const char c : group) {
            if (c == kKdeGroupSeparator) {
                out += "][";
            } else {
                out += c;
            }
        }
        out += "]\n";
        out += entry;
        out += '\n';
    }
    return out;
}

} // namespace tarvik::platform::linux_desktop
