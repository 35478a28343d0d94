#include "platform/FreedMemory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tarvik::platform {

void releaseReadOnlyPages(const void* begin, std::size_t size) {
#if defined(__linux__)
    // Only whole pages inside the range: a page shared with other data stays.
    const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + pageSize - 1) / pageSize * pageSize;
    const std::uintptr_t last = (start + size) / pageSize * pageSize;
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
#else
    (void)begin;
    (void)size;
#endif
}

void releaseFreeHeap() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace tarvik::platform
