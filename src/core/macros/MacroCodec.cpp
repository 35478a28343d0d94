#include "core/macros/MacroCodec.h"

#include "core/keys/KeyTables.h"
#include "core/macros/MacroLine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

namespace tarvik::core {

namespace macro {

std::size_t eventSize(Byte code) {
    switch (code) {
    case kModifierDown:
    case kModifierUp:
    case kKeyDown:
    case kKeyUp:
    case kRepeatStart:
        return 2;
    case kMove:
    case kDelay:
        return 3;
    default:
        return 1;
    }
}

bool isButtonCode(Byte code) {
    const Byte kind = code & 0xE0;
    const Byte bit = code & 0x1F;
    return (kind == kButtonDown || kind == kButtonUp) &&
           (bit == kLeftButton || bit == kRightButton || bit == kMiddleButton || bit == kForwardButton ||
            bit == kBackwardButton);
}

} // namespace macro

namespace {

std::optional<Byte> hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<Byte>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<Byte>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<Byte>(c - 'a' + 10);
    return std::nullopt;
}

// Appends the bytes of an even run of hexadecimal digits; nothing when any digit is not one.
void appendHex(std::vector<Byte>& out, std::string_view digits) {
    if (digits.size() % 2 != 0)
        return;
    std::vector<Byte> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const auto hi = hexDigit(digits[i]);
        const auto lo = hexDigit(digits[i + 1]);
        if (!hi || !lo)
            return;
        bytes.push_back(static_cast<Byte>((*hi << 4) | *lo));
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::uint16_t delayValue(std::string_view text) {
    long long value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec == std::errc::invalid_argument || end != last)
        return 0;
    if (ec == std::errc::result_out_of_range)
        return text.front() == '-' ? 0 : 65535;
    return static_cast<std::uint16_t>(std::clamp<long long>(value, 0, 65535));
}

std::string_view lastChars(std::string_view s, std::size_t n) {
    return s.size() <= n ? s : s.substr(s.size() - n);
}

} // namespace

std::vector<Byte> encodeMacro(const MacroText& text) {
    std::vector<Byte> out;
    for (std::size_t n = 1; n < text.size(); ++n) {
        const std::string_view line = text[n];
        if (line.empty())
            continue;
        switch (line.front()) {
        case '1':
        case '2': {
            std::string_view r = lastChars(line, 4);
            if (r.size() == 4 && r.substr(0, 2) == "00")
                r = r.substr(2);
            appendHex(out, r);
            break;
        }
        case '3':
        case '4':
        case '5':
        case '6':
            appendHex(out, lastChars(line, 6));
            break;
        case '7':
            appendHex(out, lastChars(line, 4));
            break;
        case '8':
            appendHex(out, lastChars(line, 2));
            break;
        case '0': {
            const std::uint16_t ms = delayValue(line.size() > 2 ? line.substr(2) : std::string_view{});
            out.push_back(macro::kDelay);
            out.push_back(static_cast<Byte>(ms >> 8));
            out.push_back(static_cast<Byte>(ms & 0xFF));
            break;
        }
        default:
            break;
        }
    }
    out.push_back(macro::kEnd);
    return out;
}

EncodeResult encodeMacroInto(const MacroText& text, std::span<Byte> body) {
    const std::vector<Byte> bytes = encodeMacro(text);
    EncodeResult result;
    result.length = bytes.size();
    result.hex = hexString(bytes);
    if (bytes.size() > body.size())
        return result;
    std::fill(body.begin(), body.end(), Byte{0});
    std::copy(bytes.begin(), bytes.end(), body.begin());
    result.fits = true;
    return result;
}

DecodedMacro decodeMacro(std::span<const Byte> body, std::size_t length) {
    DecodedMacro result;
    result.text.push_back("00");
    std::array<std::uint16_t, 4> delays{};
    std::size_t delayCount = 0;

    std::size_t i = 0;
    while (i + 1 < length && i < body.size()) {
        const Byte code = body[i];
        const std::size_t size = macro::eventSize(code);
        if (i + size > body.size()) {
            result.complete = false;
            break;
        }
        std::string line;
        if (code == macro::kModifierDown || code == macro::kModifierUp) {
            line = modifierLine(code == macro::kModifierDown, body[i + 1]);
        } else if (code == macro::kKeyDown || code == macro::kKeyUp) {
            line = keyLine(code == macro::kKeyDown, deviceKeyName(body[i + 1]), body[i + 1]);
        } else if (macro::isButtonCode(code)) {
            line = buttonLine((code & 0xE0) == macro::kButtonDown, code & 0x1F);
        } else if (code == macro::kMove) {
            line = "3 04" + hexString(body.subspan(i + 1, 2));
        } else if (code == macro::kRepeatStart) {
            line = "7 FD" + hexString(body.subspan(i + 1, 1));
        } else if (code == macro::kRepeatEnd) {
            line = repeatEndLine();
        } else if (code == macro::kDelay) {
            const auto ms = static_cast<std::uint16_t>((body[i + 1] << 8) | body[i + 2]);
            if (delayCount < delays.size())
                delays[delayCount++] = ms;
            line = delayLine(ms);
        }
        if (line.empty()) {
            result.complete = false;
            break;
        }
        result.text.push_back(std::move(line));
        i += size;
    }

    if (std::all_of(delays.begin(), delays.end(), [](std::uint16_t d) { return d == 0; })) {
        result.delayMode = DelayMode::NoDelay;
    } else if (std::all_of(delays.begin(), delays.end(), [&](std::uint16_t d) { return d == delays[0]; })) {
        result.delayMode = DelayMode::DefaultDelay;
        result.defaultDelay = delays[0];
    } else {
        result.delayMode = DelayMode::RecordDelay;
    }
    result.text[0] = delayModeHeader(result.delayMode, result.defaultDelay);
    return result;
}

std::optional<std::size_t> storedLength(std::span<const Byte> body) {
    auto at = [&](std::size_t i) { return i < body.size() ? body[i] : Byte{0}; };
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (at(i) == 0 && at(i + 1) == 0 && at(i + 2) == 0)
            return i + 1;
    }
    return std::nullopt;
}

std::string delayModeHeader(DelayMode mode, std::uint16_t defaultDelay) {
    switch (mode) {
    case DelayMode::RecordDelay:
        return "10";
    case DelayMode::DefaultDelay:
        return "01" + std::to_string(defaultDelay);
    case DelayMode::NoDelay:
        break;
    }
    return "00";
}

} // namespace tarvik::core
