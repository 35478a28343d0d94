// The catalogue against the language tables the program ships: captions are recognised by
// comparing names, so every name must exist and no two functions may read alike.

#include "core/keys/FunctionCodeCatalogue.h"
#include "core/keys/FunctionCodeName.h"

#include <gtest/gtest.h>

#include <map>

using namespace tarvik::core;

TEST(BuiltInLanguage, EnglishTableNamesTheCatalogue) {
    const auto table = LanguageTable::loadBuiltIn(1);
    if (!table)
        GTEST_SKIP() << "built-in table 1 is not there";
    FunctionCodeContext context;
    context.language = &*table;
    context.fireKeys = {FireKeySetting{3, 60}, FireKeySetting{5, 60}, FireKeySetting{8, 60}};
    for (const CatalogueEntry& e : functionCatalogue()) {
        EXPECT_EQ(table->text(e.languageKey), e.englishName) << e.languageKey;
        EXPECT_EQ(functionCodeName(functionCodeForEntry(e.entryTag, context), context), e.englishName);
    }
    for (const WeaponPreset& p : weaponPresets())
        EXPECT_EQ(table->text(p.languageKey), p.englishName) << p.languageKey;
}

TEST(BuiltInLanguage, EveryTableHasDistinctFunctionNames) {
    for (int index = 1; index <= 3; ++index) {
        const auto table = LanguageTable::loadBuiltIn(index);
        if (!table)
            continue;
        SCOPED_TRACE(index);
        std::map<std::string, std::string> keyByName;
        auto check = [&](const char* key) {
            const std::string name = table->text(key);
            EXPECT_FALSE(name.empty()) << key;
            const auto [it, fresh] = keyByName.emplace(name, key);
            EXPECT_TRUE(fresh) << key << " reads like " << it->second << ": " << name;
        };
        for (const CatalogueEntry& e : functionCatalogue())
            check(e.languageKey);
        for (const WeaponPreset& p : weaponPresets())
            check(p.languageKey);
    }
}
