#include "Counting.h"

#include "AddressVerdict.h"
#include "AddressList.h"
#include "PartitionMatcher.h"
#include "OverlapFlags.h"
#include "ProgressPacer.h"
#include "TextPartitions.h"
#include "Workers.h"

#include <algorithm>
#include <vector>

namespace Quorvane {

PartialCounts &PartialCounts::operator+=(const PartialCounts &part)
{
    items += part.items;
    blanks += part.blanks;
    repeats += part.repeats;
    shared += part.shared;
    onlyInOther += part.onlyInOther;
    invalid += part.invalid;
    itemsShared += part.itemsShared;
    itemsOnlyInOther += part.itemsOnlyInOther;
    severalAddresses += part.severalAddresses;
    return *this;
}

ListCounts listCountsOf(const PartialCounts &sum, bool againstOther, const MatchMode &mode)
{
    ListCounts counts;
    counts.items = sum.items;
    counts.blanks = sum.blanks;
    counts.repeats = sum.repeats;
    counts.distinct = sum.items - sum.repeats;
    if (mode.readsAddresses())
        counts.severalAddresses = sum.severalAddresses;
    if (againstOther) {
        counts.shared = sum.shared;
        counts.onlyInList = counts.distinct - sum.shared;
        counts.onlyInOther = sum.onlyInOther;
        counts.overlap = {sum.items - sum.itemsShared, sum.itemsShared, sum.itemsOnlyInOther};
    }
    if (mode.email)
        counts.invalid = sum.invalid;
    return counts;
}

namespace {

ListCounts count(const ItemList &list, const ItemList *other, const MatchMode &mode, ProgressSink &progress)
{
    const std::span<const std::string_view> texts = list.texts();
    const std::span<const std::string_view> otherTexts = other ? other->texts() : std::span<const std::string_view>();
    ProgressPacer pacer(progress, (other ? 5 : 3) * (texts.size() + otherTexts.size()), ProgressPacer::Direction::Forward);
    const std::size_t longer = std::max(texts.size(), otherTexts.size());
    const std::size_t workers = workersFor(longer);
    const std::size_t partitionCount = TextPartitions::partitionCountFor(longer);
    const TextPartitions partitions(texts, partitionCount, pacer, mode, workers);
    const TextPartitions otherPartitions(otherTexts, partitionCount, pacer, mode.forOtherList(), workers);

    std::vector<PartialCounts> partials(workers);
    Overlap overlap = overlapFlagsFor(texts.size(), otherTexts.size());
    runWorkers(workers, pacer, [&](std::size_t worker, WorkerSteps &steps) {
        PartitionMatcher matcher(partitions.largestPartition() + otherPartitions.largestPartition());
        const Share share = shareOf(partitionCount, worker, workers);
        for (std::size_t p = share.begin; p < share.end; ++p) {
            const PartitionMatcher::KeyCounts found =
                matcher.countKeys(partitions.partition(p), otherPartitions.partition(p), steps);
            partials[worker] += {.repeats = found.repeatsInFirst, .shared = found.shared, .onlyInOther = found.onlyInSecond};
            if (other)
                flagOverlap(matcher, partitions.partition(p), otherPartitions.partition(p), overlap, steps);
        }
    });

    PartialCounts sum;
    for (const PartialCounts &partial : partials)
        sum += partial;
    // In list order, not partition order: the keys are then read one after another.
    const std::span<const std::string_view> keys = partitions.keys();
    sum.blanks = static_cast<std::size_t>(
        std::count_if(keys.begin(), keys.end(), [](std::string_view key) { return key.empty(); }));
    sum.items = texts.size();
    if (mode.email) {
        KeyMaker fields(mode);
        const auto isInvalid = [&](std::string_view text) {
            return judgeAddressLine(fields.fieldOf(text), mode.commonAddresses) != AddressRefusal::Valid;
        };
        sum.invalid = static_cast<std::size_t>(std::count_if(texts.begin(), texts.end(), isInvalid));
    }
    const OverlapCounts found = countOverlap(overlap, texts.size(), otherTexts.size());
    sum.itemsShared = found.inBoth;
    sum.itemsOnlyInOther = found.onlyInSecond;
    if (mode.readsAddresses())
        sum.severalAddresses = countSeveralAddresses(texts, mode.field);
    const ListCounts counts = listCountsOf(sum, other != nullptr, mode);
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
