#include "core/image/ConfigImage.h"

#include "core/image/Checksum.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tarvik::core {

namespace {

// Indexes come from control names and loops, never from device data: a bad one is a bug.
void requireIndex(int value, int first, int last, const char* what) {
    if (value < first || value > last) {
        throw std::out_of_range(std::string("ConfigImage: ") + what + " " + std::to_string(value) +
                                " outside " + std::to_string(first) + ".." + std::to_string(last));
    }
}

void requireSection(image::Section s) {
    if (s.offset > image::kImageSize || s.length > image::kImageSize - s.offset) {
        throw std::out_of_range("ConfigImage: section outside the image");
    }
}

} // namespace

std::span<Byte> ConfigImage::section(image::Section s) {
    requireSection(s);
    return std::span<Byte>(m_bytes).subspan(s.offset, s.length);
}

std::span<const Byte> ConfigImage::section(image::Section s) const {
    requireSection(s);
    return std::span<const Byte>(m_bytes).subspan(s.offset, s.length);
}

void ConfigImage::copySectionFrom(const ConfigImage& other, image::Section s) {
    auto from = other.section(s);
    std::copy(from.begin(), from.end(), section(s).begin());
}

std::uint16_t ConfigImage::be16(std::size_t offset) const {
    return static_cast<std::uint16_t>((m_bytes[offset] << 8) | m_bytes[offset + 1]);
}

void ConfigImage::setBe16(std::size_t offset, std::uint16_t value) {
    m_bytes[offset] = static_cast<Byte>(value >> 8);
    m_bytes[offset + 1] = static_cast<Byte>(value & 0xFF);
}

void ConfigImage::setRgbAt(std::size_t offset, Rgb c) {
    m_bytes[offset] = c.red;
    m_bytes[offset + 1] = c.green;
    m_bytes[offset + 2] = c.blue;
}

// --- VendorSection

void ConfigImage::setReportRateCode(int code) {
    requireIndex(code, 0, 3, "report rate code");
    Byte& b = m_bytes[image::kReportRateBits];
    b = static_cast<Byte>((b & ~0x30) | (code << 4));
}

int ConfigImage::reportRateHzForCode(int code) {
    static constexpr int kHz[4] = {125, 250, 500, 1000};
    requireIndex(code, 0, 3, "report rate code");
    return kHz[code];
}

std::optional<int> ConfigImage::reportRateCodeForHz(int hz) {
    for (int code = 0; code < 4; ++code) {
        if (reportRateHzForCode(code) == hz) {
            return code;
        }
    }
    return std::nullopt;
}

std::optional<int> ConfigImage::enabledDpiLevels() const {
    Byte v = m_bytes[image::kDpiLevelCount];
    if (v >= image::kDpiLevelSlots) {
        return std::nullopt;
    }
    return v + 1;
}

void ConfigImage::setEnabledDpiLevels(int levels) {
    requireIndex(levels, 1, static_cast<int>(image::kDpiLevelSlots), "enabled DPI levels");
    m_bytes[image::kDpiLevelCount] = static_cast<Byte>(levels - 1);
}

std::size_t ConfigImage::dpiLevelPairOffset(int level) {
    requireIndex(level, 1, static_cast<int>(image::kDpiLevelSlots), "DPI level");
    return image::kDpiLevels + static_cast<std::size_t>(level - 1) / 2;
}

Byte ConfigImage::dpiLevelNibble(int level) const {
    Byte pair = m_bytes[dpiLevelPairOffset(level)];
    return (level % 2 == 1) ? (pair & 0x0F) : (pair >> 4);
}

std::optional<int> ConfigImage::dpiLevel(int level) const {
    Byte nibble = dpiLevelNibble(level);
    if (nibble >= image::kDpiSteps) {
        return std::nullopt;
    }
    return nibble;
}

void ConfigImage::setDpiLevel(int level, std::optional<int> step) {
    Byte nibble = image::kNoDpiValue;
    if (step) {
        requireIndex(*step, 0, image::kDpiSteps - 1, "DPI step");
        nibble = static_cast<Byte>(*step);
    }
    Byte& pair = m_bytes[dpiLevelPairOffset(level)];
    if (level % 2 == 1) {
        pair = static_cast<Byte>((pair & 0xF0) | nibble);
    } else {
        pair = static_cast<Byte>((pair & 0x0F) | (nibble << 4));
    }
}

std::size_t ConfigImage::ledColorOffset(int n) {
    requireIndex(n, 1, static_cast<int>(image::kLedColorCount), "LED colour");
    return image::kLedColors + 3 * static_cast<std::size_t>(n - 1);
}

std::size_t ConfigImage::dpiColorOffset(int level) {
    requireIndex(level, 1, static_cast<int>(image::kDpiColorCount), "DPI colour");
    return image::kDpiColors + 3 * static_cast<std::size_t>(level - 1);
}

std::string ConfigImage::productString() const {
    auto s = section(image::kProductString);
    return std::string(s.begin(), s.end());
}

void ConfigImage::setProductString(std::string_view text) {
    auto s = section(image::kProductString);
    std::fill(s.begin(), s.end(), Byte{' '});
    std::copy_n(text.begin(), std::min(text.size(), s.size()), s.begin());
}

// --- UserSection

std::optional<int> ConfigImage::workMode() const {
    int nibble = currentProfile() & 0x0F;
    if (nibble > 2) {
        return std::nullopt;
    }
    return nibble + 1;
}

Byte ConfigImage::currentProfileByteFor(int mode) {
    static constexpr Byte kBytes[3] = {0x00, 0xF1, 0x02};
    requireIndex(mode, 1, 3, "work mode");
    return kBytes[mode - 1];
}

LightingKind ConfigImage::lightingKindOf(Byte ledMode) {
    switch (ledMode >> 6) {
    case 0:
        return LightingKind::RGB;
    case 1:
        return LightingKind::Sync;
    default:
        return LightingKind::NT;
    }
}

void ConfigImage::setLightingEffect(int effect) {
    requireIndex(effect, 0, 15, "lighting effect");
    Byte& b = m_bytes[image::kLedMode];
    b = static_cast<Byte>((b & 0xF0) | effect);
}

std::size_t ConfigImage::fireOffsetXOffset(int slot) {
    requireIndex(slot, 0, static_cast<int>(image::kFireSlots) - 1, "fire slot");
    return image::kFireOffsetX + static_cast<std::size_t>(slot);
}

std::size_t ConfigImage::fireOffsetYOffset(int slot) {
    requireIndex(slot, 0, static_cast<int>(image::kFireSlots) - 1, "fire slot");
    return image::kFireOffsetY + static_cast<std::size_t>(slot);
}

// --- Profile sections

std::size_t ConfigImage::keyCodeOffset(int profile, int button) {
    requireIndex(profile, 1, static_cast<int>(image::kProfiles), "profile");
    requireIndex(button, 1, static_cast<int>(image::kButtons), "button");
    return image::kProfileSection[profile - 1].offset +
           image::kKeyCodeSize * static_cast<std::size_t>(button - 1);
}

KeyCodeBytes ConfigImage::keyCode(int profile, int button) const {
    std::size_t at = keyCodeOffset(profile, button);
    return {m_bytes[at], m_bytes[at + 1], m_bytes[at + 2], m_bytes[at + 3]};
}

void ConfigImage::setKeyCode(int profile, int button, const KeyCodeBytes& code) {
    std::copy(code.begin(), code.end(),
              m_bytes.begin() + static_cast<std::ptrdiff_t>(keyCodeOffset(profile, button)));
}

// --- FireKeyBlock

std::size_t ConfigImage::fireKeyOffset(int key) {
    requireIndex(key, 1, static_cast<int>(image::kFireKeys), "fire key");
    return image::kFireKeySettings + 3 * static_cast<std::size_t>(key - 1);
}

StoredFireKey ConfigImage::fireKey(int key) const {
    std::size_t at = fireKeyOffset(key);
    return {m_bytes[at] + 1, be16(at + 1)};
}

void ConfigImage::setFireKey(int key, StoredFireKey setting) {
    std::size_t at = fireKeyOffset(key);
    requireIndex(setting.count, 1, 256, "fire count");
    m_bytes[at] = static_cast<Byte>(setting.count - 1);
    setBe16(at + 1, setting.delay);
}

StorageKind ConfigImage::storageKindOfMarker(Byte marker) {
    switch (marker) {
    case image::kMarkerI2C:
        return StorageKind::I2C;
    case image::kMarkerFlash:
        return StorageKind::Flash;
    default:
        return StorageKind::None;
    }
}

void ConfigImage::setStorageMarker(StorageKind kind) {
    if (kind == StorageKind::I2C) {
        m_bytes[image::kStorageMarker] = image::kMarkerI2C;
    } else if (kind == StorageKind::Flash) {
        m_bytes[image::kStorageMarker] = image::kMarkerFlash;
    }
}

// --- Checksums

void ConfigImage::fixChecksum(image::Section s) {
    checksumXor5A(section(s));
}

void ConfigImage::fixProfileChecksums() {
    for (const auto& s : image::kProfileSection) {
        fixChecksum(s);
    }
}

void ConfigImage::fixAllChecksums() {
    for (const auto& s : image::kChecksummedSections) {
        fixChecksum(s);
    }
}

bool ConfigImage::checksumValid(image::Section s) const {
    auto bytes = section(s);
    if (bytes.empty()) {
        return false;
    }
    return bytes.back() == computeChecksumXor5A(bytes.first(bytes.size() - 1));
}

} // namespace tarvik::core
