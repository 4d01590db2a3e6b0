#include "Overlap.h"

#include "OverlapFlags.h"
#include "ProgressPacer.h"
#include "TextPartitions.h"
#include "WorkMemory.h"
#include "Workers.h"

#include <algorithm>

namespace Quorvane {

namespace {

std::size_t countSet(const bool *flags, std::size_t count)
{
    return static_cast<std::size_t>(std::count(flags, flags + count, true));
}

} // namespace

ItemList itemsFlagged(const ItemList &list, const bool *flags, bool wanted)
{
    const std::span<const std::string_view> texts = list.texts();
    ItemList::Items items;
    reserveLarge(items, static_cast<std::size_t>(std::count(flags, flags + texts.size(), wanted)));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (flags[i] == wanted)
            items.push_back(texts[i]);
    }
    ItemList flagged;
    flagged.restore(std::move(items), list.blocks());
    return flagged;
}

Overlap overlapFlagsFor(std::size_t firstCount, std::size_t secondCount)
{
    Overlap overlap;
    overlap.firstShared = std::make_unique<bool[]>(firstCount);
    overlap.secondShared = std::make_unique<bool[]>(secondCount);
    return overlap;
}

void flagOverlap(PartitionMatcher &matcher, const PartitionSide &first, const PartitionSide &second, Overlap &overlap,
                 WorkerSteps &steps)
{
    matcher.flagShared(first, second, overlap.firstShared.get(), overlap.secondShared.get(), steps);
}

OverlapCounts countOverlap(const Overlap &overlap, std::size_t firstCount, std::size_t secondCount)
{
    const std::size_t inBoth = countSet(overlap.firstShared.get(), firstCount);
    return {firstCount - inBoth, inBoth, secondCount - countSet(overlap.secondShared.get(), secondCount)};
}

Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress, std::size_t workers)
{
    ListKeys keys;
    return findOverlap(first, second, mode, progress, workers, keys);
}

Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress, std::size_t workers, ListKeys &keys)
{
    // Two steps per text for the keys, then each partition is matched both ways.
    ProgressPacer pacer(progress, 4 * (first.size() + second.size()), ProgressPacer::Direction::Forward);
    const std::size_t partitionCount = TextPartitions::partitionCountFor(std::max(first.size(), second.size()));
    keys.first = partitionsFor(keys.first, first, partitionCount, pacer, mode, workers);
    keys.second = partitionsFor(keys.second, second, partitionCount, pacer, mode.forOtherList(), workers);
    const TextPartitions &firstPartitions = *keys.first;
    const TextPartitions &secondPartitions = *keys.second;
    Overlap overlap = overlapFlagsFor(first.size(), second.size());
    forEachPartition(partitionCount,
                     std::max(firstPartitions.largestPartition(partitionCount),
                              secondPartitions.largestPartition(partitionCount)),
                     workers, pacer, [&](PartitionMatcher &matcher, std::size_t p, WorkerSteps &steps) {
                         flagOverlap(matcher, firstPartitions.partition(p, partitionCount),
                                     secondPartitions.partition(p, partitionCount), overlap, steps);
                     });
    overlap.counts = countOverlap(overlap, first.size(), second.size());
    progress.setProgress(0);
    return overlap;
}

Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress)
{
    return findOverlap(first, second, mode, progress, workersFor(std::max(first.size(), second.size())));
}

} // namespace Quorvane
