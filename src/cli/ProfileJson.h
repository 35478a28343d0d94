#pragma once
// Profiles as readable, versioned JSON. A document names the settings a user edits (work mode,
// report rate, DPI levels and colours, lighting, fire keys, the function of every button) and
// carries the whole profile file beside them as hexadecimal lines, so that nothing the mouse
// stores is lost: exporting and importing again gives the same bytes.
//
// On import a named setting wins over the bytes when it says something else than they do; the
// checksum of every section changed that way is computed afresh. Every field is checked before
// anything is used, and the first wrong one refuses the whole document, naming the field and its
// line.

#include "core/image/ConfigImage.h"
#include "core/text/LanguageTable.h"

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarvik::cli {

inline constexpr std::string_view kProfileJsonFormat = "tarvik-config profile";
inline constexpr int kProfileJsonVersion = 1;

// The document of a profile file (the window's ProfileFile bytes), indented, ending in a newline.
// Names come from `language`.
std::string profileToJson(std::span<const core::Byte> profileFile, const core::LanguageTable& language);

struct JsonRefusal {
    std::string field; // dotted path, "dpi.levels[2].step"; empty for the document as a whole
    int line = 0;      // 1-based; 0 when unknown
    std::string message;
    // "line 23: dpi.levels[2].step: 13 is out of range 1-12"
    std::string text() const;
};

struct JsonProfile {
    core::StorageKind kind = core::StorageKind::None;
    std::vector<core::Byte> profileFile;
};

std::variant<JsonProfile, JsonRefusal> profileFromJson(std::string_view document,
                                                       const core::LanguageTable& language);

} // namespace tarvik::cli
