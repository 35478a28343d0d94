// Profile files come from anywhere on disk: any bytes are either taken whole, for the mouse the
// buffers describe, or refused with every buffer unchanged. The same bytes as a default image
// resource are taken as far as they reach.

#include "FuzzCheck.h"
#include "core/image/DefaultImages.h"
#include "core/image/ProfileFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace tarvik::core;
using fuzzcheck::require;
using fuzzcheck::sameBytes;

namespace {

// Every getter over whatever the file put into the image; none may throw or misread.
void readEveryField(const ConfigImage& img) {
    (void)img.vendorId();
    (void)img.productId();
    (void)img.reportRateHz();
    (void)img.enabledDpiLevels();
    for (int n = 1; n <= 8; ++n) {
        auto step = img.dpiLevel(n);
        require(!step || (*step >= 0 && *step < image::kDpiSteps));
        (void)img.dpiColor(n);
    }
    for (int n = 1; n <= 10; ++n) {
        (void)img.ledColor(n);
    }
    require(img.productString().size() == 16);
    auto mode = img.workMode();
    require(!mode || (*mode >= 1 && *mode <= 3));
    (void)img.lightingKind();
    for (int s = 0; s < 10; ++s) {
        (void)img.fireOffsetX(s);
        (void)img.fireOffsetY(s);
    }
    for (int p = 1; p <= 3; ++p) {
        for (int b = 1; b <= 12; ++b) {
            (void)img.keyCode(p, b);
        }
    }
    for (int k = 1; k <= 3; ++k) {
        auto key = img.fireKey(k);
        require(key.count >= 1 && key.count <= 256);
    }
    for (const auto& s : image::kChecksummedSections) {
        (void)img.checksumValid(s);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // First byte: the mouse the file is loaded for.
    static constexpr StorageKind kKinds[4] = {StorageKind::I2C, StorageKind::Flash, StorageKind::None,
                                              StorageKind::None};
    const StorageKind kind = kKinds[data[0] & 0x03];
    const bool locked = (data[0] & 0x10) != 0;
    const std::span<const Byte> file(data + 1, size - 1);

    ConfigBuffers b;
    b.storageKind = kind;
    b.patchLocked = locked;
    b.reservedBlock.fill(0xA5);
    const ConfigBuffers before = b;

    const FileLoadResult result = readProfileFile(file, b);
    if (!result.ok()) {
        require(b == before);
        require(!result.reason().empty());
    } else {
        require(kind != StorageKind::None);
        require(file.size() >= profileFileSize(kind, locked));
        require(file[495] == (kind == StorageKind::I2C ? 0xE0 : 0xF0));
        require(b.reservedBlock == before.reservedBlock);
        require(b.fireMacros == b.fireMacroStore.split());
        readEveryField(b.dataBuf);

        // Written out again, everything that was taken comes back at its place.
        const auto out = writeProfileFile(b);
        require(out.size() == profileFileSize(kind, locked));
        const std::span<const Byte> o(out);
        require(sameBytes(o.first(339), file.first(339)));
        require(sameBytes(o.subspan(484), file.subspan(484, out.size() - 484)));
        require(std::all_of(o.begin() + 380, o.begin() + 484, [](Byte x) { return x == 0xFF; }));
    }

    // The lenient reading of default image resources, for every layout.
    (void)defaultImageKindOf(file);
    for (StorageKind k : {StorageKind::I2C, StorageKind::Flash, StorageKind::None}) {
        ConfigBuffers d;
        fillDefaultImage(file, k, d);
        if (file.size() >= 164) {
            require(sameBytes(d.dataBuf.section(image::kVendorSection), file.first(164)));
        }
    }
    return 0;
}
