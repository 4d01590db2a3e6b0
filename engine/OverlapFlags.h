#pragma once

#include "engine/Overlap.h"
#include "engine/PartitionMatcher.h"

// The steps of finding an overlap, for passes that find it beside other work on the same partitions.

namespace Quorvane {

// An overlap of lists of these lengths with no item flagged yet.
Overlap overlapFlagsFor(std::size_t firstCount, std::size_t secondCount);

// Flags the items of one partition of both lists whose key the other list has; counts
// first.size() + second.size() steps, twice. The matcher's capacity must cover either side.
void flagOverlap(PartitionMatcher &matcher, const PartitionSide &first, const PartitionSide &second, Overlap &overlap,
                 WorkerSteps &steps);

// The counts of the flags once every partition is flagged.
OverlapCounts countOverlap(const Overlap &overlap, std::size_t firstCount, std::size_t secondCount);

} // namespace Quorvane
