#pragma once
// Fresh memory costs a thread one page fault for every page it first writes: before its first frame
// the window's thread writes about one and a half megabytes of new heap (controls and their
// texts), and building a page two to three more. HeapWarmUp grows the heap and has a
// worker map the free space at its end before it is needed (while the application object connects to
// the display; while the pointer is on the entry of a page not built yet): the allocator then hands
// those pages out already mapped. Mapping leaves the pages' contents alone, so the allocator may hand
// them out while the worker is still at it.

#include <atomic>
#include <cstddef>
#include <thread>

namespace tarvik::platform {

class HeapWarmUp {
public:
    // Grows the heap by about `bytes` and starts mapping them. Where the system cannot map ahead,
    // nothing is done. Another thread taking blocks from the same heap meanwhile only makes less of
    // the grown part mapped ahead.
    explicit HeapWarmUp(std::size_t bytes);
    // Waits for the worker.
    ~HeapWarmUp();
    HeapWarmUp(const HeapWarmUp&) = delete;
    HeapWarmUp& operator=(const HeapWarmUp&) = delete;

    // True once the worker is done (or when there was none).
    bool done() const { return m_done.load(std::memory_order_acquire); }

    // The range handed to the worker; empty where nothing is done.
    const char* begin() const { return m_begin; }
    const char* end() const { return m_end; }
    void wait();

private:
    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    std::atomic<bool> m_done{true};
    std::thread m_thread;
};

} // namespace tarvik::platform
