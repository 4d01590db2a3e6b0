#include "Operations.h"

#include "ProgressPacer.h"
#include "TextPartitions.h"

#include <algorithm>
#include <memory>

namespace Quorvane {

namespace {

using Direction = ProgressPacer::Direction;

// One entry per item of the list: whether the operation removes it.
using RemovalFlags = std::unique_ptr<bool[]>;

// The step labels under which an operation reports a failure: the step that collects
// what to remove, and the step that removes it.
struct StepLabels
{
    int collect;
    int remove;
};

// Decides what to remove, then removes it in one pass under the operation's error trap.
// A failed decision leaves the list exactly as it was. Progress goes back to 0 at the end.
template<typename Decide>
void runTrapped(ItemList &list, const OperationHost &host, const char *procedureName,
                StepLabels labels, Decide &&decide)
{
    TrappedProcedure procedure(host.reporter, "List", procedureName);
    RemovalFlags flags;
    if (procedure.step(labels.collect, [&] { flags = decide(); }))
        procedure.step(labels.remove, [&] { list.removeFlagged({flags.get(), list.count()}); });
    host.progress.setProgress(0);
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

template<typename Test>
RemovalFlags flagEach(std::span<const std::string_view> texts, ProgressSink &progress, Test &&test)
{
    ProgressPacer pacer(progress, texts.size(), Direction::Forward);
    RemovalFlags flags = std::make_unique<bool[]>(texts.size());
    forEachPaced(texts.size(), pacer, [&](std::size_t i) { flags[i] = test(texts[i]); });
    return flags;
}

// Flags every item whose text equals that of an item met before it, meeting the items in rising
// order or, with keepLast, in falling order.
RemovalFlags flagRepeats(std::span<const std::string_view> texts, ProgressSink &progress, bool keepLast)
{
    ProgressPacer pacer(progress, 3 * texts.size(), Direction::Backward);
    const TextPartitions partitions(texts, TextPartitions::partitionCountFor(texts.size()), pacer);
    RemovalFlags flags = std::make_unique<bool[]>(texts.size());
    PartitionMatcher matcher(partitions.largestPartition());
    for (std::size_t p = 0; p < partitions.partitionCount(); ++p)
        matcher.flagRepeats(partitions.partition(p), keepLast, flags.get(), pacer);
    return flags;
}

// Flags every item of first whose presence in second equals removeWhenPresent.
RemovalFlags flagByPresence(std::span<const std::string_view> first, std::span<const std::string_view> second,
                            ProgressSink &progress, bool removeWhenPresent)
{
    ProgressPacer pacer(progress, 3 * (first.size() + second.size()), Direction::Forward);
    const std::size_t partitionCount = TextPartitions::partitionCountFor(std::max(first.size(), second.size()));
    const TextPartitions firstPartitions(first, partitionCount, pacer);
    const TextPartitions secondPartitions(second, partitionCount, pacer);
    RemovalFlags flags = std::make_unique<bool[]>(first.size());
    PartitionMatcher matcher(std::max(firstPartitions.largestPartition(), secondPartitions.largestPartition()));
    for (std::size_t p = 0; p < partitionCount; ++p) {
        matcher.flagPresence(firstPartitions.partition(p), secondPartitions.partition(p), removeWhenPresent,
                             flags.get(), pacer);
    }
    return flags;
}

} // namespace

void RemoveDupesExceptFirst(ItemList &list, const OperationHost &host)
{
    runTrapped(list, host, "RemoveDupesExceptFirst", {110, 112}, [&] {
        return flagRepeats(list.texts(), host.progress, false);
    });
}

void RemoveDupesAll(ItemList &list, const OperationHost &host)
{
    runTrapped(list, host, "RemoveDupesAll", {114, 126}, [&] {
        return flagRepeats(list.texts(), host.progress, true);
    });
}

void RemoveBlanksFromList(ItemList &list, const OperationHost &host)
{
    runTrapped(list, host, "RemoveBlanksFromList", {110, 120}, [&] {
        return flagEach(list.texts(), host.progress, [](std::string_view text) { return text.empty(); });
    });
}

void RemoveItemsWith(ItemList &list, std::string_view text, const OperationHost &host)
{
    const RemovalFlags flags = flagEach(list.texts(), host.progress,
                                        [text](std::string_view item) { return contains(item, text); });
    list.removeFlagged({flags.get(), list.count()});
    host.progress.setProgress(0);
}

void RemoveItemsWithout(ItemList &list, std::string_view text, const OperationHost &host)
{
    runTrapped(list, host, "RemoveItemsWithout", {110, 120}, [&] {
        return flagEach(list.texts(), host.progress, [text](std::string_view item) { return !contains(item, text); });
    });
}

void SubtractSecondListFromFirstList(ItemList &first, const ItemList &second, const OperationHost &host)
{
    runTrapped(first, host, "SubtractSecondListFromFirstList", {112, 124}, [&] {
        return flagByPresence(first.texts(), second.texts(), host.progress, true);
    });
}

void KeepOnlyMatchesInList(ItemList &first, const ItemList &second, const OperationHost &host)
{
    runTrapped(first, host, "KeepOnlyMatchesInList", {114, 140}, [&] {
        return flagByPresence(first.texts(), second.texts(), host.progress, false);
    });
}

} // namespace Quorvane
