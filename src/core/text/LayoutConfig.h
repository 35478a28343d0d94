#pragma once
// A layout table: 8-bit INI text ("ORG", "ORG1".."ORG3") with the program's switches and the
// positions, sizes, text sizes and colours of the controls.
//
// Reading rules:
//   - lines end in CR LF, LF or CR; each line is trimmed of blanks at both ends;
//   - empty lines and lines starting with ";" or "//" are comments;
//   - "[name]" opens the section `name` (trimmed); lines before the first section are ignored;
//   - inside a section a line "key = value" is an entry, key and value trimmed (trailing blanks of a
//     value never reach the program); a line without "=" is ignored;
//   - section and key names are compared without regard to ASCII case; when a section or a key
//     occurs twice, the entries merge and the later value wins.
// Values are kept as the bytes of the file (the shipped tables are ASCII).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarvik::core {

// A colour of three keys "<prefix>_R", "<prefix>_G", "<prefix>_B".
struct LayoutColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const LayoutColor&, const LayoutColor&) = default;
};

class LayoutConfig {
public:
    static LayoutConfig parse(std::string_view text);

    // A built-in table by name: "org" reads "layout/org.ini", "org1" reads "layout/org1.ini".
    // Empty optional when there is no such file.
    static std::optional<LayoutConfig> loadBuiltIn(std::string_view name);

    bool hasSection(std::string_view section) const;
    bool contains(std::string_view section, std::string_view key) const;

    // The value of a key; `defaultValue` (empty unless given) when the key is absent.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) const;

    // A decimal integer value: an optional sign and decimal digits, nothing else. `defaultValue` when
    // the key is absent, the value is not such a number or it does not fit an int.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // An enable or on/off switch: on only when the value is exactly the number 1; absent reads as
    // `defaultValue`.
    bool readSwitch(std::string_view section, std::string_view key, bool defaultValue = false) const;

    // The colour "<prefix>_R/_G/_B"; each absent or malformed component takes the component of
    // `defaultColor`, and values outside 0..255 are clamped so that one bad component cannot spill
    // into another.
    LayoutColor readColor(std::string_view section, std::string_view prefix,
                          LayoutColor defaultColor = {}) const;

private:
    const std::string* find(std::string_view section, std::string_view key) const;

    // folded section name -> folded key -> value
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> m_sections;
};

} // namespace tarvik::core
