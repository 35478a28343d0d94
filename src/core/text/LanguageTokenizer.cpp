#include "core/text/LanguageTokenizer.h"

namespace tarvik::core {

namespace {
bool isSeparator(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}
} // namespace

std::vector<std::string> tokenizeLanguageText(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    while (true) {
        while (pos < text.size() && isSeparator(text[pos]))
            ++pos;
        if (pos >= text.size())
            break;

        std::string token;
        if (text[pos] == '"') {
            ++pos;
            while (pos < text.size()) {
                if (text[pos] != '"') {
                    token.push_back(text[pos++]);
                } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
                    token.push_back('"');
                    pos += 2;
                } else {
                    ++pos; // the closing quote; whatever follows starts the next token
                    break;
                }
            }
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !isSeparator(text[pos]))
                ++pos;
            token.assign(text.substr(start, pos - start));
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

} // namespace tarvik::core
