// Every reader of outside bytes over arbitrary input: whatever it is given, it either takes a
// whole file or changes nothing. (The fuzz targets run the same readers under the sanitizers.)

#include "core/image/DefaultImages.h"
#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"

#include <gtest/gtest.h>

#include <random>

using namespace tarvik::core;

TEST(BadInput, ReadersTakeWholeFilesOrNothing) {
    std::mt19937 rng(20240517);
    const std::size_t sizes[] = {0,    1,    15,   16,    495,   496,   527,   528,   2047, 2048,
                                 2049, 9711, 9712, 10759, 10760, 12000, 33791, 33792, 40000};
    for (std::size_t size : sizes) {
        for (int round = 0; round < 4; ++round) {
            std::vector<Byte> file(size);
            for (auto& b : file) {
                b = static_cast<Byte>(rng());
            }
            if (size > 495 && round % 2 == 0) {
                file[495] = round == 0 ? 0xE0 : 0xF0; // get past the marker check half the time
            }
            for (auto kind : {StorageKind::None, StorageKind::I2C, StorageKind::Flash}) {
                for (bool locked : {false, true}) {
                    SCOPED_TRACE(testing::Message()
                                 << "size " << size << " kind " << int(kind) << " locked " << locked);
                    ConfigBuffers b;
                    b.storageKind = kind;
                    b.patchLocked = locked;
                    ConfigBuffers before = b;
                    auto r = readProfileFile(file, b);
                    if (r.ok()) {
                        EXPECT_GE(size, profileFileSize(kind, locked));
                        EXPECT_EQ(b.dataBuf.storageMarker(), kind);
                    } else {
                        EXPECT_TRUE(b == before);
                    }

                    ConfigBuffers p;
                    p.storageKind = kind;
                    ConfigBuffers pBefore = p;
                    auto pr = readPatchFile(file, p);
                    if (pr.ok()) {
                        EXPECT_GE(size, patchFileSize(kind));
                    } else {
                        EXPECT_TRUE(p == pBefore);
                    }

                    ConfigBuffers d;
                    fillDefaultImage(file, kind, d);
                    (void)defaultImageKindOf(file);
                }
            }
        }
    }
}
