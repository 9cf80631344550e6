// Counts the bytes a program holds through the global operator new, by
// replacing it (heap_meter.cpp). Linked into the benchmark binary only.
#pragma once

#include <cstddef>

namespace quorvane::bench {

// Bytes allocated through operator new and not yet freed.
std::size_t liveHeapBytes() noexcept;
// The highest liveHeapBytes() since the last resetHeapPeak().
std::size_t peakHeapBytes() noexcept;
void resetHeapPeak() noexcept;

}  // namespace quorvane::bench
