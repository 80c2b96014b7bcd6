// Watches the largest single allocation a test binary makes, through a
// replaced global operator new (link AllocationWatch.cpp into one binary only).
#pragma once

#include <cstddef>

namespace fennick::test {

// Records one request of `size` bytes (called by the replaced operator new).
void Note(std::size_t size);
// Starts a new watch.
void ResetLargestAllocation();
// The largest single request since the last reset, in bytes.
std::size_t LargestAllocation();

} // namespace fennick::test
