#pragma once
// The fixed catalogue of functions the assignment menus offer, and how an entry becomes a code.

#include "core/keys/FunctionCodeContext.h"

#include <optional>
#include <span>
#include <string>

namespace tarvik::core {

struct CatalogueEntry {
    const char* groupKey;    // language key of the menu heading ("Str201" Standard Mouse Key, ...)
    const char* subMenuKey;  // language key of the sub-menu inside the group, "" when none
    const char* objectName;  // the menu entry's control name ("Key_Left")
    const char* languageKey; // the entry's text ("Str210")
    const char* englishName; // the text of the English table, for reference
    int entryTag;            // the menu label's Tag
    const char* fixedCode;   // the code when it never changes, "" when it depends on the settings
};

// Every entry that carries a tag, in menu order.
std::span<const CatalogueEntry> functionCatalogue();

// The entry with that tag, if any.
const CatalogueEntry* catalogueEntryForTag(int entryTag);

// The code of a catalogue entry as the settings stand now: the AIM step, the fire key settings, the
// storage kind for the fire macro key and the remembered suffixes. Tag 0 is "00000000"; an unknown
// tag gives an empty text.
std::string functionCodeForEntry(int entryTag, const FunctionCodeContext& context);

// Weapon presets (fire macro control codes, type 0B).
struct WeaponPreset {
    const char* languageKey; // "Str600" .. "Str606"
    const char* englishName;
    Byte firstSlot; // first fire-macro slot the preset plays
    Byte slotCount; // how many slots (segments) it spans
};

std::span<const WeaponPreset> weaponPresets();

// 0B, first slot (+ 0x10 with the has-left-key option), slot count, suffix. preset is 0-6.
std::optional<KeyFunctionCode> weaponPresetCode(int preset, bool hasLeftKey, Byte suffix);

// The fire macro key of the storage kind: "1070A0FF" on "Flash", "1006A0FF" otherwise.
KeyFunctionCode fireMacroKeyCode(StorageKind kind);

} // namespace tarvik::core
