#include "core/keys/KeyFunctionCode.h"

namespace tarvik::core {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string hexByte(Byte value) {
    return {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
}

std::optional<KeyFunctionCode> KeyFunctionCode::fromText(std::string_view text) {
    if (text.size() != 8)
        return std::nullopt;
    KeyFunctionCode code;
    for (std::size_t i = 0; i < 4; ++i) {
        const int high = hexValue(text[2 * i]);
        const int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        code.bytes[i] = static_cast<Byte>(high << 4 | low);
    }
    return code;
}

std::string KeyFunctionCode::text() const {
    std::string out;
    out.reserve(8);
    for (Byte b : bytes)
        out += hexByte(b);
    return out;
}

KeyFunctionCode fireKeyCode(const FireKeySetting& setting) {
    const Byte countBits = static_cast<Byte>((setting.count - 1) & 0x0F);
    const Byte b1 = static_cast<Byte>(0x10 | countBits | (setting.continuous ? 0x80 : 0x00));
    return {code_type::kFireKey, b1, static_cast<Byte>(setting.delay >> 8),
            static_cast<Byte>(setting.delay & 0xFF)};
}

std::array<FireKeySetting, 3> fireKeySettingsFromImage(std::span<const Byte, image::kImageSize> image) {
    std::array<FireKeySetting, 3> settings;
    for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t at = image::kFireKeySettings + 3 * k;
        settings[k].count = image[at] + 1;
        settings[k].delay = static_cast<std::uint16_t>(image[at + 1] << 8 | image[at + 2]);
    }
    return settings;
}

} // namespace tarvik::core
