// The virtual mouse's state file lies in a folder anybody may have put anything in: any bytes are
// either a whole state file or refused with a reason, and a state file taken is written back the
// same by a mouse that was not written to.

#include "FuzzCheck.h"
#include "emulator/VirtualMouse.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

using fuzzcheck::require;
using fuzzcheck::sameBytes;
using tarvik::emulator::VirtualMouse;

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    std::string problem;
    const auto state = VirtualMouse::parseState(bytes, &problem);
    if (!state) {
        require(!problem.empty());
        return 0;
    }
    require(problem.empty());
    require(size <= VirtualMouse::largestStateSize());
    require(state->memory.size() ==
            (state->kind == tarvik::core::StorageKind::Flash ? VirtualMouse::kFlashSize : 2048u));

    // A mouse started from the file works with exactly that memory, and writes it back unchanged.
    static const std::string path = "/tmp/fuzz-virtual-state-" + std::to_string(::getpid());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    {
        VirtualMouse::Options options;
        options.statePath = path;
        VirtualMouse mouse(options);
        require(mouse.stateProblem().empty());
        require(mouse.kind() == state->kind);
        require(mouse.memory() == state->memory);
        (void)mouse.liveSettings();
        for (int profile = 0; profile < 3; ++profile) {
            (void)mouse.activeKeyCodes(profile);
        }
        require(mouse.storeState());
    }
    require(sameBytes(readFile(path), bytes));
    std::remove(path.c_str());
    return 0;
}
