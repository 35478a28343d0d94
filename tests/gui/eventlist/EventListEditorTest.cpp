// The event list editor as the macro page and the fire page's service mode both use it: the same
// steps, run over each page through its own controls, must change its macro's lines alike. A fault
// in the shared editor that only one page's controls or rules bring out shows here as that page's row.

#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "core/fire/FireMacroEditor.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroName.h"
#include "core/text/LanguageTables.h"
#include "emulator/EmulatorTransport.h"
#include "gui/AppState.h"
#include "gui/dialogs/MessageSeam.h"
#include "gui/eventlist/MacroEventDelegate.h"
#include "gui/fire/FirePage.h"
#include "gui/macros/MacroPage.h"
#include "gui/pages/PageContext.h"
#include "gui/skin/CaptionLabel.h"

#include "../../core/macros/FakeInputCapture.h"
#include "../support/ClickAt.h"
#include "EventListTestWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace tarvik;
using namespace tarvik::gui;

namespace {

// One page's editor: how a macro holding some lines is shown in it, and the names of its controls.
struct Editor {
    const char* page;
    QString events, record, deleteEntry, insertEntry, insertPanel, delayBox, choice, x, y, ok, cancel;
    QString noDelay; // the NoDelay option of a recording
    int moveFront;   // the choice list's item that inserts a move before the row
};

void PrintTo(const Editor& e, std::ostream* os) {
    *os << e.page;
}

const Editor kMacroEditor{
    "macro page", "LB_macro",       "Btn_Start",      "Btn_Del", "Btn_Insert", "Gb_Insert",  "Gb_Delay",
    "CB_Insert",  "edt_XAxisValue", "edt_YAxisValue", "Btn_OK",  "Btn_Cancel", "IB_NoDelay", 4};
const Editor kFireEditor{"fire page",          "LB_FireMacro",
                         "Btn_FireStart",      "Btn_FireDel",
                         "Btn_FireInsert",     "Gb_InsertFire",
                         "GB_FireDelay",       "CB_InsertFire",
                         "edt_FireXAxisValue", "edt_FireYAxisValue",
                         "Btn_FireOK",         "Btn_FireCancel",
                         "IB_FireNoDelay",     2};

class EventListEditorTest : public test::EventListTestWindow, public ::testing::TestWithParam<Editor> {
protected:
    void SetUp() override { setUpWindow(); }
    void TearDown() override { tearDownWindow(); }

    // The page of this row with a macro of `lines` shown (the fire page's header is always "00").
    void show(const core::MacroText& lines) {
        const Editor& e = GetParam();
        auto owned = std::make_unique<test::FakeInputCapture>();
        capture = owned.get();
        if (std::string(e.page) == "macro page") {
            MacroPage* macros = makeMacroPage();
            std::size_t slot = 0;
            ASSERT_EQ(state.macroLibrary.addNew("m", &slot), core::MacroLibrary::Result::Done);
            state.macroLibrary.encode(slot, lines);
            macros->setLibrary(state.macroLibrary);
            macros->setInputCapture(std::move(owned));
            clickRow("LB_PCMacroName", 0);
            text = [macros] { return macros->editor().text(); };
        } else {
            FirePage* fire = makeFirePage();
            auto& stored = state.buffers.fireMacros;
            stored.names[0] = core::nameToField("f");
            const std::vector<core::Byte> body = core::encodeMacro(lines);
            ASSERT_LE(body.size(), stored.bodies[0].size());
            std::copy(body.begin(), body.end(), stored.bodies[0].begin());
            fire->refreshFireMacroNames();
            fire->setInputCapture(std::move(owned));
            unlockServiceMode(fire);
            clickRow("LB_FireMacroName", 0);
            text = [fire] { return fire->fireEditor().text(); };
        }
    }
    void rightClickRow(int row) {
        auto* list = find<QListWidget>(GetParam().events);
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
    }
    void typeInto(const QString& name, const char* typed) {
        auto* edit = find<QLineEdit>(name);
        edit->clear();
        QTest::keyClicks(edit, typed);
    }
    // The rows after the header, as the list shows them.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        auto* list = find<QListWidget>(GetParam().events);
        for (int i = 0; i < list->count(); ++i)
            out.push_back(list->item(i)->data(MacroEventDelegate::kLineRole).toString().toStdString());
        return out;
    }
    std::vector<std::string> body() {
        const core::MacroText lines = text();
        return {lines.begin() + 1, lines.end()};
    }

    test::FakeInputCapture* capture = nullptr;
    std::function<core::MacroText()> text;
};

const core::MacroText kClick = {"00", "1 LeftKey CODE:00A1", "0 30", "2 LeftKey CODE:0021"};

TEST_P(EventListEditorTest, DeleteTakesAPressWithItsRelease) {
    show(kClick);
    rightClickRow(0);
    click(GetParam().deleteEntry);
    EXPECT_EQ(body(), std::vector<std::string>{"0 30"});
    EXPECT_EQ(rows(), std::vector<std::string>{"0 30"});
}

TEST_P(EventListEditorTest, InsertPanelTakesTheDelayBoxPlaceAndOkInsertsTheMove) {
    const Editor& e = GetParam();
    show(kClick);
    rightClickRow(1);
    click(e.insertEntry);
    EXPECT_TRUE(find(e.insertPanel)->isVisible());
    EXPECT_FALSE(find(e.delayBox)->isVisible());
    EXPECT_FALSE(find(e.record)->isEnabled());
    find<QComboBox>(e.choice)->setCurrentIndex(e.moveFront);
    EXPECT_TRUE(find(e.x)->isVisible());
    // Typed beyond the range, the field shows its limit; the line carries the limit.
    typeInto(e.x, "-300");
    EXPECT_EQ(find<QLineEdit>(e.x)->text(), "-127");
    typeInto(e.y, "4");
    click(e.ok);
    EXPECT_EQ(body(),
              (std::vector<std::string>{"1 LeftKey CODE:00A1", "3 048104", "0 30", "2 LeftKey CODE:0021"}));
    EXPECT_EQ(rows(), body());
    EXPECT_FALSE(find(e.insertPanel)->isVisible());
    EXPECT_TRUE(find(e.delayBox)->isVisible());
    EXPECT_TRUE(find(e.record)->isEnabled());
}

TEST_P(EventListEditorTest, CancelGivesBackTheMacroAndTheRow) {
    const Editor& e = GetParam();
    show(kClick);
    rightClickRow(2);
    click(e.insertEntry);
    click(e.cancel);
    EXPECT_EQ(body(), (std::vector<std::string>{"1 LeftKey CODE:00A1", "0 30", "2 LeftKey CODE:0021"}));
    EXPECT_EQ(find<QListWidget>(e.events)->currentRow(), 2);
    EXPECT_FALSE(find(e.insertPanel)->isVisible());
    EXPECT_TRUE(find(e.delayBox)->isVisible());
    EXPECT_TRUE(find(e.record)->isEnabled());
}

TEST_P(EventListEditorTest, RecordingAClickWithoutDelaysAndStopping) {
    const Editor& e = GetParam();
    show({"00"});
    click(e.noDelay);
    auto* record = find<CaptionLabel>(e.record);
    click(e.record);
    EXPECT_EQ(record->text(), state.text("Str401"));
    EXPECT_TRUE(capture->active());
    // The pointer leaves Record for the click that is recorded.
    emit record->left();
    capture->buttonDown(core::MouseButton::Left, 100);
    capture->buttonUp(core::MouseButton::Left, 180);
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 LeftKey CODE:00A1", "2 LeftKey CODE:0021"}));
    click(e.record);
    EXPECT_EQ(record->text(), state.text("Str400"));
    EXPECT_FALSE(capture->active());
    EXPECT_EQ(body(), (std::vector<std::string>{"1 LeftKey CODE:00A1", "2 LeftKey CODE:0021"}));
}

INSTANTIATE_TEST_SUITE_P(BothPages, EventListEditorTest, ::testing::Values(kMacroEditor, kFireEditor),
                         [](const ::testing::TestParamInfo<Editor>& row) {
                             return std::string(row.param.page) == "macro page" ? "MacroPage" : "FirePage";
                         });

} // namespace
