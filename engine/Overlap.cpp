#include "Overlap.h"

#include "PartitionMatcher.h"
#include "ProgressPacer.h"
#include "TextPartitions.h"
#include "Workers.h"

#include <algorithm>

namespace Quorvane {

namespace {

std::size_t countSet(const bool *flags, std::size_t count)
{
    return static_cast<std::size_t>(std::count(flags, flags + count, true));
}

} // namespace

Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress, std::size_t workers)
{
    // Two steps per text for the keys, then each partition is matched both ways.
    ProgressPacer pacer(progress, 4 * (first.size() + second.size()), ProgressPacer::Direction::Forward);
    const std::size_t partitionCount = TextPartitions::partitionCountFor(std::max(first.size(), second.size()));
    const TextPartitions firstPartitions(first, partitionCount, pacer, mode, workers);
    const TextPartitions secondPartitions(second, partitionCount, pacer, mode, workers);
    Overlap overlap;
    overlap.firstShared = std::make_unique<bool[]>(first.size());
    overlap.secondShared = std::make_unique<bool[]>(second.size());
    forEachPartition(partitionCount, std::max(firstPartitions.largestPartition(), secondPartitions.largestPartition()),
                     workers, pacer, [&](PartitionMatcher &matcher, std::size_t p, WorkerSteps &steps) {
                         const PartitionSide firstSide = firstPartitions.partition(p);
                         const PartitionSide secondSide = secondPartitions.partition(p);
                         matcher.flagPresence(firstSide, secondSide, true, overlap.firstShared.get(), steps);
                         matcher.flagPresence(secondSide, firstSide, true, overlap.secondShared.get(), steps);
                     });
    overlap.counts.inBoth = countSet(overlap.firstShared.get(), first.size());
    overlap.counts.onlyInFirst = first.size() - overlap.counts.inBoth;
    overlap.counts.onlyInSecond = second.size() - countSet(overlap.secondShared.get(), second.size());
    progress.setProgress(0);
    return overlap;
}

Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress)
{
    return findOverlap(first, second, mode, progress, workersFor(std::max(first.size(), second.size())));
}

} // namespace Quorvane
