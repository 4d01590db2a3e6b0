#include "StreamingFilters.h"

#include "InputBatches.h"
#include "Partitioning.h"
#include "ProgressLine.h"
#include "engine/Operations.h"

#include <stdexcept>

namespace Quorvane {

bool decidesEachItemAlone(BatchOperation operation)
{
    return operation == BatchOperation::RemoveBlanks || operation == BatchOperation::RemoveWith
        || operation == BatchOperation::RemoveWithout || operation == BatchOperation::Normalize;
}

OutOfCoreCounts filterOutOfCore(const Invocation &invocation, const OutOfCoreInputs &inputs, ProgressLine &progress,
                                ResultSink &kept, ResultSink *removed)
{
    InputBatches input(inputs.files, Budget(inputs.memoryLimit).batchBytes, inputs.spills);
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
        switch (invocation.operation) {
        case BatchOperation::Normalize: {
            ItemList keys = keysOf(batch, inputs.mode);
            batch.clear();
            batch.appendList(std::move(keys));
            break;
        }
        case BatchOperation::RemoveBlanks:
            RemoveBlanksFromList(batch, host);
            break;
        case BatchOperation::RemoveWith:
            RemoveItemsWith(batch, invocation.text, host, inputs.mode);
            break;
        case BatchOperation::RemoveWithout:
            RemoveItemsWithout(batch, invocation.text, host, inputs.mode);
            break;
        case BatchOperation::DedupeFirst:
        case BatchOperation::DedupeLast:
        case BatchOperation::Subtract:
        case BatchOperation::KeepMatches:
        case BatchOperation::Count:
            throw std::invalid_argument("not an operation that decides each item alone");
        }
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
