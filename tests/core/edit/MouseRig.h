#pragma once
// A virtual mouse on a bus of its own, opened by a link, and a configuration cycle over buffers of
// its own: what the edit tests run every edit against.

#include "ManualClock.h"
#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "emulator/EmulatorTransport.h"

#include <memory>

namespace tarvik::test {

struct MouseRig {
    // Adds the mouse `options` describe (on the rig's clock) and opens it.
    explicit MouseRig(emulator::VirtualMouse::Options options) {
        options.clock = &clock;
        mouse = bus.addMouse(options);
        link.openDevice(mouse->vendorId(), mouse->productId());
    }

    ManualClock clock;
    emulator::EmulatorTransport bus;
    core::NullLinkUi linkUi;
    core::DeviceLink link{bus, linkUi, clock};
    core::ConfigBuffers buffers;
    core::NullCycleUi ui;
    bool applying = false;
    core::ConfigCycle cycle{link, buffers, ui, applying, core::StorageKind::I2C};
    std::shared_ptr<emulator::VirtualMouse> mouse;
    int restarts = 0;
};

} // namespace tarvik::test
