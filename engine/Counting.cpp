#include "Counting.h"

#include "PartitionMatcher.h"
#include "ProgressPacer.h"
#include "TextPartitions.h"
#include "Workers.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace Quorvane {

namespace {

std::size_t countSet(const std::unique_ptr<bool[]> &flags, std::size_t count)
{
    return static_cast<std::size_t>(std::count(flags.get(), flags.get() + count, true));
}

// What one worker counted in its partitions.
struct PartialCounts
{
    std::size_t blanks = 0;
    std::size_t shared = 0;
};

ListCounts count(const ItemList &list, const ItemList *other, const MatchMode &mode, ProgressSink &progress)
{
    const std::span<const std::string_view> texts = list.texts();
    const std::span<const std::string_view> otherTexts = other ? other->texts() : std::span<const std::string_view>();
    ProgressPacer pacer(progress, 3 * (texts.size() + otherTexts.size()), ProgressPacer::Direction::Forward);
    const std::size_t longer = std::max(texts.size(), otherTexts.size());
    const std::size_t workers = workersFor(longer);
    const std::size_t partitionCount = TextPartitions::partitionCountFor(longer);
    const TextPartitions partitions(texts, partitionCount, pacer, mode, workers);
    const TextPartitions otherPartitions(otherTexts, partitionCount, pacer, mode, workers);

    const auto repeats = std::make_unique<bool[]>(texts.size());
    const auto otherRepeats = std::make_unique<bool[]>(otherTexts.size());
    std::vector<PartialCounts> partials(workers);
    runWorkers(workers, pacer, [&](std::size_t worker, WorkerSteps &steps) {
        PartitionMatcher matcher(std::max(partitions.largestPartition(), otherPartitions.largestPartition()));
        PartialCounts &counts = partials[worker];
        const Share share = shareOf(partitionCount, worker, workers);
        for (std::size_t p = share.begin; p < share.end; ++p) {
            const PartitionSide side = partitions.partition(p);
            counts.blanks += static_cast<std::size_t>(std::count_if(
                side.entries.begin(), side.entries.end(), [&](const TextEntry &entry) { return side.keyOf(entry).empty(); }));
            matcher.flagRepeats(side, false, repeats.get(), steps);
            if (other) {
                const PartitionSide otherSide = otherPartitions.partition(p);
                matcher.flagRepeats(otherSide, false, otherRepeats.get(), steps);
                counts.shared += matcher.countShared(side, repeats.get(), otherSide, otherRepeats.get(), steps);
            }
        }
    });

    ListCounts counts;
    for (const PartialCounts &partial : partials) {
        counts.blanks += partial.blanks;
        counts.shared += partial.shared;
    }
    counts.items = texts.size();
    counts.repeats = countSet(repeats, texts.size());
    counts.distinct = counts.items - counts.repeats;
    if (other) {
        counts.onlyInList = counts.distinct - counts.shared;
        counts.onlyInOther = otherTexts.size() - countSet(otherRepeats, otherTexts.size()) - counts.shared;
    }
    progress.setProgress(0);
    return counts;
}

} // namespace

ListCounts countItems(const ItemList &list, const MatchMode &mode, ProgressSink &progress)
{
    return count(list, nullptr, mode, progress);
}

ListCounts countItems(const ItemList &list, const ItemList &other, const MatchMode &mode, ProgressSink &progress)
{
    return count(list, &other, mode, progress);
}

} // namespace Quorvane
