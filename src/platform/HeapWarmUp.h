#pragma once
// Fresh memory costs a thread one page fault for every page it first writes, and before its first
// frame the window's thread writes about one and a half megabytes of new heap (controls, texts,
// the captions' documents). HeapWarmUp grows the heap once, at start, and has a worker map the free
// space at its end while the application object connects to the display: the allocator then hands
// those pages out already mapped. Mapping leaves the pages' contents alone, so the allocator may hand
// them out while the worker is still at it.

#include <cstddef>
#include <thread>

namespace tarvik::platform {

class HeapWarmUp {
public:
    // Grows the heap by about `bytes` and starts mapping them. Made before any other thread starts:
    // growing reads where the heap ends. Where the system cannot map ahead, nothing is done.
    explicit HeapWarmUp(std::size_t bytes);
    // Waits for the worker (long done by then).
    ~HeapWarmUp();
    HeapWarmUp(const HeapWarmUp&) = delete;
    HeapWarmUp& operator=(const HeapWarmUp&) = delete;

    // The range handed to the worker; empty where nothing is done.
    const char* begin() const { return m_begin; }
    const char* end() const { return m_end; }
    void wait();

private:
    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    std::thread m_thread;
};

} // namespace tarvik::platform
