#pragma once
// The size of every normal skin picture, written into a table when the program is built, so that
// laying out a window does not read the embedded picture data (each read would make its pages
// resident for the rest of the run).

#include <cstddef>

namespace tarvik::gui::skin_sizes {

struct Entry {
    const char* name; // lower case, without ".png"
    int width;
    int height;
};

// Sorted by name (plain byte order).
extern const Entry kEntries[];
extern const std::size_t kEntryCount;

} // namespace tarvik::gui::skin_sizes
