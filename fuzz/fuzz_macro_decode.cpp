// Macro bodies from the mouse, the library and macro files: decoding any bytes, naming each row, and
// encoding the lines again must give back the bytes that were decoded.

#include "core/macros/EventCaption.h"
#include "core/macros/MacroCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace tarvik::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t length = data[0] * 2u;
    const std::span<const Byte> body(data + 1, size - 1);

    const DecodedMacro decoded = decodeMacro(body, length);
    if (decoded.text.empty())
        std::abort();
    for (const std::string& line : decoded.text)
        (void)eventCaption(line);

    // Every decoded line encodes to the bytes it came from, in order.
    const std::vector<Byte> encoded = encodeMacro(decoded.text);
    if (encoded.empty() || encoded.back() != 0x00)
        std::abort();
    const std::size_t events = encoded.size() - 1;
    if (events > body.size() || !std::equal(encoded.begin(), encoded.end() - 1, body.begin()))
        std::abort();

    MacroBody slot{};
    const EncodeResult r = encodeMacroInto(decoded.text, slot);
    if (r.length != encoded.size() || r.fits != (encoded.size() <= slot.size()))
        std::abort();

    if (const auto n = storedLength(body); n && (*n < 1 || *n > body.size()))
        std::abort();
    return 0;
}
