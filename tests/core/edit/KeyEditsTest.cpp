// The edits of buttons and live settings over the virtual mouse: none of them writes to a mouse that
// was not read whole, and none of them says "stored" when the mouse refused one of its reports.

#include "core/edit/KeyEdits.h"
#include "MouseRig.h"
#include "TestImage.h"
#include "core/edit/SettingEdits.h"
#include "core/image/ProfileFile.h"
#include "core/keys/ButtonAssignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tarvik;
using core::Byte;
using core::CycleResult;
using core::EditRefusal;
using core::EditResult;
using core::KeyFunctionCode;
using core::StorageKind;

namespace {

const std::size_t kProfiles = core::image::kProfileSection[0].offset;

// A mouse read whole as the window reads it, with the settings the pages draw from it. The mouse
// carries an AIM key and a fire key, and "NT" lighting, so that every edit has something to change.
struct Rig : test::MouseRig {
    explicit Rig(StorageKind kind) : test::MouseRig(mouseOptions(kind)) { read(); }

    static emulator::VirtualMouse::Options mouseOptions(StorageKind kind) {
        emulator::VirtualMouse::Options options;
        options.kind = kind;
        options.image = kind == StorageKind::Flash ? test::makeTestImage(core::profile_file::kFlashSize, 0xF0)
                                                   : test::makeTestImage();
        const auto code = [&](int mode, int button, std::array<Byte, 4> bytes) {
            const std::size_t at = core::image::kProfileSection[static_cast<std::size_t>(mode - 1)].offset +
                                   4 * static_cast<std::size_t>(button - 1);
            std::copy(bytes.begin(), bytes.end(), options.image.begin() + static_cast<std::ptrdiff_t>(at));
        };
        code(1, 3, {0x05, 0x00, 0x00, 0x00});
        code(2, 6, {0x06, 0x10, 0x00, 0x20});
        options.image[core::image::kLedMode] = 0x82;
        options.keepLog = true;
        return options;
    }

    CycleResult read() {
        const CycleResult result = cycle.fullRead(mouse->kind(), {});
        if (result == CycleResult::Done) {
            cycle.buttonCodeTable().rebuild();
            settings.takeImage(buffers.workingImage);
        }
        return result;
    }

    core::FunctionCodeContext naming() const {
        core::FunctionCodeContext context;
        context.storageKind = buffers.storageKind;
        context.fireKeys = settings.fireKeys;
        context.aimDpiStep = settings.dpi.aimStep;
        return context;
    }

    core::SettingsState settings;
};

struct Edit {
    const char* name;
    std::function<EditResult(Rig&)> run;
};

// A step, level or effect other than `current` among 1..count.
int other(int current, int count) {
    return current % count + 1;
}

const std::vector<Edit>& edits() {
    static const std::vector<Edit> all = {
        {"assign button",
         [](Rig& r) {
             return core::assignButton(r.cycle, 2, 4, KeyFunctionCode{0x03, 0x00, 0xE9, 0x00});
         }},
        {"assign macro",
         [](Rig& r) {
             return core::assignMacro(r.cycle, 2, 4, KeyFunctionCode{0x10, 0x02, 0x40, 0x00});
         }},
        {"key combination",
         [](Rig& r) {
             return core::applyCombination(r.cycle, 1, 5, KeyFunctionCode{0x02, 0x05, 0x04, 0x00});
         }},
        {"fire keys",
         [](Rig& r) {
             auto keys = r.settings.fireKeys;
             keys[0].delay = static_cast<std::uint16_t>(keys[0].delay + 7);
             return core::setFireKeys(r.cycle, r.buffers, r.settings, r.naming(), keys);
         }},
        {"AIM step",
         [](Rig& r) {
             return core::setAimStep(r.cycle, r.buffers, r.settings.dpi, other(r.settings.dpi.aimStep, 12));
         }},
        {"DPI step",
         [](Rig& r) {
             return core::setDpiStep(r.cycle, r.link, r.settings.dpi, 1,
                                     other(r.settings.dpi.stepIndex[0] + 1, 12));
         }},
        {"current DPI",
         [](Rig& r) {
             return core::setCurrentDpi(r.cycle, r.link, r.settings.dpi,
                                        other(r.settings.dpi.currentIndex + 1, 2));
         }},
        {"DPI colour",
         [](Rig& r) {
             return core::setDpiColour(r.cycle, r.link, r.settings.dpi, 1, core::Rgb{1, 2, 3});
         }},
        {"report rate",
         [](Rig& r) {
             return core::setReportRate(r.cycle, r.link, r.settings.dpi, r.buffers.workingImage,
                                        other(r.buffers.workingImage.reportRateCode() + 1, 4) - 1,
                                        [&r] { ++r.restarts; });
         }},
        {"lighting mode",
         [](Rig& r) {
             return core::setLightingMode(r.cycle, r.link, r.settings.lighting, r.buffers.workingImage,
                                          other(r.settings.lighting.mode, 2));
         }},
        {"step time",
         [](Rig& r) {
             return core::setStepTime(r.cycle, r.link, r.settings.lighting, r.buffers.workingImage,
                                      other(r.settings.lighting.fallLevel, 10));
         }},
        {"lighting colour",
         [](Rig& r) {
             return core::setLightingColour(r.cycle, r.link, r.settings.lighting, 4, core::Rgb{4, 5, 6});
         }},
        {"work mode",
         [](Rig& r) {
             const int mode = r.buffers.workingImage.workMode().value_or(1);
             return core::switchWorkMode(r.cycle, r.link, r.buffers.workingImage, other(mode, 2), true);
         }},
    };
    return all;
}

class KeyEditsTest : public ::testing::TestWithParam<StorageKind> {};

// The last read of the mouse missed reports: whatever the buffers hold may not be the mouse's, and
// an edit built on them sends nothing at all.
TEST_P(KeyEditsTest, AMouseNotReadWholeIsSentNothing) {
    for (const Edit& edit : edits()) {
        SCOPED_TRACE(edit.name);
        Rig rig(GetParam());
        emulator::Faults faults;
        faults.failFetches = true;
        rig.mouse->setFaults(faults);
        ASSERT_EQ(rig.read(), CycleResult::NotRead);
        rig.mouse->setFaults({});
        const auto memory = rig.mouse->memory();
        const auto live = rig.mouse->liveSettings();
        rig.mouse->clearReportLog();

        EXPECT_EQ(edit.run(rig), EditResult::refused(EditRefusal::NotRead));
        EXPECT_TRUE(rig.mouse->reportLog().empty());
        EXPECT_EQ(rig.mouse->memory(), memory);
        EXPECT_EQ(rig.mouse->liveSettings(), live);
        EXPECT_EQ(rig.restarts, 0);
    }
}

// The mouse refuses one report of the edit, or leaves at it, at every position in turn. A refused
// write is never "stored"; a refused read (the commit reads the user section back) may be, but only
// when the mouse ends exactly as after an undisturbed edit. Either way the mouse then reads back
// whole.
TEST_P(KeyEditsTest, ARefusedReportAnywhereIsNeverStoredUnlessTheMouseHoldsTheChange) {
    for (const Edit& edit : edits()) {
        SCOPED_TRACE(edit.name);
        Rig reference(GetParam());
        reference.mouse->clearReportLog();
        ASSERT_EQ(edit.run(reference), EditResult::storedResult());
        // Which reports change the mouse: every one sent but the commands of a read (06, 09).
        std::vector<bool> writes;
        for (const emulator::ReportRecord& report : reference.mouse->reportLog())
            if (report.kind != emulator::ReportRecord::Kind::In)
                writes.push_back(report.kind == emulator::ReportRecord::Kind::Set &&
                                 !(report.bytes.at(0) == 0x40 &&
                                   (report.bytes.at(1) == 0x06 || report.bytes.at(1) == 0x09)));
        ASSERT_FALSE(writes.empty());
        const auto memory = reference.mouse->memory();
        const auto live = reference.mouse->liveSettings();

        for (const bool unplug : {false, true}) {
            SCOPED_TRACE(unplug ? "unplugged" : "refused");
            std::vector<int> wrong;
            for (int position = 1; position <= static_cast<int>(writes.size()); ++position) {
                Rig rig(GetParam());
                emulator::Faults faults;
                (unplug ? faults.unplugAtReport : faults.refuseReport) = rig.mouse->reportCount() + position;
                rig.mouse->setFaults(faults);
                const EditResult result = edit.run(rig);
                rig.mouse->setFaults({});
                if (unplug) {
                    rig.mouse->plug();
                    rig.link.openDevice(rig.mouse->vendorId(), rig.mouse->productId());
                }
                const bool holds = rig.mouse->memory() == memory && rig.mouse->liveSettings() == live;
                // Once the mouse has left, every later report fails too.
                const bool refusedWrite = unplug || writes[static_cast<std::size_t>(position - 1)];
                if ((result.stored() && (refusedWrite || !holds)) ||
                    (!result.stored() && !result.partlyWritten()) || rig.read() != CycleResult::Done)
                    wrong.push_back(position);
            }
            EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << writes.size()
                                       << " positions, the first at " << (wrong.empty() ? 0 : wrong.front());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothKinds, KeyEditsTest, ::testing::Values(StorageKind::I2C, StorageKind::Flash),
                         [](const auto& kind) { return kind.param == StorageKind::I2C ? "I2C" : "Flash"; });

// --- the rules of the key menus, on codes --------------------------------------------------------

class KeyRulesTest : public ::testing::Test {
protected:
    KeyRulesTest() : rig(StorageKind::I2C) {
        for (int mode = 1; mode <= 3; ++mode)
            for (int button = 1; button <= 12; ++button)
                rig.cycle.buttonCodeTable().set(mode, button, kRight);
        rig.cycle.buttonCodeTable().set(1, 1, core::kLeftKeyCode);
        rig.mouse->clearReportLog();
    }
    int sent() { return static_cast<int>(rig.mouse->reportLog().size()); }

    static constexpr KeyFunctionCode kRight{0x01, 0x02, 0x00, 0x00};
    static constexpr KeyFunctionCode kMacro{0x10, 0x02, 0x40, 0x00};
    Rig rig;
};

TEST_F(KeyRulesTest, OfficeModeKeepsItsLeftKeyAndARefusalChangesAndSendsNothing) {
    EXPECT_EQ(core::assignButton(rig.cycle, 1, 1, kRight), EditResult::refused(EditRefusal::NotAllowed));
    EXPECT_EQ(rig.cycle.buttonCodeTable().code(1, 1), core::kLeftKeyCode);
    EXPECT_EQ(sent(), 0);
    // Game Mode may lose its last left key.
    rig.cycle.buttonCodeTable().set(2, 1, core::kLeftKeyCode);
    EXPECT_EQ(core::assignButton(rig.cycle, 2, 1, kRight), EditResult::storedResult());
    // With a second left key, Office Mode lets the first go.
    rig.cycle.buttonCodeTable().set(1, 12, core::kLeftKeyCode);
    EXPECT_EQ(core::assignButton(rig.cycle, 1, 1, kRight), EditResult::storedResult());
    EXPECT_EQ(rig.mouse->memory()[kProfiles], 0x01);
    EXPECT_EQ(rig.mouse->memory()[kProfiles + 1], 0x02);
}

TEST_F(KeyRulesTest, MacrosAndCombinationsNeverTakeTheOnlyLeftKey) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        rig.cycle.buttonCodeTable().set(mode, 1, core::kLeftKeyCode);
        rig.mouse->clearReportLog();
        EXPECT_EQ(core::assignMacro(rig.cycle, mode, 1, kMacro),
                  EditResult::refused(EditRefusal::NotAllowed));
        EXPECT_FALSE(core::combinationAllowed(rig.cycle, mode, 1));
        EXPECT_EQ(core::applyCombination(rig.cycle, mode, 1, KeyFunctionCode{0x02, 0, 0x04, 0}),
                  EditResult::refused(EditRefusal::NotAllowed));
        EXPECT_EQ(rig.cycle.buttonCodeTable().code(mode, 1), core::kLeftKeyCode);
        EXPECT_EQ(sent(), 0);
    }
    // A left key on button 10 lets a macro take button 1, but not a combination.
    rig.cycle.buttonCodeTable().set(2, 10, core::kLeftKeyCode);
    EXPECT_FALSE(core::combinationAllowed(rig.cycle, 2, 1));
    EXPECT_EQ(core::assignMacro(rig.cycle, 2, 1, kMacro), EditResult::storedResult());
    EXPECT_EQ(rig.cycle.buttonCodeTable().code(2, 1), kMacro);
}

TEST_F(KeyRulesTest, AnAimStepWithoutAnAimKeyGoesBackToOneAndSendsNothing) {
    rig.settings.dpi.aimStep = 4;
    EXPECT_EQ(core::setAimStep(rig.cycle, rig.buffers, rig.settings.dpi, 7),
              EditResult::refused(EditRefusal::NotAllowed));
    EXPECT_EQ(rig.settings.dpi.aimStep, 1);
    EXPECT_EQ(core::setAimStep(rig.cycle, rig.buffers, rig.settings.dpi, 13),
              EditResult::refused(EditRefusal::NotAllowed));
    EXPECT_EQ(sent(), 0);
}

// While a configuration is drawn the settings follow the controls, but nothing goes to the mouse and
// the image being drawn keeps what it was read with.
TEST_F(KeyRulesTest, NothingIsSentWhileAConfigurationIsDrawn) {
    const core::ConfigImage image = rig.buffers.workingImage;
    rig.applying = true;
    EXPECT_EQ(core::setStepTime(rig.cycle, rig.link, rig.settings.lighting, rig.buffers.workingImage, 9),
              EditResult::refused(EditRefusal::Busy));
    EXPECT_EQ(rig.settings.lighting.fallLevel, 9);
    EXPECT_EQ(core::setReportRate(rig.cycle, rig.link, rig.settings.dpi, rig.buffers.workingImage,
                                  other(image.reportRateCode() + 1, 4) - 1, [this] { ++rig.restarts; }),
              EditResult::refused(EditRefusal::Busy));
    EXPECT_EQ(core::setDpiStep(rig.cycle, rig.link, rig.settings.dpi, 1, 12),
              EditResult::refused(EditRefusal::Busy));
    EXPECT_EQ(rig.settings.dpi.stepIndex[0], 11);
    EXPECT_EQ(rig.buffers.workingImage, image);
    EXPECT_EQ(sent(), 0);
    EXPECT_EQ(rig.restarts, 0);
}

// A new report rate restarts the mouse once it has taken the write; a refused one does not.
TEST_F(KeyRulesTest, ANewReportRateRestartsTheMouseOnlyOnceItIsStored) {
    const int code = other(rig.buffers.workingImage.reportRateCode() + 1, 4) - 1;
    emulator::Faults faults;
    faults.refuseReport = rig.mouse->reportCount() + 1;
    rig.mouse->setFaults(faults);
    const auto restart = [this] { ++rig.restarts; };
    EXPECT_EQ(
        core::setReportRate(rig.cycle, rig.link, rig.settings.dpi, rig.buffers.workingImage, code, restart),
        EditResult::notStored());
    EXPECT_EQ(rig.restarts, 0);
    rig.mouse->setFaults({});
    ASSERT_EQ(rig.read(), CycleResult::Done);
    EXPECT_EQ(
        core::setReportRate(rig.cycle, rig.link, rig.settings.dpi, rig.buffers.workingImage, code, restart),
        EditResult::storedResult());
    EXPECT_EQ(rig.restarts, 1);
    // The rate now in force needs no restart.
    EXPECT_EQ(
        core::setReportRate(rig.cycle, rig.link, rig.settings.dpi, rig.buffers.workingImage, code, restart),
        EditResult::storedResult());
    EXPECT_EQ(rig.restarts, 1);
}

} // namespace
