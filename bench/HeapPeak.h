// Heap use of the benchmark process, counted by the replaced global operator new and
// delete of HeapPeak.cpp: the live bytes now, and the highest level since a mark.
#pragma once

#include <cstddef>

namespace bench {

class HeapPeak {
public:
    // Starts a measurement at the current level.
    static void Mark();
    // The highest live heap level since Mark, above the level at Mark.
    static std::size_t PeakSinceMark();
    static std::size_t Live();
};

} // namespace bench
