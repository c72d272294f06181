#pragma once

#include <cstddef>

namespace velmora::bench {

// Bytes currently allocated through operator new, and the most since the last reset.
std::size_t HeapInUse();
std::size_t HeapPeak();
void ResetHeapPeak();

} // namespace velmora::bench
