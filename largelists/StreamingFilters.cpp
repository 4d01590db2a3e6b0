#include "StreamingFilters.h"

#include "InputBatches.h"
#include "Partitioning.h"
#include "StageProgress.h"
#include "engine/PatternSet.h"

#include <optional>

#include "engine/AddressList.h"

namespace Quorvane {

namespace {

// The other files read whole, for their patterns: only the first list streams.
struct OtherFiles
{
    ItemList items;
    std::vector<std::size_t> decodedFromUtf16; // by place in the files followed by the others
    std::uint64_t bytes = 0;
    std::uint64_t shortRows = 0; // of tables: rows with fewer fields than the key column
};

OtherFiles readOthers(const OutOfCoreInputs &inputs)
{
    InputBatches input(inputs.others, Budget(inputs.memoryLimit).batchBytes, inputs.spills, rowReadingOf(inputs, true));
    OtherFiles others;
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        others.items.appendList(std::move(batch));
    }
    for (const std::size_t place : input.decodedFromUtf16())
        others.decodedFromUtf16.push_back(inputs.files.size() + place);
    others.bytes = input.bytesHandedOut();
    others.shortRows = input.shortRows();
    return others;
}

} // namespace

OutOfCoreCounts filterOutOfCore(const OperationRow &row, std::string_view text, const OutOfCoreInputs &inputs,
                                StageProgress &progress, ResultSink &kept, ResultSink *removed)
{
    OutOfCoreCounts counts;
    std::optional<PatternSet> patterns;
    std::uint64_t othersBytes = 0;
    if (inputs.mode.otherIsPatterns && row.takesPatterns()) {
        const OtherFiles others = readOthers(inputs);
        patterns.emplace(others.items.texts(), inputs.mode);
        counts.decodedFromUtf16 = others.decodedFromUtf16;
        counts.otherShortRows = others.shortRows;
        othersBytes = others.bytes;
    }
    InputBatches input(inputs.files, Budget(inputs.memoryLimit).batchBytes, inputs.spills, rowReadingOf(inputs, false));
    const std::uint64_t total = inputBytes(inputs);
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        counts.itemsIn += batch.count();
        if (inputs.mode.readsAddresses())
            counts.severalAddresses += countSeveralAddresses(batch.texts(), inputs.mode.field);
        NullProgress operationProgress;
        RethrowingReporter failure;
        ItemList gone;
        const OperationHost host{operationProgress, failure, removed ? &gone : nullptr, &counts.refusals};
        if (patterns)
            row.changeByPatterns(batch, *patterns, host);
        else
            row.change({batch, ItemList(), text, host, inputs.mode});
        failure.rethrowFailure();
        counts.itemsOut += batch.count();
        kept.write(batch.texts());
        if (removed)
            removed->write(gone.texts());
        progress.show("filtering", othersBytes + input.bytesHandedOut(), total);
    }
    const std::vector<std::size_t> &firstDecoded = input.decodedFromUtf16();
    counts.decodedFromUtf16.insert(counts.decodedFromUtf16.begin(), firstDecoded.begin(), firstDecoded.end());
    counts.shortRows = input.shortRows();
    return counts;
}

} // namespace Quorvane
