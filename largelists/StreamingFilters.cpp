#include "StreamingFilters.h"

#include "InputBatches.h"
#include "Partitioning.h"
#include "StageProgress.h"

#include "engine/AddressList.h"

namespace Quorvane {

OutOfCoreCounts filterOutOfCore(const OperationRow &row, std::string_view text, const OutOfCoreInputs &inputs,
                                StageProgress &progress, ResultSink &kept, ResultSink *removed)
{
    InputBatches input(inputs.files, Budget(inputs.memoryLimit).batchBytes, inputs.spills);
    OutOfCoreCounts counts;
    const std::uint64_t total = inputBytes(inputs);
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        counts.itemsIn += batch.count();
        if (inputs.mode.readsAddresses())
            counts.severalAddresses += countSeveralAddresses(batch.texts());
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
    return counts;
}

} // namespace Quorvane
