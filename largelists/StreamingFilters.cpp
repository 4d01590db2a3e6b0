#include "StreamingFilters.h"

#include "InputBatches.h"
#include "Partitioning.h"
#include "StageProgress.h"

namespace Quorvane {

OutOfCoreCounts filterOutOfCore(const OperationRow &row, std::string_view text, const OutOfCoreInputs &inputs,
                                StageProgress &progress, ResultSink &kept, ResultSink *removed)
{
    InputBatches input(inputs.files, Budget(inputs.memoryLimit).batchBytes, inputs.spills, rowReadingOf(inputs, false));
    OutOfCoreCounts counts;
    const std::uint64_t total = inputBytes(inputs);
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        counts.itemsIn += batch.count();
        NullProgress operationProgress;
        RethrowingReporter failure;
        ItemList gone;
        const OperationHost host{operationProgress, failure, removed ? &gone : nullptr};
        row.change({batch, ItemList(), text, host, inputs.mode});
        failure.rethrowFailure();
        counts.itemsOut += batch.count();
        kept.write(batch);
        if (removed)
            removed->write(gone);
        progress.show("filtering", input.bytesHandedOut(), total);
    }
    counts.decodedFromUtf16 = input.decodedFromUtf16();
    counts.shortRows = input.shortRows();
    return counts;
}

} // namespace Quorvane
