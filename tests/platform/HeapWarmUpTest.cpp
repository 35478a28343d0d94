// The heap warm-up maps the heap's free end ahead of the allocator, and the allocator then serves
// the program's blocks from those pages.
#include "platform/HeapWarmUp.h"
#include "platform/FreedMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

using tarvik::platform::HeapWarmUp;

namespace {

std::size_t residentBytes() {
    std::size_t pages = 0;
    std::size_t resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace

TEST(HeapWarmUp, MapsTheHeapsFreeEndAndTheAllocatorServesBlocksFromIt) {
    constexpr std::size_t kBytes = 2 * 1024 * 1024;
    HeapWarmUp warmUp(kBytes);
    ASSERT_NE(warmUp.begin(), nullptr) << "nothing was grown and handed to the worker";
    const std::size_t size = static_cast<std::size_t>(warmUp.end() - warmUp.begin());
    EXPECT_GE(size, kBytes * 3 / 4);
    EXPECT_LE(size, kBytes + 256 * 1024);
    warmUp.wait();

    // Every page of the range is mapped once the worker is done.
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    ASSERT_EQ(mincore(const_cast<char*>(warmUp.begin()), size, resident.data()), 0);
    std::size_t mapped = 0;
    for (unsigned char r : resident)
        mapped += r & 1;
    EXPECT_EQ(mapped, resident.size());

    // Small blocks made now come from that range: it is the heap's free end, not some other memory.
    std::vector<std::unique_ptr<char[]>> blocks;
    std::size_t inside = 0;
    for (int i = 0; i < 2000; ++i) {
        blocks.push_back(std::make_unique<char[]>(256));
        const auto* p = blocks.back().get();
        inside += (p >= warmUp.begin() && p < warmUp.end()) ? 1 : 0;
    }
    EXPECT_GT(inside, blocks.size() / 2);
}

TEST(HeapWarmUp, ASizeTooSmallToGrowForDoesNothing) {
    HeapWarmUp warmUp(4096);
    EXPECT_EQ(warmUp.begin(), nullptr);
    EXPECT_EQ(warmUp.end(), nullptr);
}

TEST(HeapWarmUp, TheMappedPagesGoBackWhenTheFreeHeapIsReleased) {
    constexpr std::size_t kBytes = 8 * 1024 * 1024;
    const std::size_t before = residentBytes();
    HeapWarmUp warmUp(kBytes);
    warmUp.wait();
    const std::size_t warm = residentBytes();
    ASSERT_GE(warm, before + kBytes / 2) << "the warm-up mapped nothing";
    tarvik::platform::releaseFreeHeap();
    EXPECT_LE(residentBytes(), before + kBytes / 8);
}
