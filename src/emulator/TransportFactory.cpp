#include "emulator/TransportFactory.h"

#include "core/device/TranscriptTransport.h"

#include <cstdio>

namespace tarvik::emulator {

namespace {
// A keyboard of another maker beside the mouse, so that counting sees more than the mouse alone.
constexpr std::uint16_t kOtherVendor = 0x046A;
constexpr std::uint16_t kOtherProduct = 0x0011;
} // namespace

TransportSetup
makeTransport(const core::RuntimeOptions& options,
              const std::function<std::unique_ptr<core::HidTransport>()>& makeSystemTransport) {
    TransportSetup setup;
    if (options.emulator != core::StorageKind::None) {
        auto bus = std::make_unique<EmulatorTransport>();
        bus->addOtherDevice(kOtherVendor, kOtherProduct, 2);
        VirtualMouse::Options mouseOptions;
        mouseOptions.kind = options.emulator;
        mouseOptions.statePath = options.emulatorStatePath;
        setup.mouse = bus->addMouse(mouseOptions);
        setup.stateProblem = setup.mouse->stateProblem();
        setup.bus = bus.get();
        setup.transport = std::move(bus);
    } else if (makeSystemTransport) {
        setup.transport = makeSystemTransport();
    }
    if (setup.transport && !options.transcriptPath.empty()) {
        auto writer = std::make_shared<core::TranscriptWriter>(options.transcriptPath);
        if (writer->isOpen()) {
            setup.transport = std::make_unique<core::TranscriptTransport>(std::move(setup.transport), writer);
        } else {
            // The run goes on without it, but whoever asked for it must not be left guessing.
            std::fprintf(stderr, "tarvik-config: cannot open the transcript file \"%s\": %s\n",
                         options.transcriptPath.c_str(), writer->error().c_str());
            setup.transcriptFailed = true;
        }
    }
    return setup;
}

} // namespace tarvik::emulator
