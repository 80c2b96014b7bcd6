// Watches the largest single allocation a test binary makes, through a
// replaced global operator new (link AllocationWatch.cpp into one binary only).
#pragma once

#include <cstddef>

namespace fennick::test {

// Records one request of `size` bytes (called by the replaced operator new).
void Note(std::size_t size);
// Starts a new watch.
void ResetLargestAllocation();
// True when the watch sees array allocations too: not so under AddressSanitizer,
// whose runtime keeps the array forms of operator new for itself.
bool AllocationWatchSeesArrays();
// The largest single request since the last reset, in bytes.
std::size_t LargestAllocation();

} // namespace fennick::test
