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

namespace {

// The caption search written the plain way: every key "Str0" .. "Str700" of tables 1, 2, 3 in turn,
// the last hit wins.
std::string referenceTranslateCaption(const LanguageTables& tables, std::string_view caption) {
    std::string found;
    if (caption.empty())
        return found;
    for (int index = 1; index <= LanguageTables::kCount; ++index) {
        for (int n = 0; n <= 700; ++n) {
            const std::string key = "Str" + std::to_string(n);
            if (tables.table(index).contains(key) && tables.table(index).text(key) == caption)
                found = key;
        }
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::string_view raw(reinterpret_cast<const char*>(data), size);

    // Whatever the bytes, decoding gives valid UTF-8, which survives a round trip unchanged.
    const std::string decoded = utf16LeToUtf8(bytes);
    if (utf16ToUtf8(utf8ToUtf16(decoded)) != decoded)
        std::abort();
    const std::string repaired = utf16ToUtf8(utf8ToUtf16(raw));
    if (utf16ToUtf8(utf8ToUtf16(repaired)) != repaired)
        std::abort();

    std::size_t tokenBytes = 0;
    for (const std::string& token : tokenizeLanguageText(raw))
        tokenBytes += token.size();
    if (tokenBytes > raw.size())
        std::abort();

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

    const LanguageTables tables(
        {*table, LanguageTable::fromText(raw, "lang1"), LanguageTable::fromText(raw, "x")});
    std::size_t checked = 0;
    for (const std::string& key : keys) {
        if (++checked > 2) // the reference search is slow; a couple of captions per input suffice
            break;
        const std::string caption = table->text(key);
        if (tables.translateCaption(caption) != referenceTranslateCaption(tables, caption))
            std::abort();
        (void)tables.carryCaption(caption, 3);
    }
    return 0;
}
