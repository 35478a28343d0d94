#include "core/text/TextEncoding.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tarvik::core;

namespace {

struct RoundTrip {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

TEST(TextEncoding, ConvertsBothWaysWithoutLoss) {
    const std::vector<RoundTrip> cases = {
        {"empty", "", u""},
        {"ascii", "Volume +", u"Volume +"},
        {"two-byte",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         u"Gr\u00FC\u00DFe"},
        {"chinese", "\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87", u"繁體中文"},
        {"surrogate pair", "a\xF0\x9F\x98\x80z", u"a\xD83D\xDE00z"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
        {"embedded nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const RoundTrip& c : cases) {
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16) << c.name;
        EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8) << c.name;
    }
}

TEST(TextEncoding, ReplacesEachMalformedUtf8SequenceAndResynchronises) {
    const std::u16string r(1, u'\uFFFD');
    const std::vector<std::pair<std::string, std::u16string>> cases = {
        {"\x80", r},     // lone continuation byte
        {"\xE4\xB8", r}, // truncated at the end
        {"\xE4\xB8"
         "A",
         r + u"A"},              // truncated before an ASCII character
        {"\xC0\xAF", r + r},     // overlong lead byte, then a lone continuation
        {"\xE0\x80\xAF", r},     // overlong three-byte form
        {"\xED\xA0\x80", r},     // an encoded surrogate
        {"\xF4\x90\x80\x80", r}, // above U+10FFFF
        {"\xFF"
         "ok",
         r + u"ok"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(utf8ToUtf16(bytes), expected) << testing::PrintToString(bytes);
}

TEST(TextEncoding, ReplacesUnpairedSurrogates) {
    EXPECT_EQ(utf16ToUtf8(u"\xD800"
                          u"A"),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(utf16ToUtf8(u"A\xDC00"), "A\xEF\xBF\xBD");
    EXPECT_EQ(utf16ToUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // wrong order
}

TEST(TextEncoding, Utf16LittleEndianBytes) {
    const std::vector<std::uint8_t> bytes = {0x41, 0x00, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE, 0x7A};
    EXPECT_EQ(utf16LeToUtf8(bytes), "A\xE4\xB8\xAD\xF0\x9F\x98\x80"); // the odd last byte is dropped
    EXPECT_EQ(utf8ToUtf16Le("A\xE4\xB8\xAD\xF0\x9F\x98\x80"),
              std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1));
}

} // namespace
