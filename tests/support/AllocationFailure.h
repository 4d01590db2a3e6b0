#pragma once

#include <cstddef>

// Makes one chosen memory allocation of the test program fail with std::bad_alloc, the way a
// large request fails when memory runs out. Only allocations of kLargeAllocation bytes or more
// are counted, so small bookkeeping strings never fail.
namespace Quorvane::AllocationFailure {

inline constexpr std::size_t kLargeAllocation = 64;

// The large allocation after `skipped` further ones fails, once. A larger `smallest` counts
// only allocations of at least that many bytes, to aim past a caller's own small ones.
void arm(int skipped, std::size_t smallest = kLargeAllocation);
// Stops counting; returns whether the chosen allocation was reached and failed.
bool disarm();

} // namespace Quorvane::AllocationFailure
