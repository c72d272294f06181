#pragma once

#include <cstddef>

namespace velmora::bench {

// Bytes currently allocated through operator new or held in page blocks, and the most since the
// last reset (page blocks counted as of the allocations that follow them).
std::size_t HeapInUse();
std::size_t HeapPeak();
void ResetHeapPeak();

} // namespace velmora::bench
