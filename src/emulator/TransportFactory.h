#pragma once
// Chooses the HID transport the program talks through, from the runtime options: the system's HID
// devices, or the built-in virtual mouse (TARVIK_EMULATOR), with every report written down when a
// transcript is asked for (TARVIK_TRANSCRIPT).

#include <functional>
#include <memory>
#include <string>

#include "core/device/HidTransport.h"
#include "core/device/RuntimeOptions.h"
#include "emulator/EmulatorTransport.h"

namespace tarvik::emulator {

struct TransportSetup {
    std::unique_ptr<core::HidTransport> transport; // what the DeviceLink talks through
    EmulatorTransport* bus = nullptr;              // the virtual bus, when the emulator was chosen
    std::shared_ptr<VirtualMouse> mouse;           // the virtual mouse on it
    bool transcriptFailed = false;                 // a transcript was asked for but cannot be written
    std::string stateProblem; // the virtual mouse's state file was there but could not be taken
};

// makeSystemTransport builds the transport over the system's HID devices; it is called only when
// the emulator is not chosen.
TransportSetup makeTransport(const core::RuntimeOptions& options,
                             const std::function<std::unique_ptr<core::HidTransport>()>& makeSystemTransport);

} // namespace tarvik::emulator
