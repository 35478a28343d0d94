#include "platform/HeapWarmUp.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tarvik::platform {

HeapWarmUp::HeapWarmUp(std::size_t bytes) {
#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
    constexpr std::size_t kSlack = 64 * 1024;
    if (bytes <= 2 * kSlack)
        return;
    // A block this large is mapped apart from the heap. Giving it back makes the allocator take
    // blocks up to its size from the heap from then on and keep a free end of up to twice its size
    // (the allocator's own rule once a program frees a large block), so the second block grows the
    // heap, and given back it stays there as the heap's free end. The compiler must not drop the
    // pairs, hence the volatile pointers.
    void* volatile large = std::malloc(bytes);
    std::free(large);
    void* volatile grown = std::malloc(bytes - kSlack);
    std::free(grown);

    const auto heapEnd = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::size_t freeEnd = mallinfo2().keepcost;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    if (heapEnd == static_cast<std::uintptr_t>(-1) || freeEnd > heapEnd || page == 0)
        return;
    const std::uintptr_t from = (heapEnd - freeEnd + page - 1) & ~(page - 1);
    const std::uintptr_t to = heapEnd & ~(page - 1);
    if (to <= from)
        return;
    m_begin = reinterpret_cast<const char*>(from);
    m_end = reinterpret_cast<const char*>(to);
    // A kernel without the request, or a range the allocator has given back meanwhile, only makes
    // the call fail: the pages are then mapped when first written, as without the warm-up.
    m_done.store(false, std::memory_order_release);
    m_thread = std::thread([this, from, to] {
        madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
        m_done.store(true, std::memory_order_release);
    });
#else
    (void)bytes;
#endif
}

HeapWarmUp::~HeapWarmUp() {
    wait();
}

void HeapWarmUp::wait() {
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tarvik::platform
