// Single-macro files (Import One): any file either becomes the next slot, exactly as exported again,
// or is refused with the library unchanged.

#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroName.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

using namespace tarvik::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    MacroLibrary library = MacroLibrary::fromBytes({});
    for (std::size_t i = 0; i < data[0] % 101u; ++i)
        library.addNew("M" + std::to_string(i));
    const std::span<const Byte> file(data + 1, size - 1);

    const std::vector<Byte> before = library.toBytes();
    const std::size_t count = library.count();
    std::size_t slot = 0;
    const MacroLibrary::Result result = library.importOne(file, &slot);
    if (result != MacroLibrary::Result::Done) {
        if (library.toBytes() != before)
            std::abort();
        return 0;
    }
    if (slot != count || library.count() != count + 1)
        std::abort();
    const auto record = library.exportOne(slot);
    if (!record)
        std::abort();
    SingleMacroRecord expected{};
    std::copy_n(file.begin(), std::min(file.size(), expected.size()), expected.begin());
    if (*record != expected)
        std::abort();
    (void)library.view(slot);
    (void)fieldToName(library.slot(slot).name);
    return 0;
}
