#include "Operations.h"

#include "AddressVerdict.h"
#include "AddressList.h"
#include "PartitionMatcher.h"
#include "PatternSet.h"
#include "ProgressPacer.h"
#include "TextPartitions.h"
#include "TextSearch.h"
#include "WorkMemory.h"
#include "Workers.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Quorvane {

namespace {

using Direction = ProgressPacer::Direction;

// One entry per item of the list: whether the operation removes it.
using RemovalFlags = std::unique_ptr<bool[]>;

// A trapped operation as the error report names it: its procedure, and the labels of the step
// that decides what to remove and of the step that removes it. The labels reach the user.
struct TrappedOperation
{
    const char *procedure;
    int collectLabel;
    int removeLabel;
};

constexpr TrappedOperation kRemoveDupesExceptFirst{"RemoveDupesExceptFirst", 110, 112};
constexpr TrappedOperation kRemoveDupesAll{"RemoveDupesAll", 114, 126};
constexpr TrappedOperation kRemoveBlanksFromList{"RemoveBlanksFromList", 110, 120};
constexpr TrappedOperation kRemoveItemsWithout{"RemoveItemsWithout", 110, 120};
constexpr TrappedOperation kSubtractSecondListFromFirstList{"SubtractSecondListFromFirstList", 112, 124};
constexpr TrappedOperation kKeepOnlyMatchesInList{"KeepOnlyMatchesInList", 114, 140};
constexpr TrappedOperation kRemoveInvalidAddresses{"RemoveInvalidAddresses", 110, 120};
constexpr TrappedOperation kSplitAddresses{"SplitAddresses", 110, 120};

// Removes the flagged items; with a list for removed items, hands them over first, so a failure
// to keep them leaves the list untouched.
void removeFlagged(ItemList &list, const RemovalFlags &flags, ItemList *removed)
{
    const std::span<const bool> flagged{flags.get(), list.count()};
    if (removed) {
        ItemList taken;
        for (std::size_t i = 0; i < flagged.size(); ++i) {
            if (flagged[i])
                taken.append(list.text(i));
        }
        removed->appendList(std::move(taken));
    }
    list.removeFlagged(flagged);
}

// Decides what to remove, then removes it in one pass under the operation's error trap.
// A failed decision leaves the list exactly as it was. Progress goes back to 0 at the end.
template<typename Decide>
void runTrapped(ItemList &list, const OperationHost &host, const TrappedOperation &operation, Decide &&decide)
{
    TrappedProcedure procedure(host.reporter, "List", operation.procedure);
    RemovalFlags flags;
    if (procedure.step(operation.collectLabel, [&] { flags = decide(); }))
        procedure.step(operation.removeLabel, [&] { removeFlagged(list, flags, host.removed); });
    host.progress.setProgress(0);
}

// Flags every item that a test removes, each item alone, on every core for long lists.
// makeTest() gives each worker a test of its own (a test may keep scratch between items).
template<typename MakeTest>
RemovalFlags flagEachAlone(std::span<const std::string_view> texts, ProgressSink &progress, MakeTest &&makeTest)
{
    ProgressPacer pacer(progress, texts.size(), Direction::Forward);
    const std::size_t workers = workersFor(texts.size());
    RemovalFlags flags = std::make_unique_for_overwrite<bool[]>(texts.size());
    ChunkQueue chunks(texts.size(), texts.size() / kItemsPerChunk);
    runWorkers(workers, pacer, [&](std::size_t, WorkerSteps &steps) {
        auto removes = makeTest();
        while (const std::optional<ChunkQueue::Chunk> chunk = chunks.take()) {
            forEachPaced(chunk->items.begin, chunk->items.end, steps,
                         [&](std::size_t i) { flags[i] = removes(texts[i]); });
        }
    });
    return flags;
}

// Flags every item the operation's test removes.
RemovalFlags flagByTest(std::span<const std::string_view> texts, Operation operation, std::string_view text,
                        const MatchMode &mode, ProgressSink &progress)
{
    return flagEachAlone(texts, progress, [&] { return removalTestOf(operation, text, mode); });
}

// Flags every item whose key field does not hold exactly one valid address, on every core for
// long lists, and counts why in refusals.
RemovalFlags flagInvalidAddresses(std::span<const std::string_view> texts, const MatchMode &mode, ProgressSink &progress,
                                  RefusalCounts &refusals)
{
    ProgressPacer pacer(progress, texts.size(), Direction::Forward);
    const std::size_t workers = workersFor(texts.size());
    RemovalFlags flags = std::make_unique<bool[]>(texts.size());
    std::vector<RefusalCounts> counts(workers);
    ChunkQueue chunks(texts.size(), texts.size() / kItemsPerChunk);
    runWorkers(workers, pacer, [&](std::size_t worker, WorkerSteps &steps) {
        RefusalCounts found; // here, not in counts: the workers' counts would share cache lines
        KeyMaker fields(mode);
        while (const std::optional<ChunkQueue::Chunk> chunk = chunks.take()) {
            forEachPaced(chunk->items.begin, chunk->items.end, steps, [&](std::size_t i) {
                const AddressRefusal refusal = judgeAddressLine(fields.fieldOf(texts[i]), mode.commonAddresses);
                found.add(refusal);
                flags[i] = refusal != AddressRefusal::Valid;
            });
        }
        counts[worker] = found;
    });
    for (const RefusalCounts &count : counts)
        refusals += count;
    return flags;
}

// Flags every item whose key equals that of an item met before it, meeting the items in rising
// order or, with keepLast, in falling order.
RemovalFlags flagRepeats(std::span<const std::string_view> texts, const MatchMode &mode, const OperationHost &host,
                         bool keepLast)
{
    ProgressPacer pacer(host.progress, 3 * texts.size(), Direction::Backward);
    const std::size_t workers = workersFor(texts.size());
    const std::size_t partitionCount = TextPartitions::partitionCountFor(texts.size());
    const std::shared_ptr<const TextPartitions> partitions =
        partitionsFor(std::exchange(host.ownKeys, nullptr), texts, partitionCount, pacer, mode, workers);
    RemovalFlags flags = std::make_unique<bool[]>(texts.size());
    // Equal keys share a partition however finely the partitions were made.
    forEachPartition(partitions->partitionCount(), partitions->largestPartition(), workers, pacer,
                     [&](PartitionMatcher &matcher, std::size_t p, WorkerSteps &steps) {
                         matcher.flagRepeats(partitions->partition(p), keepLast, flags.get(), steps);
                     });
    return flags;
}

// Flags every item of first whose key's presence in second equals removeWhenPresent.
RemovalFlags flagByPresence(std::span<const std::string_view> first, std::span<const std::string_view> second,
                            const MatchMode &mode, const OperationHost &host, bool removeWhenPresent)
{
    ProgressPacer pacer(host.progress, 3 * (first.size() + second.size()), Direction::Forward);
    const std::size_t longer = std::max(first.size(), second.size());
    const std::size_t workers = workersFor(longer);
    const std::size_t partitionCount = TextPartitions::partitionCountFor(longer);
    const std::shared_ptr<const TextPartitions> firstPartitions =
        partitionsFor(std::exchange(host.ownKeys, nullptr), first, partitionCount, pacer, mode, workers);
    const std::shared_ptr<const TextPartitions> secondPartitions =
        partitionsFor(host.otherKeys, second, partitionCount, pacer, mode.forOtherList(), workers);
    RemovalFlags flags = std::make_unique<bool[]>(first.size());
    forEachPartition(partitionCount,
                     std::max(firstPartitions->largestPartition(partitionCount),
                              secondPartitions->largestPartition(partitionCount)),
                     workers, pacer, [&](PartitionMatcher &matcher, std::size_t p, WorkerSteps &steps) {
                         matcher.flagPresence(firstPartitions->partition(p, partitionCount),
                                              secondPartitions->partition(p, partitionCount), removeWhenPresent,
                                              flags.get(), steps);
                     });
    return flags;
}

// Flags every item whose key's match among the patterns equals removeWhenMatched. Each
// worker makes the keys of its share of the items with a maker of its own.
RemovalFlags flagByPatterns(std::span<const std::string_view> texts, const PatternSet &patterns,
                            ProgressSink &progress, bool removeWhenMatched)
{
    return flagEachAlone(texts, progress, [&] {
        return [&patterns, removeWhenMatched, keyMaker = KeyMaker(patterns.mode())](std::string_view text) mutable {
            return patterns.matches(keyMaker.keyOf(text)) == removeWhenMatched;
        };
    });
}

// Flags every item whose known presence in the other list equals removeWhenPresent.
RemovalFlags flagByKnownPresence(std::size_t count, const bool *shared, bool removeWhenPresent)
{
    RemovalFlags flags = std::make_unique_for_overwrite<bool[]>(count);
    std::transform(shared, shared + count, flags.get(),
                   [removeWhenPresent](bool present) { return present == removeWhenPresent; });
    return flags;
}

RemovalFlags flagByOther(std::span<const std::string_view> first, const ItemList &second, const MatchMode &mode,
                         const OperationHost &host, bool removeWhenPresent)
{
    if (mode.otherIsPatterns)
        return flagByPatterns(first, PatternSet(second.texts(), mode), host.progress, removeWhenPresent);
    if (host.ownShared) {
        host.ownKeys = nullptr; // not needed: let go before the removal, as a match would
        return flagByKnownPresence(first.size(), host.ownShared.get(), removeWhenPresent);
    }
    return flagByPresence(first, second.texts(), mode, host, removeWhenPresent);
}

} // namespace

void RemoveDupesExceptFirst(ItemList &list, const OperationHost &host, const MatchMode &mode)
{
    runTrapped(list, host, kRemoveDupesExceptFirst, [&] { return flagRepeats(list.texts(), mode, host, false); });
}

void RemoveDupesAll(ItemList &list, const OperationHost &host, const MatchMode &mode)
{
    runTrapped(list, host, kRemoveDupesAll, [&] { return flagRepeats(list.texts(), mode, host, true); });
}

void RemoveBlanksFromList(ItemList &list, const OperationHost &host)
{
    runTrapped(list, host, kRemoveBlanksFromList,
               [&] { return flagByTest(list.texts(), Operation::RemoveBlanks, {}, {}, host.progress); });
}

void RemoveItemsWith(ItemList &list, std::string_view text, const OperationHost &host, const MatchMode &mode)
{
    const RemovalFlags flags = flagByTest(list.texts(), Operation::RemoveWith, text, mode, host.progress);
    removeFlagged(list, flags, host.removed);
    host.progress.setProgress(0);
}

void RemoveItemsWithout(ItemList &list, std::string_view text, const OperationHost &host, const MatchMode &mode)
{
    runTrapped(list, host, kRemoveItemsWithout,
               [&] { return flagByTest(list.texts(), Operation::RemoveWithout, text, mode, host.progress); });
}

void SubtractSecondListFromFirstList(ItemList &first, const ItemList &second, const OperationHost &host,
                                     const MatchMode &mode)
{
    runTrapped(first, host, kSubtractSecondListFromFirstList,
               [&] { return flagByOther(first.texts(), second, mode, host, true); });
}

void SubtractSecondListFromFirstList(ItemList &first, const PatternSet &patterns, const OperationHost &host)
{
    runTrapped(first, host, kSubtractSecondListFromFirstList,
               [&] { return flagByPatterns(first.texts(), patterns, host.progress, true); });
}

void KeepOnlyMatchesInList(ItemList &first, const ItemList &second, const OperationHost &host, const MatchMode &mode)
{
    runTrapped(first, host, kKeepOnlyMatchesInList,
               [&] { return flagByOther(first.texts(), second, mode, host, false); });
}

void KeepOnlyMatchesInList(ItemList &first, const PatternSet &patterns, const OperationHost &host)
{
    runTrapped(first, host, kKeepOnlyMatchesInList,
               [&] { return flagByPatterns(first.texts(), patterns, host.progress, false); });
}

void RemoveInvalidAddresses(ItemList &list, const OperationHost &host, const MatchMode &mode)
{
    runTrapped(list, host, kRemoveInvalidAddresses, [&] {
        RefusalCounts refusals;
        RemovalFlags flags = flagInvalidAddresses(list.texts(), mode, host.progress, refusals);
        if (host.refusals)
            *host.refusals += refusals;
        return flags;
    });
}

// The addresses are views into the items' own blocks: nothing is copied, and the items before
// the first one split stay the same items (for undo).
void SplitAddresses(ItemList &list, const OperationHost &host)
{
    TrappedProcedure procedure(host.reporter, "List", kSplitAddresses.procedure);
    const std::span<const std::string_view> texts = list.texts();
    ItemList::Items items;
    bool split = false;
    const bool collected = procedure.step(kSplitAddresses.collectLabel, [&] {
        ProgressPacer pacer(host.progress, texts.size(), Direction::Forward);
        reserveLarge(items, texts.size());
        forEachPaced(texts.size(), pacer, [&](std::size_t i) {
            const std::vector<std::string_view> addresses =
                maySeparateAddresses(texts[i]) ? addressesOf(texts[i]) : std::vector<std::string_view>();
            if (addresses.size() < 2) {
                items.push_back(texts[i]);
                return;
            }
            items.insert(items.end(), addresses.begin(), addresses.end());
            split = true;
        });
    });
    if (collected && split)
        procedure.step(kSplitAddresses.removeLabel, [&] { list.restore(std::move(items), list.blocks()); });
    host.progress.setProgress(0);
}

RemovalTest removalTestOf(Operation operation, std::string_view text, const MatchMode &mode)
{
    switch (operation) {
    case Operation::RemoveBlanks:
        return [](std::string_view item) { return item.empty(); };
    case Operation::RemoveWith:
        return [search = TextSearch(text, mode.foldsCase(), mode.field)](std::string_view item) mutable {
            return search.occursIn(item);
        };
    case Operation::RemoveWithout:
        return [search = TextSearch(text, mode.foldsCase(), mode.field)](std::string_view item) mutable {
            return !search.occursIn(item);
        };
    default:
        return nullptr;
    }
}

} // namespace Quorvane
