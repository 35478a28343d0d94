// Language tables from outside bytes: decoding, tokenising, reading entries and carrying captions.

#include "core/text/LanguageTable.h"
#include "core/text/LanguageTables.h"
#include "core/text/LanguageTokenizer.h"
#include "core/text/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

using namespace tarvik::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    // Whatever the bytes, the decoded text is valid UTF-8 and survives a round trip.
    const std::string decoded = utf16LeToUtf8(bytes);
    if (utf16ToUtf8(utf8ToUtf16(decoded)) != decoded)
        std::abort();
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::string repaired = utf16ToUtf8(utf8ToUtf16(raw));
    if (utf16ToUtf8(utf8ToUtf16(repaired)) != repaired)
        std::abort();

    for (const std::string& token : tokenizeLanguageText(raw)) {
        if (token.size() > raw.size())
            std::abort();
    }

    const auto table = LanguageTable::fromUtf16Le(bytes, "lang1");
    if (table.has_value() != (size >= 2 && data[0] == 0xFF && data[1] == 0xFE))
        std::abort();
    if (!table)
        return 0;

    const auto keys = table->keys();
    if (keys.size() != table->size())
        std::abort();
    for (const std::string& key : keys) {
        if (!table->contains(key))
            std::abort();
    }

    const LanguageTables tables({*table, LanguageTable::fromText(raw, "lang1"), LanguageTable()});
    for (const std::string& key : keys) {
        const std::string caption = table->text(key);
        const std::string found = tables.translateCaption(caption);
        if (!found.empty() && tables.table(1).text(found) != caption &&
            tables.table(2).text(found) != caption)
            std::abort();
        (void)tables.carryCaption(caption, 3);
    }
    return 0;
}
