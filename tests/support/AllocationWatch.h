// Watches the largest single allocation a test binary makes, through a
// replaced global operator new (link AllocationWatch.cpp into one binary only).
#pragma once

#include <cstddef>

namespace fennick::test {

// Starts a new watch; returns nothing.
void ResetLargestAllocation();
// The largest single request since the last reset, in bytes.
std::size_t LargestAllocation();

} // namespace fennick::test
