#pragma once
// Small text helpers shared by the table readers.

#include <string>
#include <string_view>

namespace tarvik::core {

// Without the characters of codes 0..32 (blanks, tabs, line ends, control characters) at both ends.
std::string_view trimBlanks(std::string_view text);

// Only A-Z are folded: keys and section names of the tables are ASCII, and folding other bytes
// would corrupt UTF-8.
std::string toLowerAscii(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace tarvik::core
