#pragma once
// A DeviceLink over one virtual mouse on a virtual bus, with virtual time and a window that counts
// what the link asks of it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ManualClock.h"
#include "TestImage.h"
#include "core/device/DeviceLink.h"
#include "core/device/TranscriptTransport.h"
#include "emulator/EmulatorTransport.h"

namespace tarvik::test {

struct CountingUi : core::LinkUi {
    void showLoading() override { ++shows; }
    void hideLoading() override { ++hides; }
    void pumpEvents() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }
    int shows = 0;
    int hides = 0;
    int pumps = 0;
    std::function<void()> onPump;
};

// The mouse's own record of the reports, as transcript lines.
inline std::vector<std::string> mouseLines(emulator::VirtualMouse& mouse) {
    std::vector<std::string> lines;
    for (const auto& record : mouse.reportLog()) {
        const char* kind = record.kind == emulator::ReportRecord::Kind::Set   ? "SET"
                           : record.kind == emulator::ReportRecord::Kind::Get ? "GET"
                                                                              : "IN";
        lines.push_back(core::TranscriptWriter::formatLine(kind, record.bytes, record.ok));
    }
    return lines;
}

class LinkFixture : public ::testing::Test {
protected:
    std::shared_ptr<emulator::VirtualMouse> addMouse(core::StorageKind kind = core::StorageKind::I2C,
                                                     std::uint16_t productId = kTestProduct) {
        emulator::VirtualMouse::Options options;
        options.kind = kind;
        options.productId = productId;
        options.image = makeTestImage();
        options.keepLog = true;
        options.clock = &clock;
        return bus.addMouse(options);
    }

    // Opens the mouse and forgets the reports of opening it.
    void open(std::uint16_t productId = kTestProduct) {
        ASSERT_EQ(link.openDevice(kTestVendor, productId), core::OpenResult::Opened);
        ASSERT_TRUE(link.connected());
        mouse->clearReportLog();
    }

    ManualClock clock;
    emulator::EmulatorTransport bus;
    CountingUi ui;
    core::DeviceLink link{bus, ui, clock};
    std::shared_ptr<emulator::VirtualMouse> mouse = addMouse();
};

} // namespace tarvik::test
