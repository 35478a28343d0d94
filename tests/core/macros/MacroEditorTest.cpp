#include "core/macros/MacroEditor.h"

#include "FakeInputCapture.h"
#include "core/keys/InputOneKeyLogic.h"
#include "core/macros/MacroCodec.h"
#include "core/macros/MacroLibraryFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

using namespace tarvik::core;
using tarvik::test::FakeInputCapture;

namespace {

namespace fs = std::filesystem;

constexpr int kA = 0x41, kB = 0x42;

class MacroEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("tarvik-editor-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir);
        file.emplace(dir / "Tarvik-Macro.bin");
        ASSERT_EQ(library.addNew("Rec", &slot), MacroLibrary::Result::Done);
        capture.start([this](const InputEvent& e) { editor.feed(e); });
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // A stored macro to edit: "A" pressed and released 30 ms apart.
    void storeKeystroke() {
        library.encode(slot, {"10", "1 A CODE:8204", "0 30", "2 A CODE:0204"});
        editor.showLibraryMacro(slot);
    }

    std::vector<Byte> slotBytes() const {
        const MacroBody& body = library.slot(slot).body;
        return {body.begin(), body.begin() + library.slot(slot).length};
    }

    fs::path dir;
    std::optional<MacroLibraryFile> file;
    MacroLibrary library;
    std::size_t slot = 0;
    int saves = 0;
    MacroEditor editor{library, [this](const MacroLibrary& lib) {
                           ++saves;
                           file->save(lib);
                       }};
    FakeInputCapture capture;
};

} // namespace

TEST_F(MacroEditorTest, RecordingIsEncodedIntoTheSlotAndSavedOnStop) {
    editor.showLibraryMacro(slot);
    ASSERT_TRUE(editor.startRecording({DelayMode::RecordDelay, 50}));
    capture.keyDown(kA, 1000);
    capture.keyUp(kA, 1120);
    editor.setPointerOnRecordButton(true);
    capture.buttonDown(MouseButton::Left, 1500); // the click on Stop
    editor.stopRecording();
    capture.buttonUp(MouseButton::Left, 1510);

    EXPECT_EQ(editor.text(), (MacroText{"10", "1 A CODE:8204", "0 120", "2 A CODE:0204"}));
    EXPECT_EQ(slotBytes(), (std::vector<Byte>{0x82, 0x04, 0xFE, 0x00, 0x78, 0x02, 0x04, 0x00}));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(editor.usedMacroBytes(), 7u);
}

TEST_F(MacroEditorTest, TheLimitStopsTheRecordingAndTheSlotAndFileHoldExactlyTheMacro) {
    editor.showLibraryMacro(slot);
    ASSERT_TRUE(editor.startRecording({DelayMode::RecordDelay, 50}));
    std::uint32_t t = 0;
    for (int i = 0; i < 100 && editor.recording(); ++i) {
        capture.keyDown(kA + i % 2, t += 40);
        capture.buttonDown(MouseButton::Right, t += 40); // held over the next press
        capture.keyUp(kA + i % 2, t += 40);
        capture.buttonUp(MouseButton::Right, t += 40);
    }
    ASSERT_FALSE(editor.recording());
    EXPECT_EQ(saves, 1);

    const std::vector<Byte> encoded = encodeMacro(editor.text());
    ASSERT_LE(encoded.size(), kMacroBodySize);
    EXPECT_EQ(slotBytes(), encoded);
    const MacroBody& body = library.slot(slot).body;
    EXPECT_TRUE(std::all_of(body.begin() + static_cast<std::ptrdiff_t>(encoded.size()), body.end(),
                            [](Byte b) { return b == 0; }));

    const auto loaded = file->loadOrCreate(defaultMacroLibraryImage());
    ASSERT_FALSE(loaded.created);
    EXPECT_EQ(loaded.library.slot(slot).body, body);
    MacroLibrary reread = loaded.library;
    const auto view = reread.view(slot);
    ASSERT_TRUE(view);
    EXPECT_EQ(encodeMacro(view->decoded.text), encoded);
}

TEST_F(MacroEditorTest, EditAKeyLineThroughInputOneKeyAndADelayThroughInputDelayTime) {
    storeKeystroke();
    editor.selectRow(0);
    ASSERT_EQ(editor.editKind(), EditKind::Press);
    InputOneKeyLogic dialog(static_cast<int>(*editor.editKind()));
    dialog.keyPressed(kB);
    const auto result = dialog.confirm();
    EXPECT_TRUE(editor.replaceKeyLine(EditKind::Press, result.keyName, result.stepText));

    editor.selectRow(1);
    ASSERT_EQ(editor.editKind(), EditKind::Delay);
    EXPECT_TRUE(editor.replaceDelayLine("200"));

    EXPECT_EQ(editor.text(), (MacroText{"10", "1 B CODE:8205", "0 200", "2 A CODE:0204"}));
    EXPECT_EQ(editor.selectedRow(), 1);
    EXPECT_EQ(slotBytes(), (std::vector<Byte>{0x82, 0x05, 0xFE, 0x00, 0xC8, 0x02, 0x04, 0x00}));
    EXPECT_EQ(saves, 2);
}

TEST_F(MacroEditorTest, DeleteWithAMissingPartnerSavesNothing) {
    library.encode(slot, {"00", "1 A CODE:8204", "0 30"});
    editor.showLibraryMacro(slot);
    editor.selectRow(0);
    const std::vector<Byte> before = slotBytes();
    EXPECT_TRUE(editor.deleteSelected().contentError);
    EXPECT_EQ(slotBytes(), before);
    EXPECT_EQ(saves, 0);
}

TEST_F(MacroEditorTest, ADeviceMacroIsShownButNeitherEditedNorRecordedInto) {
    storeKeystroke();
    const std::vector<Byte> stored = slotBytes();
    editor.showDeviceMacro({"00", "1 LeftKey CODE:00A1", "2 LeftKey CODE:0021"});
    EXPECT_EQ(editor.rowCount(), 2);
    editor.selectRow(0);
    EXPECT_FALSE(editor.deleteSelected().changed);
    EXPECT_FALSE(editor.openInsertPanel(0));
    EXPECT_FALSE(editor.startRecording({}));
    EXPECT_EQ(editor.text().size(), 3u);
    EXPECT_EQ(slotBytes(), stored);
    EXPECT_EQ(saves, 0);
}

TEST_F(MacroEditorTest, InsertOkStopsTheInsertRecordingFirst) {
    storeKeystroke();
    editor.selectRow(0);
    ASSERT_TRUE(editor.openInsertPanel(0));
    ASSERT_TRUE(editor.startInsertRecording(InsertChoice::KeyBack, {DelayMode::NoDelay, 50}));
    capture.keyDown(kB, 10); // still held when OK is pressed
    EXPECT_EQ(editor.insertOk(InsertChoice::KeyBack, {}), MacroEditor::OkOutcome::Inserted);
    EXPECT_FALSE(editor.insertRecording());
    EXPECT_FALSE(editor.insertPanelOpen());
    capture.keyUp(kB, 20);

    const MacroText expected = {"10",   "1 A CODE:8204", "1 B CODE:8205", "2 B CODE:0205",
                                "0 30", "2 A CODE:0204"};
    EXPECT_EQ(editor.text(), expected);
    EXPECT_EQ(slotBytes(), encodeMacro(expected));
    EXPECT_EQ(saves, 1);
}

TEST_F(MacroEditorTest, CancelRestoresTheStoredMacro) {
    storeKeystroke();
    editor.setUsedMacroBytes(40);
    editor.selectRow(2);
    ASSERT_TRUE(editor.openInsertPanel(7));
    ASSERT_TRUE(editor.startInsertRecording(InsertChoice::KeyFront, {DelayMode::RecordDelay, 50}));
    capture.keyDown(kB, 10);
    capture.keyUp(kB, 60);
    EXPECT_EQ(editor.text().size(), 7u);
    EXPECT_EQ(editor.usedMacroBytes(), 47u);

    EXPECT_EQ(editor.insertCancel(), 7);
    EXPECT_FALSE(editor.insertRecording());
    EXPECT_EQ(editor.text(), (MacroText{"10", "1 A CODE:8204", "0 30", "2 A CODE:0204"}));
    EXPECT_EQ(editor.selectedRow(), 2);
    EXPECT_EQ(editor.usedMacroBytes(), 40u);
    EXPECT_EQ(saves, 0);
    capture.keyDown(kB, 100);
    EXPECT_EQ(editor.text().size(), 4u);
}

TEST_F(MacroEditorTest, InsertOkNeedsARowAndRoom) {
    MacroText full = {"00"};
    while (encodeMacro(full).size() + 3 < kMacroBodySize)
        full.push_back("0 1");
    full.push_back("8 FC"); // two bytes short of the body: room for "8 FC", not for a move
    library.encode(slot, full);
    editor.showLibraryMacro(slot);
    ASSERT_TRUE(editor.openInsertPanel(0));
    EXPECT_EQ(editor.insertOk(InsertChoice::DelayFront, {}), MacroEditor::OkOutcome::NeedsRow);
    editor.selectRow(0);
    EXPECT_EQ(editor.insertOk(InsertChoice::MoveFront, {}), MacroEditor::OkOutcome::NoRoom);
    EXPECT_TRUE(editor.insertPanelOpen());
    EXPECT_EQ(editor.insertOk(InsertChoice::RepeatStop, {}), MacroEditor::OkOutcome::Inserted);
    EXPECT_EQ(editor.text().back(), "8 FC");
    EXPECT_EQ(encodeMacro(editor.text()).size(), library.slot(slot).length);
}
