#include "core/keys/FunctionCodeCatalogue.h"

#include <algorithm>
#include <array>

namespace tarvik::core {

namespace {

constexpr const char* kStandard = "Str201";
constexpr const char* kSpecial = "Str202";
constexpr const char* kMedia = "Str203";
constexpr const char* kWww = "Str204";
constexpr const char* kPc = "Str207";

// Tags of the entries whose code is built from the settings.
enum Tag {
    kTagMiddle = 902,
    kTagBackward = 903,
    kTagForward = 904,
    kTagAim = 1000,
    kTagFireMacroKey = 1005,
    kTagCpiLoop = 2000,
    kTagCpiPlus = 2001,
    kTagCpiMinus = 2002,
    kTagFire1 = 2100,
    kTagFire2 = 2101,
    kTagFire3 = 2102,
};

constexpr std::array<CatalogueEntry, 46> kCatalogue{{
    {kStandard, "", "Key_Left", "Str210", "Left Key", 900, "01010000"},
    {kStandard, "", "Key_Right", "Str211", "Right Key", 901, "01020000"},
    {kStandard, "", "Key_Middle", "Str212", "Middle Key", kTagMiddle, ""},
    {kStandard, "", "Key_B4", "Str213", "Backward", kTagBackward, ""},
    {kStandard, "", "Key_B5", "Str214", "Forward", kTagForward, ""},
    {kSpecial, "", "Key_AIM", "Str260", "AIM Key", kTagAim, ""},
    {kSpecial, "", "Key_LEDMode", "Str261", "LED Mode", 1001, "0E000000"},
    {kSpecial, "", "Key_LEDSwitch", "Str262", "LED Switch", 1002, "08000000"},
    {kSpecial, "", "Key_BtnEFT", "Str263", "Button Effect Switch", 1003, "08010000"},
    {kSpecial, "", "Key_ReportRate", "Str264", "Report Rate", 1004, "0C000000"},
    {kSpecial, "", "Key_FireMacroKey", "Str265", "Fire Macro Key", kTagFireMacroKey, ""},
    {kSpecial, "", "Key_FireMacroOff", "Str266", "Fire Macro Off", 1006, "0B8F0000"},
    {kSpecial, "", "Key_KeyOff", "Str277", "Key Off", 1007, "00000000"},
    {kSpecial, "Str220", "Key_CPI", "Str221", "CPI Loop", kTagCpiLoop, ""},
    {kSpecial, "Str220", "Key_CPII", "Str222", "CPI +", kTagCpiPlus, ""},
    {kSpecial, "Str220", "Key_CPID", "Str223", "CPI -", kTagCpiMinus, ""},
    {kSpecial, "Str230", "Key_Fire1", "Str231", "Fire Key1", kTagFire1, ""},
    {kSpecial, "Str230", "Key_Fire2", "Str232", "Fire Key2", kTagFire2, ""},
    {kSpecial, "Str230", "Key_Fire3", "Str233", "Fire Key3", kTagFire3, ""},
    {kSpecial, "Str240", "Key_PowerDown", "Str241", "Power Down", 2200, "04010000"},
    {kSpecial, "Str240", "Key_Sleep", "Str242", "Sleep", 2201, "04020000"},
    {kSpecial, "Str240", "Key_WakeUp", "Str243", "Wake Up", 2202, "04030000"},
    {kSpecial, "Str250", "Key_Profile1", "Str251", "Office Mode", 2300, "07800000"},
    {kSpecial, "Str250", "Key_Profile2", "Str252", "Game Mode", 2301, "07810000"},
    {kSpecial, "Str250", "Key_Profile3", "Str253", "Third Mode", 2302, "07820000"},
    {kSpecial, "Str250", "Key_Profile", "Str254", "KB Switch Loop", 2303, "07000000"},
    {kSpecial, "Str267", "Key_AdjustXYFn", "Str268", "Adjust XY Fn", 2400, "0A000000"},
    {kSpecial, "Str267", "Key_AdjustXYSwitch", "Str269", "Adjust XY Switch", 2401, "0A010000"},
    {kMedia, "", "Key_PlayPause", "Str270", "Play/Pause", 1100, "0300CD00"},
    {kMedia, "", "Key_Stop", "Str271", "Stop", 1101, "0300B700"},
    {kMedia, "", "Key_PreviousTrack", "Str272", "Previous Track", 1102, "0300B600"},
    {kMedia, "", "Key_NextTrack", "Str273", "Next Track", 1103, "0300B500"},
    {kMedia, "", "Key_VolumePlus", "Str274", "Volume +", 1104, "0300E900"},
    {kMedia, "", "Key_VolumeMinus", "Str275", "Volume -", 1105, "0300EA00"},
    {kMedia, "", "Key_Mute", "Str276", "Mute", 1106, "0300E200"},
    {kWww, "", "Key_WWWHome", "Str280", "WWW Home", 1200, "03022300"},
    {kWww, "", "Key_WWWSearch", "Str281", "WWW Search", 1201, "03022100"},
    {kWww, "", "Key_WWWBack", "Str282", "WWW Back", 1202, "03022400"},
    {kWww, "", "Key_WWWForward", "Str283", "WWW Forward", 1203, "03022500"},
    {kWww, "", "Key_WWWStop", "Str284", "WWW Stop", 1204, "03022600"},
    {kWww, "", "Key_WWWRefresh", "Str285", "WWW Refresh", 1205, "03022700"},
    {kWww, "", "Key_WWWFavorites", "Str286", "WWW Favorites", 1206, "03022A00"},
    {kPc, "", "Key_Computer", "Str290", "My Computer", 1300, "03019400"},
    {kPc, "", "Key_Calculator", "Str291", "Calculator", 1301, "03019200"},
    {kPc, "", "Key_EMail", "Str292", "E-Mail", 1302, "03018A00"},
    // Win+D, offered as its own entry.
    {kPc, "", "Key_Desktop", "Str293", "Desktop", 1303, "02080700"},
}};

constexpr std::array<WeaponPreset, 7> kWeaponPresets{{
    {"Str600", "AKM Fire", 0, 1},
    {"Str601", "M16A4 Fire", 1, 1},
    {"Str602", "M416 Fire", 2, 1},
    {"Str603", "UMP9 Fire", 3, 1},
    {"Str604", "SCAR-L Fire", 4, 1},
    {"Str605", "5.56mm Fire", 5, 2},
    {"Str606", "7.62mm Fire", 7, 3},
}};

std::string withSuffix(const char* prefix, Byte suffix) {
    return std::string(prefix) + hexByte(suffix);
}

} // namespace

std::span<const CatalogueEntry> functionCatalogue() {
    return kCatalogue;
}

const CatalogueEntry* catalogueEntryForTag(int entryTag) {
    const auto entries = functionCatalogue();
    auto it = std::find_if(entries.begin(), entries.end(),
                           [entryTag](const CatalogueEntry& e) { return e.entryTag == entryTag; });
    return it == entries.end() ? nullptr : &*it;
}

std::string functionCodeForEntry(int entryTag, const FunctionCodeContext& context) {
    const CodeSuffixes& s = context.suffixes;
    switch (entryTag) {
    case 0:
        return "00000000";
    case kTagMiddle:
        return withSuffix("010400", s.middle);
    case kTagBackward:
        return withSuffix("010800", s.backward);
    case kTagForward:
        return withSuffix("011000", s.forward);
    case kTagAim: {
        // The ladder has twelve steps; anything else would send the mouse a step it does not have.
        const int step = std::clamp(context.aimDpiStep, 1, 12);
        return KeyFunctionCode{code_type::kAim, static_cast<Byte>(step - 1), 0, 0}.text();
    }
    case kTagFireMacroKey:
        return fireMacroKeyCode(context.storageKind).text();
    case kTagCpiLoop:
        return withSuffix("090000", s.cpiLoop);
    case kTagCpiPlus:
        return withSuffix("090100", s.cpiPlus);
    case kTagCpiMinus:
        return withSuffix("090200", s.cpiMinus);
    case kTagFire1:
    case kTagFire2:
    case kTagFire3:
        return fireKeyCode(context.fireKeys[static_cast<std::size_t>(entryTag - kTagFire1)]).text();
    default:
        break;
    }
    const CatalogueEntry* entry = catalogueEntryForTag(entryTag);
    return entry ? std::string(entry->fixedCode) : std::string();
}

std::span<const WeaponPreset> weaponPresets() {
    return kWeaponPresets;
}

std::optional<KeyFunctionCode> weaponPresetCode(int preset, bool hasLeftKey, Byte suffix) {
    if (preset < 0 || preset >= static_cast<int>(kWeaponPresets.size()))
        return std::nullopt;
    const WeaponPreset& p = kWeaponPresets[static_cast<std::size_t>(preset)];
    return KeyFunctionCode{code_type::kFireMacroControl,
                           static_cast<Byte>(p.firstSlot | (hasLeftKey ? 0x10 : 0)), p.slotCount, suffix};
}

KeyFunctionCode fireMacroKeyCode(StorageKind kind) {
    return kind == StorageKind::Flash ? KeyFunctionCode{0x10, 0x70, 0xA0, 0xFF}
                                      : KeyFunctionCode{0x10, 0x06, 0xA0, 0xFF};
}

} // namespace tarvik::core
