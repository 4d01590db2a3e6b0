#include "Counting.h"

#include "ProgressPacer.h"
#include "TextPartitions.h"

#include <algorithm>
#include <memory>

namespace Quorvane {

namespace {

std::size_t countSet(const std::unique_ptr<bool[]> &flags, std::size_t count)
{
    return static_cast<std::size_t>(std::count(flags.get(), flags.get() + count, true));
}

ListCounts count(const ItemList &list, const ItemList *other, const MatchMode &mode, ProgressSink &progress)
{
    const std::span<const std::string_view> texts = list.texts();
    const std::span<const std::string_view> otherTexts = other ? other->texts() : std::span<const std::string_view>();
    ProgressPacer pacer(progress, 3 * (texts.size() + otherTexts.size()), ProgressPacer::Direction::Forward);
    const std::size_t partitionCount = TextPartitions::partitionCountFor(std::max(texts.size(), otherTexts.size()));
    const TextPartitions partitions(texts, partitionCount, pacer, mode);
    const TextPartitions otherPartitions(otherTexts, partitionCount, pacer, mode);

    const auto repeats = std::make_unique<bool[]>(texts.size());
    const auto otherRepeats = std::make_unique<bool[]>(otherTexts.size());
    ListCounts counts;
    PartitionMatcher matcher(std::max(partitions.largestPartition(), otherPartitions.largestPartition()));
    for (std::size_t p = 0; p < partitionCount; ++p) {
        const std::span<const TextEntry> entries = partitions.partition(p);
        counts.blanks += static_cast<std::size_t>(
            std::count_if(entries.begin(), entries.end(), [](const TextEntry &entry) { return entry.key.empty(); }));
        matcher.flagRepeats(entries, false, repeats.get(), pacer);
        if (other) {
            const std::span<const TextEntry> otherEntries = otherPartitions.partition(p);
            matcher.flagRepeats(otherEntries, false, otherRepeats.get(), pacer);
            counts.shared += matcher.countShared(entries, repeats.get(), otherEntries, otherRepeats.get(), pacer);
        }
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
