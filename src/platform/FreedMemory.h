#pragma once

#include <cstddef>

namespace tarvik::platform {

// Lets go of the pages of a read-only part of the program's own file (embedded data) that have been
// read: the system maps them again from the file when they are next read, with the same bytes. Reading
// a few embedded pictures leaves their pages, and the neighbours the system reads ahead, resident for
// as long as the program runs.
void releaseReadOnlyPages(const void* begin, std::size_t size);

// Gives the free pages of the heap back to the system: those the start-up mapped ahead and the
// blocks the start-up used and freed. The allocator maps them again when they are next needed.
void releaseFreeHeap();

} // namespace tarvik::platform
