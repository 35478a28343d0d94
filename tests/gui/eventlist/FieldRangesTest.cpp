// Each range of a number field, at its edges, through every place a user can give that number: the
// page fields and the delay dialog hold what is typed to the range; the JSON import refuses a value
// outside it. One table, so that a page and the import can no longer disagree about a range.

#include "core/edit/FieldRanges.h"
#include "cli/ProfileJson.h"
#include "gui/dialogs/InputDelayTimeDialog.h"
#include "resources/Resources.h"

#include "EventListTestWindow.h"

#include <QLineEdit>

#include <functional>
#include <optional>
#include <string>
#include <variant>

using namespace tarvik;
using namespace tarvik::gui;
namespace fields = tarvik::core::fields;

namespace {

class FieldRangesTest : public test::EventListTestWindow, public ::testing::Test {
protected:
    void SetUp() override { setUpWindow(); }
    void TearDown() override { tearDownWindow(); }

    // What a field shows after `value` is typed over its text.
    static long long typed(QLineEdit* edit, long long value) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::number(value));
        return edit->text().toLongLong();
    }
};

// The value of the first `key` in a JSON document.
std::optional<long long> jsonValue(const std::string& json, const std::string& key) {
    const auto at = json.find("\"" + key + "\": ");
    if (at == std::string::npos)
        return std::nullopt;
    return std::stoll(json.substr(at + key.size() + 4));
}

// The default image's document with fire key 1's `key` set to `value`, imported and exported again:
// the value the import kept, or nothing when it refused the document.
std::optional<long long> imported(const std::string& key, long long value) {
    const auto bytes = resources::find("images/TarvikData_Cfg1.bin");
    const std::vector<core::Byte> image(bytes->begin(), bytes->end());
    const core::LanguageTable& english = core::LanguageTables::builtIn().table(1);
    std::string json = cli::profileToJson(image, english);
    const std::string field = "\"" + key + "\": ";
    const auto start = json.find(field) + field.size();
    json.replace(start, json.find_first_of(",\n}", start) - start, std::to_string(value));
    const auto back = cli::profileFromJson(json, english);
    if (!std::holds_alternative<cli::JsonProfile>(back))
        return std::nullopt;
    return jsonValue(cli::profileToJson(std::get<cli::JsonProfile>(back).profileFile, english), key);
}

TEST_F(FieldRangesTest, EveryFieldHoldsItsRangeAndTheImportRefusesWhatLiesOutside) {
    enum class Through { Page, Dialog, Import };
    struct Case {
        const char* field;
        core::FieldRange range;
        Through through;
        std::function<QWidget*(FieldRangesTest&)> open; // the page, for page fields
    };
    const auto macroPage = [](FieldRangesTest& t) -> QWidget* { return t.makeMacroPage(); };
    // The recording's time field takes typing only while every gap takes it.
    const auto macroDefaultDelay = [](FieldRangesTest& t) -> QWidget* {
        QWidget* macros = t.makeMacroPage();
        t.click(QStringLiteral("IB_DelayTime"));
        return macros;
    };
    const auto firePage = [](FieldRangesTest& t) -> QWidget* {
        FirePage* fire = t.makeFirePage();
        t.unlockServiceMode(fire);
        return fire;
    };
    const auto advancedPage = [](FieldRangesTest& t) -> QWidget* { return t.makeAdvancedPage(); };
    const Case cases[] = {
        {"Edt_Delay", fields::kEventDelay, Through::Page, macroDefaultDelay},
        {"Edt_InsertDelay", fields::kEventDelay, Through::Page, macroPage},
        {"edt_XAxisValue", fields::kEventMove, Through::Page, macroPage},
        {"edt_YAxisValue", fields::kEventMove, Through::Page, macroPage},
        {"edt_Repeat", fields::kEventRepeat, Through::Page, macroPage},
        {"Edt_FireDelay", fields::kEventDelay, Through::Page, firePage},
        {"Edt_InsertFireDelay", fields::kEventDelay, Through::Page, firePage},
        {"edt_FireXAxisValue", fields::kEventMove, Through::Page, firePage},
        {"edt_FireYAxisValue", fields::kEventMove, Through::Page, firePage},
        {"edt_FireRepeat", fields::kEventRepeat, Through::Page, firePage},
        {"Edt_FireCnt1", fields::kFireStepCount, Through::Page, firePage},
        {"Edt_FireX1", fields::kFireStepMove, Through::Page, firePage},
        {"Edt_FireY1", fields::kFireStepMove, Through::Page, firePage},
        {"Edt_FireX1Offset", fields::kFireOffset, Through::Page, firePage},
        {"Edt_FireY1Offset", fields::kFireOffset, Through::Page, firePage},
        {"Edt_FireTime1", fields::kFireStepTime, Through::Page, firePage},
        {"Edt_Repeat1", fields::kFireKeyCount, Through::Page, advancedPage},
        {"Edt_DelayTime1", fields::kFireKeyInterval, Through::Page, advancedPage},
        {"Edt_EditTime", fields::kEventDelay, Through::Dialog, {}},
        {"count", fields::kFireKeyCount, Through::Import, {}},
        {"delay", fields::kFireKeyInterval, Through::Import, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        delete page;
        page = nullptr;
        std::function<std::optional<long long>(long long)> give;
        InputDelayTimeDialog* dialog = nullptr;
        switch (c.through) {
        case Through::Page: {
            c.open(*this);
            auto* edit = find<QLineEdit>(QString::fromLatin1(c.field));
            ASSERT_NE(edit, nullptr);
            give = [edit](long long v) { return typed(edit, v); };
            break;
        }
        case Through::Dialog:
            dialog = new InputDelayTimeDialog(state, &window, QStringLiteral("50"), {});
            give = [dialog](long long v) { return typed(dialog->edit(), v); };
            break;
        case Through::Import:
            give = [&c](long long v) { return imported(c.field, v); };
            break;
        }
        const bool refuses = c.through == Through::Import;
        const long long below = c.range.min - 1;
        const long long above = c.range.max + 1;
        EXPECT_EQ(give(below), refuses ? std::nullopt : std::optional<long long>(c.range.min)) << below;
        EXPECT_EQ(give(c.range.min), c.range.min);
        EXPECT_EQ(give(c.range.max), c.range.max);
        EXPECT_EQ(give(above), refuses ? std::nullopt : std::optional<long long>(c.range.max)) << above;
        delete dialog;
    }
}

} // namespace
