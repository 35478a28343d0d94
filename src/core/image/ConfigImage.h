#pragma once
// The mouse's configuration as one 351-byte image: five checksummed sections and the fire key
// block. Every offset used anywhere in the program is named here, once; the ConfigImage class below
// gives typed access so that callers never do byte arithmetic of their own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarvik::core {

using Byte = std::uint8_t;

enum class StorageKind { None, I2C, Flash };

// Bits 7-6 of LedMode: which lighting hardware the mouse has.
enum class LightingKind { None, RGB, Sync, NT };

namespace image {

struct Section {
    std::size_t offset;
    std::size_t length; // checksum byte, when the section has one, is the last

    constexpr std::size_t end() const { return offset + length; }
    constexpr bool operator==(const Section&) const = default;
};

inline constexpr std::size_t kImageSize = 351;

inline constexpr Section kVendorSection{0, 164};
inline constexpr Section kUserSection{164, 28};
inline constexpr Section kProfileSection[3] = {{192, 49}, {241, 49}, {290, 49}};
inline constexpr Section kProfileRun{192, 147}; // the three profile sections, always moved together
inline constexpr Section kFireKeyBlock{339, 12};

// The five sections that end in a ChecksumXor5A byte.
inline constexpr Section kChecksummedSections[5] = {kVendorSection, kUserSection, kProfileSection[0],
                                                    kProfileSection[1], kProfileSection[2]};

// VendorSection fields (big-endian where wider than a byte)
inline constexpr std::size_t kVendorId = 0;       // 16 bit
inline constexpr std::size_t kProductId = 2;      // 16 bit
inline constexpr std::size_t kReportRateBits = 4; // bits 5-4: 0 = 125 Hz .. 3 = 1000 Hz
inline constexpr Section kChipConfig{5, 38};
inline constexpr std::size_t kDpiLevelCount = 43; // enabled levels minus 1, 0-7
inline constexpr std::size_t kDpiLevels = 44;     // 4 bytes, 8 nibbles, level 1 low nibble of 44
inline constexpr Section kLightingParams{48, 8};
inline constexpr std::size_t kFallTime = 56;  // 5..50 in steps of 5
inline constexpr std::size_t kLedColors = 57; // 10 colours x RGB
inline constexpr std::size_t kDpiColors = 87; // 8 colours x RGB
inline constexpr Section kProductString{111, 16};
inline constexpr Section kVendorData{127, 36};
inline constexpr std::size_t kVendorChecksum = 163;

// UserSection fields
inline constexpr std::size_t kCurrentProfile = 164; // low nibble = work mode 0..2
inline constexpr std::size_t kLedMode = 165;        // bits 7-6 kind, bits 3-0 effect
inline constexpr std::size_t kCurrentDpi = 166;
inline constexpr std::size_t kModeParams = 167;  // 4 bytes
inline constexpr std::size_t kFireOffsetX = 171; // 10 signed bytes
inline constexpr std::size_t kFireOffsetY = 181; // 10 signed bytes
inline constexpr std::size_t kUserChecksum = 191;

// FireKeyBlock fields, as image offsets
inline constexpr std::size_t kManuId = 339;
inline constexpr std::size_t kProId = 340;
inline constexpr std::size_t kFireKeySettings = 341; // 3 keys x (count-1, delay hi, delay lo)
inline constexpr std::size_t kStorageMarker = 350;

inline constexpr Byte kMarkerI2C = 0xE0;
inline constexpr Byte kMarkerFlash = 0xF0;

inline constexpr std::size_t kButtons = 12;
inline constexpr std::size_t kProfiles = 3;
inline constexpr std::size_t kKeyCodeSize = 4;
inline constexpr std::size_t kDpiLevelSlots = 8;
inline constexpr Byte kNoDpiValue = 15;
inline constexpr int kDpiSteps = 12; // step indexes 0-11 of the DPI ladder
inline constexpr std::size_t kLedColorCount = 10;
inline constexpr std::size_t kDpiColorCount = 8;
inline constexpr std::size_t kFireSlots = 10;
inline constexpr std::size_t kFireKeys = 3;
inline constexpr std::size_t kModeParamsSize = 4;

inline constexpr Byte kChecksumXor = 0x5A;

} // namespace image

using ConfigImageBytes = std::array<Byte, image::kImageSize>;

// Three bytes in the device's order: red, green, blue.
struct Rgb {
    Byte red = 0;
    Byte green = 0;
    Byte blue = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

// One fire key as the FireKeyBlock stores it: shots per burst and the interval between them (the
// continuous option is not stored here; it lives in the codes of the buttons).
struct StoredFireKey {
    int count = 1;           // 1..256; stored as count - 1
    std::uint16_t delay = 0; // stored big-endian
    constexpr bool operator==(const StoredFireKey&) const = default;
};

// One KeyFunctionCode as its four stored bytes, type byte first.
using KeyCodeBytes = std::array<Byte, image::kKeyCodeSize>;

// The 351 bytes with typed field access. Indexes follow what the user sees: work modes and profiles
// 1-3, buttons 1-12, DPI levels 1-8, colours 1-10 / 1-8, fire keys 1-3; fire macro slots 0-9.
// An index outside its range throws std::out_of_range: that is a caller's bug, never device data.
// Field getters never throw on odd stored values (a failed read leaves 0xFF everywhere); where a
// stored value can be meaningless the getter says so with std::nullopt.
class ConfigImage {
public:
    ConfigImage() = default;
    explicit ConfigImage(const ConfigImageBytes& bytes) : m_bytes(bytes) {}

    std::span<Byte, image::kImageSize> bytes() { return m_bytes; }
    std::span<const Byte, image::kImageSize> bytes() const { return m_bytes; }
    std::span<Byte> section(image::Section s);
    std::span<const Byte> section(image::Section s) const;
    Byte byteAt(std::size_t offset) const { return m_bytes.at(offset); }
    void setByteAt(std::size_t offset, Byte value) { m_bytes.at(offset) = value; }

    // Copies one section (or any offset range) from another image.
    void copySectionFrom(const ConfigImage& other, image::Section s);

    // --- VendorSection
    std::uint16_t vendorId() const { return be16(image::kVendorId); }
    void setVendorId(std::uint16_t id) { setBe16(image::kVendorId, id); }
    std::uint16_t productId() const { return be16(image::kProductId); }
    void setProductId(std::uint16_t id) { setBe16(image::kProductId, id); }

    // Report rate as the 2-bit code of bits 5-4 (0 = 125 Hz .. 3 = 1000 Hz); the other bits of the
    // byte are chip flags and survive every setter.
    int reportRateCode() const { return (m_bytes[image::kReportRateBits] >> 4) & 0x03; }
    int reportRateHz() const { return reportRateHzForCode(reportRateCode()); }
    void setReportRateCode(int code);
    static int reportRateHzForCode(int code); // 125, 250, 500, 1000
    static std::optional<int> reportRateCodeForHz(int hz);

    // DpiLevelCount holds the number of enabled levels minus 1; a stored value outside 0-7 gives no
    // count (the pages then keep what they show).
    std::optional<int> enabledDpiLevels() const;
    void setEnabledDpiLevels(int levels); // 1..8

    // DpiLevels: the step index (0-11) of level 1..8. 15 is the device's "no value"; 12-14 lie off
    // the ladder and are reported as no value too.
    std::optional<int> dpiLevel(int level) const;
    Byte dpiLevelNibble(int level) const;
    void setDpiLevel(int level, std::optional<int> step); // nullopt stores 15
    // The byte that holds level n and its partner, and its offset (44 + (n-1)/2), as sent by one
    // single-byte setting write.
    static std::size_t dpiLevelPairOffset(int level);
    Byte dpiLevelPairByte(int level) const { return m_bytes[dpiLevelPairOffset(level)]; }

    std::span<const Byte> chipConfig() const { return section(image::kChipConfig); }
    std::span<const Byte> lightingParams() const { return section(image::kLightingParams); }
    Byte fallTime() const { return m_bytes[image::kFallTime]; }
    void setFallTime(Byte value) { m_bytes[image::kFallTime] = value; }

    Rgb ledColor(int n) const { return rgbAt(ledColorOffset(n)); } // n = 1..10
    void setLedColor(int n, Rgb c) { setRgbAt(ledColorOffset(n), c); }
    static std::size_t ledColorOffset(int n);
    Rgb dpiColor(int level) const { return rgbAt(dpiColorOffset(level)); } // level = 1..8
    void setDpiColor(int level, Rgb c) { setRgbAt(dpiColorOffset(level), c); }
    static std::size_t dpiColorOffset(int level);

    // 16 ASCII characters; setting pads with blanks and cuts what is longer.
    std::string productString() const;
    void setProductString(std::string_view text);

    // --- UserSection
    Byte currentProfile() const { return m_bytes[image::kCurrentProfile]; }
    void setCurrentProfile(Byte value) { m_bytes[image::kCurrentProfile] = value; }
    // Work mode 1..3 from the low nibble of CurrentProfile; low nibbles 3-15 name no mode.
    std::optional<int> workMode() const;
    void setWorkMode(int mode) { setCurrentProfile(currentProfileByteFor(mode)); }
    // The whole byte the program writes for a mode: 0x00, 0xF1, 0x02.
    static Byte currentProfileByteFor(int mode);

    Byte ledMode() const { return m_bytes[image::kLedMode]; }
    void setLedMode(Byte value) { m_bytes[image::kLedMode] = value; }
    LightingKind lightingKind() const { return lightingKindOf(ledMode()); }
    static LightingKind lightingKindOf(Byte ledMode);
    int lightingEffect() const { return ledMode() & 0x0F; }
    void setLightingEffect(int effect); // 0..15, the kind bits are kept

    Byte currentDpi() const { return m_bytes[image::kCurrentDpi]; } // level index 0..7
    void setCurrentDpi(Byte index) { m_bytes[image::kCurrentDpi] = index; }
    std::span<const Byte> modeParams() const { return section({image::kModeParams, image::kModeParamsSize}); }
    std::span<Byte> modeParams() { return section({image::kModeParams, image::kModeParamsSize}); }

    std::int8_t fireOffsetX(int slot) const {
        return static_cast<std::int8_t>(m_bytes[fireOffsetXOffset(slot)]);
    }
    void setFireOffsetX(int slot, std::int8_t v) { m_bytes[fireOffsetXOffset(slot)] = static_cast<Byte>(v); }
    std::int8_t fireOffsetY(int slot) const {
        return static_cast<std::int8_t>(m_bytes[fireOffsetYOffset(slot)]);
    }
    void setFireOffsetY(int slot, std::int8_t v) { m_bytes[fireOffsetYOffset(slot)] = static_cast<Byte>(v); }
    static std::size_t fireOffsetXOffset(int slot); // slot 0..9
    static std::size_t fireOffsetYOffset(int slot);

    // --- Profile sections: the KeyFunctionCode of a button in a profile (work mode)
    KeyCodeBytes keyCode(int profile, int button) const;
    void setKeyCode(int profile, int button, const KeyCodeBytes& code);
    static std::size_t keyCodeOffset(int profile, int button);

    // --- FireKeyBlock
    Byte manuId() const { return m_bytes[image::kManuId]; }
    void setManuId(Byte id) { m_bytes[image::kManuId] = id; }
    Byte proId() const { return m_bytes[image::kProId]; }
    void setProId(Byte id) { m_bytes[image::kProId] = id; }
    StoredFireKey fireKey(int key) const;            // key 1..3
    void setFireKey(int key, StoredFireKey setting); // count 1..256
    static std::size_t fireKeyOffset(int key);

    Byte storageMarkerByte() const { return m_bytes[image::kStorageMarker]; }
    // The kind the marker names; None for any byte other than 0xE0 and 0xF0.
    StorageKind storageMarker() const { return storageKindOfMarker(storageMarkerByte()); }
    // Sets 0xE0 or 0xF0; StorageKind::None leaves the byte as it is.
    void setStorageMarker(StorageKind kind);
    static StorageKind storageKindOfMarker(Byte marker);

    // --- Checksums (ChecksumXor5A). The program recomputes them when a section goes from the
    // working copy towards the device or a file; it never rejects what it reads.
    void fixChecksum(image::Section s);
    void fixVendorChecksum() { fixChecksum(image::kVendorSection); }
    void fixUserChecksum() { fixChecksum(image::kUserSection); }
    void fixProfileChecksums();
    void fixAllChecksums();
    bool checksumValid(image::Section s) const;
    Byte checksum(image::Section s) const { return m_bytes.at(s.end() - 1); }

    bool operator==(const ConfigImage&) const = default;

private:
    std::uint16_t be16(std::size_t offset) const;
    void setBe16(std::size_t offset, std::uint16_t value);
    Rgb rgbAt(std::size_t offset) const {
        return {m_bytes[offset], m_bytes[offset + 1], m_bytes[offset + 2]};
    }
    void setRgbAt(std::size_t offset, Rgb c);

    ConfigImageBytes m_bytes{};
};

} // namespace tarvik::core
