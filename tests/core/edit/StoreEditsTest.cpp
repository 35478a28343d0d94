// The edits of the stored regions over the virtual mouse: what they refuse before sending anything,
// what they say when the mouse refuses one of their reports, wherever it falls, and the buttons that
// follow the macros they move.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MouseRig.h"
#include "ProfileChanges.h"
#include "TestImage.h"
#include "core/edit/StoreEdits.h"
#include "core/image/ProfileFile.h"
#include "core/keys/FunctionCodeCatalogue.h"
#include "core/macros/MacroAddressTable.h"
#include "core/macros/MacroName.h"
#include "core/text/LanguageTables.h"

using namespace tarvik;
using core::Byte;
using core::EditRefusal;
using core::EditResult;
using core::EditStatus;
using core::StorageKind;

namespace {

// A mouse starting from the profile file `image` (empty: built-in default image 1), its link and a
// cycle over buffers of their own.
struct Rig : test::MouseRig {
    Rig(StorageKind storage, const std::vector<Byte>& image, bool keepLog = false)
        : test::MouseRig(mouseOptions(storage, image, keepLog)), kind(storage) {}

    static emulator::VirtualMouse::Options mouseOptions(StorageKind storage, const std::vector<Byte>& image,
                                                        bool keepLog) {
        emulator::VirtualMouse::Options options;
        options.kind = storage;
        options.image = image;
        options.keepLog = keepLog;
        return options;
    }
    core::CycleResult read() { return cycle.fullRead(kind, {}); }
    // The naming context the pages hand over: only the fallback codes of emptied buttons need it.
    core::FunctionCodeContext naming() const {
        core::FunctionCodeContext context;
        context.language = &core::LanguageTables::builtIn().table(1);
        context.storageKind = buffers.storageKind;
        const core::DeviceMacroTable* table = &cycle.deviceMacroTable();
        context.macroNameAt = [table](std::uint16_t address) { return table->nameAt(address); };
        return context;
    }

    StorageKind kind;
};

// A sound profile file of the rig's own mouse with other settings.
std::vector<Byte> changedOwnProfile(Rig& rig) {
    rig.cycle.dataBufToMemo();
    return test::withOtherSettings(core::writeProfileFile(rig.buffers));
}

std::vector<Byte> patchFile(StorageKind kind, Byte fill) {
    if (kind == StorageKind::I2C) {
        return std::vector<Byte>(528, fill);
    }
    std::vector<Byte> file(0x8000 + 1024, 0x00);
    std::fill(file.begin() + 0x8000, file.end(), fill);
    return file;
}

core::MacroBody macroBody() {
    core::MacroBody body{};
    const Byte events[] = {0xA1, 0xFE, 0x00, 0x32, 0x21}; // a key down, a delay, the key up
    std::copy(std::begin(events), std::end(events), body.begin());
    return body;
}

enum class Op {
    MacroAdd,
    MacroDelete,
    WriteDeviceMacros, // the cycle's write the macro edits end with, called alone
    FireConfirm,
    CommitFireMacros, // the cycle's write the fire page's Confirm ends with, called alone
    LoadProfile,
    LoadBuiltProfile, // a profile made from a JSON document
    Program,
    Defaults,
};

const char* opName(Op op) {
    static constexpr const char* kNames[] = {"MacroAdd",         "MacroDelete",      "WriteDeviceMacros",
                                             "FireConfirm",      "CommitFireMacros", "LoadProfile",
                                             "LoadBuiltProfile", "Program",          "Defaults"};
    return kNames[static_cast<int>(op)];
}

// The edit as the front ends make it, on a rig whose configuration was read whole (or was, before
// something broke that). `profile` is the file a load writes.
EditResult runOp(Rig& rig, Op op, const std::vector<Byte>& profile) {
    auto& cycle = rig.cycle;
    const auto restart = [&rig] { ++rig.restarts; };
    std::array<core::Rgb, 10> colours{};
    for (std::size_t c = 0; c < colours.size(); ++c) {
        colours[c] = core::Rgb{static_cast<Byte>(16 * c), 0x40, 0x80};
    }
    switch (op) {
    case Op::MacroAdd:
        return core::addDeviceMacro(cycle, rig.naming(), core::nameToField("Added"), macroBody()).result;
    case Op::MacroDelete:
        return core::deleteDeviceMacro(cycle, rig.naming(), 0).result;
    case Op::WriteDeviceMacros:
        if (cycle.deviceMacroTable().remove(0) != core::DeviceMacroTable::Result::Done) {
            ADD_FAILURE() << "the mouse holds no macro to delete";
        }
        return EditResult::fromCycle(cycle.writeDeviceMacros());
    case Op::FireConfirm: {
        rig.buffers.fireMacros.names[1] = core::nameToField("Edited");
        const auto preset = core::weaponPresetCode(2, false, 0x00);
        return core::confirmFirePage(cycle, rig.buffers, colours, core::ButtonCodeChange{2, 3, *preset});
    }
    case Op::CommitFireMacros:
        rig.buffers.fireMacros.names[1] = core::nameToField("Edited");
        rig.buffers.joinFireMacroStore();
        return EditResult::fromCycle(cycle.commitFireMacros(colours));
    case Op::LoadProfile:
        return core::loadProfile(cycle, profile, core::ProfileSource::File, restart).result;
    case Op::LoadBuiltProfile:
        return core::loadProfile(cycle, profile, core::ProfileSource::Built, restart).result;
    case Op::Program:
        return core::programPatch(cycle, patchFile(rig.kind, 0x11), restart).result;
    case Op::Defaults:
        return core::defaultSettings(cycle, 2, restart);
    }
    return {};
}

struct OpCase {
    Op op;
    StorageKind kind;
};

std::string caseName(const ::testing::TestParamInfo<OpCase>& info) {
    return std::string(opName(info.param.op)) + (info.param.kind == StorageKind::I2C ? "I2C" : "Flash");
}

// What every rig of a case starts from: built-in default image 1 with one macro more, so that a
// deletion has a macro to delete and the macro area is not empty.
std::vector<Byte> startImage(StorageKind kind) {
    Rig rig(kind, {});
    if (rig.read() != core::CycleResult::Done ||
        !core::addDeviceMacro(rig.cycle, rig.naming(), core::nameToField("First"), macroBody())
             .result.stored()) {
        ADD_FAILURE() << "the start image could not be made";
        return {};
    }
    rig.cycle.dataBufToMemo();
    return core::writeProfileFile(rig.buffers);
}

// --- a mouse not read whole ------------------------------------------------------------------------

class NotReadWholeTest : public ::testing::TestWithParam<OpCase> {};

// The mouse was read whole once, then a read of it kept missing reports: the buffers are an old
// picture of it, and no edit may write any of them, nor restart it.
TEST_P(NotReadWholeTest, EveryEditRefusesAndSendsNothing) {
    const OpCase c = GetParam();
    Rig rig(c.kind, startImage(c.kind), true);
    ASSERT_EQ(rig.read(), core::CycleResult::Done);
    const std::vector<Byte> profile = changedOwnProfile(rig);
    emulator::Faults faults;
    faults.failFetches = true;
    rig.mouse->setFaults(faults);
    ASSERT_EQ(rig.read(), core::CycleResult::NotRead);
    rig.mouse->setFaults({});
    rig.mouse->clearReportLog();
    const auto memory = rig.mouse->memory();

    const EditResult result = runOp(rig, c.op, profile);
    EXPECT_EQ(result, EditResult::refused(EditRefusal::NotRead));
    EXPECT_TRUE(rig.mouse->reportLog().empty()) << rig.mouse->reportLog().size() << " reports were sent";
    EXPECT_EQ(rig.mouse->memory(), memory);
    EXPECT_EQ(rig.restarts, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, NotReadWholeTest,
    ::testing::Values(
        OpCase{Op::MacroAdd, StorageKind::I2C}, OpCase{Op::MacroAdd, StorageKind::Flash},
        OpCase{Op::MacroDelete, StorageKind::I2C}, OpCase{Op::MacroDelete, StorageKind::Flash},
        OpCase{Op::WriteDeviceMacros, StorageKind::I2C}, OpCase{Op::WriteDeviceMacros, StorageKind::Flash},
        OpCase{Op::FireConfirm, StorageKind::I2C}, OpCase{Op::CommitFireMacros, StorageKind::I2C},
        OpCase{Op::CommitFireMacros, StorageKind::Flash}, OpCase{Op::LoadProfile, StorageKind::I2C},
        OpCase{Op::LoadBuiltProfile, StorageKind::I2C}, OpCase{Op::Program, StorageKind::I2C},
        OpCase{Op::Program, StorageKind::Flash}, OpCase{Op::Defaults, StorageKind::I2C}),
    caseName);

// --- one refused report at each position ---------------------------------------------------------

class RefusedReportTest : public ::testing::TestWithParam<OpCase> {};

// Whether a report is one of a read (a read command or a fetched data report): refusing it loses no
// write, so an edit whose write went through whole may still say so.
bool isRead(const emulator::ReportRecord& report) {
    return report.kind == emulator::ReportRecord::Kind::Get ||
           (report.bytes.at(0) == 0x40 && (report.bytes[1] == 0x06 || report.bytes[1] == 0x09));
}

// The virtual mouse refuses one report of the edit, at every position in turn. The edit never says
// stored unless the refused report was a read and the mouse holds exactly what the undisturbed edit
// leaves; it never says that nothing was sent; and the mouse then reads whole.
TEST_P(RefusedReportTest, TheEditIsNeverStoredAndTheMouseReadsWholeAfter) {
    const OpCase c = GetParam();
    const std::vector<Byte> image = startImage(c.kind);
    Rig reference(c.kind, image, true);
    ASSERT_EQ(reference.read(), core::CycleResult::Done);
    const std::vector<Byte> profile = changedOwnProfile(reference);
    reference.mouse->clearReportLog();
    const int start = reference.mouse->reportCount();
    ASSERT_TRUE(runOp(reference, c.op, profile).stored());
    const int reports = reference.mouse->reportCount() - start;
    const auto log = reference.mouse->reportLog();
    const auto after = reference.mouse->memory();

    std::vector<std::string> wrong;
    for (int position = 1; position <= reports; ++position) {
        Rig rig(c.kind, image);
        ASSERT_EQ(rig.read(), core::CycleResult::Done);
        emulator::Faults faults;
        faults.refuseReport = rig.mouse->reportCount() + position;
        rig.mouse->setFaults(faults);
        const EditResult result = runOp(rig, c.op, profile);
        rig.mouse->setFaults({});
        std::string what;
        if (result.status == EditStatus::NothingSent) {
            what += " said nothing was sent";
        }
        if (result.stored() &&
            !(isRead(log[static_cast<std::size_t>(position - 1)]) && rig.mouse->memory() == after)) {
            what += " claimed stored";
        }
        if (rig.read() != core::CycleResult::Done) {
            what += " no whole read after";
        }
        if (!what.empty()) {
            wrong.push_back("at " + std::to_string(position) + ":" + what);
        }
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << reports << " positions, the first: "
                               << (wrong.empty() ? std::string() : wrong.front());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RefusedReportTest,
    ::testing::Values(OpCase{Op::MacroAdd, StorageKind::I2C}, OpCase{Op::MacroAdd, StorageKind::Flash},
                      OpCase{Op::MacroDelete, StorageKind::I2C}, OpCase{Op::MacroDelete, StorageKind::Flash},
                      OpCase{Op::WriteDeviceMacros, StorageKind::I2C},
                      OpCase{Op::FireConfirm, StorageKind::I2C}, OpCase{Op::FireConfirm, StorageKind::Flash},
                      OpCase{Op::LoadProfile, StorageKind::I2C},
                      OpCase{Op::LoadBuiltProfile, StorageKind::I2C}, OpCase{Op::Program, StorageKind::I2C},
                      OpCase{Op::Program, StorageKind::Flash}, OpCase{Op::Defaults, StorageKind::I2C}),
    caseName);

// --- what each edit says beyond stored -------------------------------------------------------------

TEST(StoreEditsTest, RefusalsOfTheMacroTableAndOfAFileSendNothingAndSayWhy) {
    Rig rig(StorageKind::I2C, startImage(StorageKind::I2C), true);
    ASSERT_EQ(rig.read(), core::CycleResult::Done);
    rig.mouse->clearReportLog();

    const auto missing = core::deleteDeviceMacro(rig.cycle, rig.naming(), 40);
    EXPECT_EQ(missing.result, EditResult::refused(EditRefusal::NotAllowed));
    EXPECT_EQ(missing.table, core::DeviceMacroTable::Result::NoSuchRow);
    // A name whose first bytes are 00 00 would end the macros at the next read.
    core::MacroNameField unreadable{};
    const auto refused = core::addDeviceMacro(rig.cycle, rig.naming(), unreadable, macroBody());
    EXPECT_EQ(refused.result, EditResult::refused(EditRefusal::NotAllowed));
    EXPECT_EQ(refused.table, core::DeviceMacroTable::Result::Unreadable);

    const auto shortFile = core::loadProfile(rig.cycle, std::vector<Byte>(100, 0x00),
                                             core::ProfileSource::File, [&] { ++rig.restarts; });
    EXPECT_EQ(shortFile.result, EditResult::refused(EditRefusal::FileRefused));
    EXPECT_EQ(shortFile.file.refusal, core::LoadRefusal::TooShort);
    const auto shortPatch =
        core::programPatch(rig.cycle, std::vector<Byte>(20, 0x00), [&] { ++rig.restarts; });
    EXPECT_EQ(shortPatch.result, EditResult::refused(EditRefusal::FileRefused));

    // While a configuration is being applied, nothing at all changes.
    const std::size_t count = rig.cycle.deviceMacroTable().count();
    rig.applying = true;
    EXPECT_EQ(core::addDeviceMacro(rig.cycle, rig.naming(), core::nameToField("Late"), macroBody()).result,
              EditResult::refused(EditRefusal::Busy));
    EXPECT_EQ(core::deleteDeviceMacro(rig.cycle, rig.naming(), 0).result,
              EditResult::refused(EditRefusal::Busy));
    EXPECT_EQ(rig.cycle.deviceMacroTable().count(), count);

    EXPECT_TRUE(rig.mouse->reportLog().empty());
    EXPECT_EQ(rig.restarts, 0);
}

// A button playing a macro keeps playing it when a macro before it is deleted; one playing the
// deleted macro falls back; the mouse holds both codes and the macros moved under them.
TEST(StoreEditsTest, DeletingAMacroMovesTheButtonsThatPlayTheMacrosAfterIt) {
    for (const StorageKind kind : {StorageKind::I2C, StorageKind::Flash}) {
        SCOPED_TRACE(kind == StorageKind::I2C ? "I2C" : "Flash");
        Rig rig(kind, {});
        ASSERT_EQ(rig.read(), core::CycleResult::Done);
        for (const char* name : {"One", "Two"}) {
            ASSERT_TRUE(core::addDeviceMacro(rig.cycle, rig.naming(), core::nameToField(name), macroBody())
                            .result.stored());
        }
        const std::size_t rows = rig.cycle.deviceMacroTable().count();
        const auto addresses = rig.cycle.deviceMacroTable().addressTable();
        const auto macroCode = [](std::uint16_t address) {
            return *core::KeyFunctionCode::fromText(core::macroFunctionCode(address));
        };
        rig.cycle.buttonCodeTable().set(2, 4, macroCode(addresses.address(rows - 2)));
        rig.cycle.buttonCodeTable().set(3, 5, macroCode(addresses.address(rows - 1)));
        ASSERT_EQ(rig.cycle.commitKeyBlock(core::ConfigCycle::Variant::KeysOnly), core::CycleResult::Done);

        ASSERT_TRUE(core::deleteDeviceMacro(rig.cycle, rig.naming(), rows - 2).result.stored());
        const std::uint16_t moved = rig.cycle.deviceMacroTable().addressTable().address(rows - 2);
        // What the mouse holds now.
        ASSERT_EQ(rig.read(), core::CycleResult::Done);
        EXPECT_EQ(rig.cycle.deviceMacroTable().count(), rows - 1);
        EXPECT_EQ(rig.cycle.deviceMacroTable().names().back(), "Two");
        EXPECT_EQ(rig.cycle.buttonCodeTable().code(3, 5), macroCode(moved));
        EXPECT_EQ(rig.cycle.buttonCodeTable().code(2, 4), core::fallbackFunction(4, rig.naming()));
    }
}

// A patch whose read-back goes unanswered is judged by the read after the restart: the same bytes
// are stored, other bytes differ; without a read after it, every report of the write went through.
TEST(StoreEditsTest, APatchReadBackThatGoesUnansweredIsNoDifference) {
    struct Case {
        const char* what;
        bool corrupt;   // the mouse keeps one byte of the code inverted
        bool readAfter; // the restart is followed by a whole read
        EditStatus expect;
    };
    const Case cases[] = {
        {"kept, read after", false, true, EditStatus::Stored},
        {"kept, no read after", false, false, EditStatus::Stored},
        {"corrupted, read after", true, true, EditStatus::ReadBackDiffers},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(StorageKind::I2C, {}, true);
        ASSERT_EQ(rig.read(), core::CycleResult::Done);
        rig.mouse->clearReportLog();
        // The reports of the write: header and two halves of the code, each a command and its data.
        const int writeReports = 1 + 3 + 1 + 37 + 1 + 37;
        emulator::Faults faults;
        faults.refuseReport = rig.mouse->reportCount() + writeReports + 2; // the read-back's first fetch
        if (c.corrupt) {
            faults.corruptStoredByte = 1024 + 100;
        }
        rig.mouse->setFaults(faults);
        const auto restart = [&] {
            ++rig.restarts;
            rig.mouse->setFaults({});
            if (c.readAfter) {
                rig.link.dropLink();
                rig.link.openDevice(rig.mouse->vendorId(), rig.mouse->productId());
                rig.read();
            }
        };
        const auto edit = core::programPatch(rig.cycle, patchFile(StorageKind::I2C, 0x33), restart);
        EXPECT_EQ(edit.result.status, c.expect);
        EXPECT_EQ(rig.restarts, 1);
        const auto log = rig.mouse->reportLog();
        ASSERT_GT(log.size(), static_cast<std::size_t>(writeReports + 1));
        const auto& refused = log[static_cast<std::size_t>(writeReports + 1)];
        EXPECT_TRUE(refused.kind == emulator::ReportRecord::Kind::Get && !refused.ok)
            << "the refused report was not the read-back's first fetch";
    }
}

} // namespace
