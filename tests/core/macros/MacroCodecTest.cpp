#include "core/macros/MacroCodec.h"
#include "core/macros/EventCaption.h"
#include "core/macros/MacroLine.h"
#include "core/macros/MacroName.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace tarvik::core {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Bytes = std::vector<Byte>;

MacroBody bodyOf(const Bytes& bytes) {
    MacroBody body{};
    std::copy(bytes.begin(), bytes.end(), body.begin());
    return body;
}

struct EncodeCase {
    const char* line;
    Bytes bytes; // without the end byte
};

TEST(EncodeMacro, EachLineKindGivesItsBytesAndTheEndByte) {
    const std::vector<EncodeCase> cases = {
        {"1 LeftKey CODE:00A1", {0xA1}},
        {"2 Backward CODE:0030", {0x30}},
        {"2 Ctrl CODE:0101", {0x01, 0x01}},
        {"2 AnyNameAtAll CODE:0101", {0x01, 0x01}},
        {"1 A CODE:8204", {0x82, 0x04}},
        {"0 50", {0xFE, 0x00, 0x32}},
        {"0 65535", {0xFE, 0xFF, 0xFF}},
        {"0 70000", {0xFE, 0xFF, 0xFF}},
        {"0 abc", {0xFE, 0x00, 0x00}},
        {"0 ", {0xFE, 0x00, 0x00}},
        {"3 04FB0A", {0x04, 0xFB, 0x0A}},
        {"7 FD0A", {0xFD, 0x0A}},
        {"8 FC", {0xFC}},
        {"9 whatever", {}},
        {"x", {}},
        {"", {}},
        {"1 Bad CODE:82ZZ", {}}, // not hexadecimal: nothing rather than a shifted byte stream
    };
    for (const auto& c : cases) {
        Bytes expected = c.bytes;
        expected.push_back(0x00);
        EXPECT_EQ(encodeMacro({"10", c.line}), expected) << c.line;
    }
}

TEST(EncodeMacro, HeaderIsSkippedAndLinesFollowInOrder) {
    EXPECT_EQ(encodeMacro({"00"}), Bytes{0x00});
    EXPECT_EQ(encodeMacro({}), Bytes{0x00});
    EXPECT_EQ(encodeMacro({"0150", "1 A CODE:8204", "0 50", "2 A CODE:0204"}),
              (Bytes{0x82, 0x04, 0xFE, 0x00, 0x32, 0x02, 0x04, 0x00}));
}

TEST(EncodeMacro, IntoBodyZeroFillsAndReportsLengthAndHex) {
    MacroBody body;
    body.fill(0x77);
    const EncodeResult r = encodeMacroInto({"10", "1 LeftKey CODE:00A1", "2 LeftKey CODE:0021"}, body);
    EXPECT_TRUE(r.fits);
    EXPECT_EQ(r.length, 3u);
    EXPECT_EQ(r.hex, "A12100");
    EXPECT_EQ(body, bodyOf({0xA1, 0x21, 0x00}));
}

TEST(EncodeMacro, TextLongerThanTheBodyIsRefusedAndTheBodyKept) {
    MacroText text{"00"};
    for (int i = 0; i < 85; ++i)
        text.push_back("0 10"); // 85 x 3 + 1 = 256: fits exactly
    MacroBody body{};
    EncodeResult r = encodeMacroInto(text, body);
    ASSERT_TRUE(r.fits);
    EXPECT_EQ(r.length, 256u);
    EXPECT_EQ(body[252], 0xFE);
    EXPECT_EQ(body[255], 0x00);

    const MacroBody before = body;
    text.push_back("1 LeftKey CODE:00A1");
    r = encodeMacroInto(text, body);
    EXPECT_FALSE(r.fits);
    EXPECT_EQ(r.length, 257u);
    EXPECT_EQ(body, before);
}

TEST(DecodeMacro, EventsBecomeLinesWithKeyAndModifierNames) {
    const MacroBody body = bodyOf({0x81, 0x02, 0x82, 0x04, 0x02, 0x04, 0x01, 0x02, 0xA1, 0x30, 0x04, 0xFB,
                                   0x0A, 0xFD, 0x0A, 0xFC, 0x81, 0x80, 0x00});
    const DecodedMacro d = decodeMacro(body, 19);
    EXPECT_TRUE(d.complete);
    EXPECT_THAT(d.text, ElementsAre("00", "1 Shift CODE:8102", "1 A CODE:8204", "2 A CODE:0204",
                                    "2 Shift CODE:0102", "1 LeftKey CODE:00A1", "2 Backward CODE:0030",
                                    "3 04FB0A", "7 FD0A", "8 FC", "1 Right Windows CODE:8180"));
    // Decoding and encoding again gives the same bytes.
    EXPECT_EQ(encodeMacro(d.text), Bytes(body.begin(), body.begin() + 19));
}

TEST(DecodeMacro, ModifierNamesAreThoseOfTheRecordedKeys) {
    const MacroBody body = bodyOf({0x81, 0x01, 0x81, 0x04, 0x81, 0x08, 0x00});
    EXPECT_THAT(decodeMacro(body, 7).text,
                ElementsAre("00", "1 Ctrl CODE:8101", "1 Alt CODE:8104", "1 Left Windows CODE:8108"));
}

TEST(DecodeMacro, FixedButtonLines) {
    const MacroBody body = bodyOf({0xA1, 0xA2, 0xA4, 0xA8, 0xB0, 0x21, 0x22, 0x24, 0x28, 0x30, 0x00});
    EXPECT_THAT(decodeMacro(body, 11).text,
                ElementsAre("00", "1 LeftKey CODE:00A1", "1 RightKey CODE:00A2", "1 MiddleKey CODE:00A4",
                            "1 Forward CODE:00A8", "1 Backward CODE:00B0", "2 LeftKey CODE:0021",
                            "2 RightKey CODE:0022", "2 MiddleKey CODE:0024", "2 Forward CODE:0028",
                            "2 Backward CODE:0030"));
}

TEST(DecodeMacro, StopsAtBytesThatAreNoEvent) {
    // 0x55 is no event code; 0x81 0x03 holds two modifier bits at once.
    for (const Bytes& bytes : {Bytes{0xA1, 0x55, 0x21, 0x00}, Bytes{0xA1, 0x81, 0x03, 0x21, 0x00}}) {
        const DecodedMacro d = decodeMacro(bodyOf(bytes), bytes.size());
        EXPECT_FALSE(d.complete);
        EXPECT_THAT(d.text, ElementsAre("00", "1 LeftKey CODE:00A1"));
    }
}

TEST(DecodeMacro, NeverReadsPastTheBody) {
    const Bytes bytes = {0xA1, 0xFE, 0x01}; // a delay whose last byte is missing
    const DecodedMacro d = decodeMacro(bytes, 100);
    EXPECT_FALSE(d.complete);
    EXPECT_THAT(d.text, ElementsAre("00", "1 LeftKey CODE:00A1"));
    EXPECT_THAT(decodeMacro({}, 5).text, ElementsAre("00"));
}

struct SettleCase {
    Bytes bytes;
    const char* header;
    DelayMode mode;
    std::uint16_t delay;
};

TEST(DecodeMacro, DelayModeIsSettledFromTheFirstFourDelays) {
    const Bytes d40 = {0xFE, 0x00, 0x28};
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) {
            out.insert(out.end(), p.begin(), p.end());
            out.push_back(0xA1);
        }
        out.push_back(0x00);
        return out;
    };
    const std::vector<SettleCase> cases = {
        {join({d40, d40, d40, d40}), "0140", DelayMode::DefaultDelay, 40},
        {join({d40, d40, d40, d40, {0xFE, 0x00, 0x05}}), "0140", DelayMode::DefaultDelay, 40},
        {join({d40, d40, d40}), "10", DelayMode::RecordDelay, 0},
        {join({d40, d40, d40, {0xFE, 0x00, 0x29}}), "10", DelayMode::RecordDelay, 0},
        {join({{}}), "00", DelayMode::NoDelay, 0},
        {join({{0xFE, 0x00, 0x00}, {0xFE, 0x00, 0x00}}), "00", DelayMode::NoDelay, 0},
    };
    for (const auto& c : cases) {
        const DecodedMacro d = decodeMacro(bodyOf(c.bytes), c.bytes.size());
        EXPECT_EQ(d.text.front(), c.header) << c.header;
        EXPECT_EQ(d.delayMode, c.mode) << c.header;
        EXPECT_EQ(d.defaultDelay, c.delay) << c.header;
    }
}

TEST(DecodeMacro, DelayValueIsBigEndian) {
    const DecodedMacro d = decodeMacro(bodyOf({0xFE, 0x01, 0x2C, 0x00}), 4);
    EXPECT_THAT(d.text, ElementsAre("10", "0 300"));
    EXPECT_EQ(eventCaption(d.text[1]).text, "300 ms");
}

TEST(EventCaption, TextAndIconOfEachLineKind) {
    struct Case {
        const char* line;
        int icon;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"1 LeftKey CODE:00A1", 1, "LeftKey"},
        {"2 Left Windows CODE:0108", 2, "Left Windows"},
        {"0 50", 0, "50 ms"},
        {"3 04FB0A", 3, "X: -5  Y: 10"},
        {"3 047F81", 3, "X: 127  Y: -127"},
        {"3 04800A", 3, "04800A"},
        {"7 FD0A", 7, "Rep-Start  10"},
        {"8 FC", 8, "Rep-Stop"},
        {"9 odd", 9, "odd"},
        {"x?", 0, ""},
        {"", 0, ""},
    };
    for (const auto& c : cases) {
        const EventCaption caption = eventCaption(c.line);
        EXPECT_EQ(caption.iconIndex, c.icon) << c.line;
        EXPECT_EQ(caption.text, c.text) << c.line;
    }
}

TEST(MacroLine, BuildersSpellLinesAsTheEncoderReadsThem) {
    EXPECT_EQ(moveLine(-5, 10), "3 04FB0A");
    EXPECT_EQ(moveLine(-1, 127), "3 04FF7F");
    EXPECT_EQ(moveLine(-300, 300), "3 04817F");
    EXPECT_EQ(repeatStartLine(300), "7 FDFF");
    EXPECT_EQ(delayLine(50), "0 50");
    EXPECT_EQ(keyLine(false, "A", 0x04), "2 A CODE:0204");
    EXPECT_EQ(modifierLine(true, 0x02), "1 Shift CODE:8102");
    EXPECT_EQ(modifierLine(true, 0x10), "");
    EXPECT_EQ(buttonLine(false, 0x08), "2 Forward CODE:0028");
    EXPECT_EQ(buttonLine(true, 0x03), "");
}

TEST(StoredLength, FirstRunOfThreeZerosEndsTheBody) {
    EXPECT_EQ(storedLength(bodyOf({0xA1, 0x21})), 3u);
    EXPECT_EQ(storedLength(bodyOf({})), 1u);
    // The rule only looks at bytes: a zero delay followed by 00 reads as the end.
    EXPECT_EQ(storedLength(bodyOf({0xA1, 0xFE, 0x00, 0x00, 0x00, 0x21})), 3u);
    EXPECT_EQ(storedLength(bodyOf({0xA1, 0xFE, 0x00, 0x00, 0x21})), 6u);

    MacroBody full;
    full.fill(0xA1);
    EXPECT_EQ(storedLength(full), std::nullopt);
    full[255] = 0x00; // an end byte in the last place
    EXPECT_EQ(storedLength(full), 256u);
    EXPECT_EQ(storedLength({}), std::nullopt);
}

TEST(MacroName, FireIsStoredHighByteFirstAndReadBack) {
    const MacroNameField field = nameToField("Fire");
    EXPECT_THAT(field,
                ElementsAreArray({0x00, 0x46, 0x00, 0x69, 0x00, 0x72, 0x00, 0x65, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(fieldToName(field), "Fire");
}

TEST(MacroName, NonAsciiNamesAndTheEightUnitLimit) {
    EXPECT_EQ(fieldToName(nameToField("Übung")), "Übung");
    const MacroNameField cjk = nameToField("宏");
    EXPECT_EQ(cjk[0], 0x5B);
    EXPECT_EQ(cjk[1], 0x8F);

    EXPECT_EQ(fieldToName(nameToField("ABCDEFGHIJ")), "ABCDEFGH");
    // A character outside the basic plane takes two units and is never cut in half.
    EXPECT_EQ(fieldToName(nameToField("ABCDEFG\xF0\x9F\x98\x80")), "ABCDEFG");
    EXPECT_EQ(fieldToName(nameToField("ABCDEF\xF0\x9F\x98\x80")), "ABCDEF\xF0\x9F\x98\x80");
    EXPECT_EQ(nameLengthInUnits("ABCDEF\xF0\x9F\x98\x80"), 8u);

    MacroNameField loneSurrogate{};
    loneSurrogate[0] = 0xD8;
    loneSurrogate[2] = 0x00;
    loneSurrogate[3] = 0x41;
    EXPECT_EQ(fieldToName(loneSurrogate), "\xEF\xBF\xBD"
                                          "A");
}

} // namespace
} // namespace tarvik::core
