#pragma once
// Splits the text of a language table into tokens.
//
// Tokens are separated by any run of characters with codes 1 to 32 (blanks, tabs, line breaks and
// other control characters). A token that starts with a double quote runs to the matching closing
// quote; two double quotes inside it stand for one, and the surrounding quotes are not part of the
// token. A quoted token that is never closed runs to the end of the text. Any other token runs to the
// next separator. This is why every entry of a table is written in quotes: unquoted, a text with a
// blank in it would be cut at the blank.

#include <string>
#include <string_view>
#include <vector>

namespace tarvik::core {

// The tokens of a UTF-8 text, in order. Only bytes 1..32 separate, so multi-byte UTF-8 characters
// are never split.
std::vector<std::string> tokenizeLanguageText(std::string_view utf8);

} // namespace tarvik::core
