#pragma once

#include "OutOfCoreInputs.h"
#include "engine/OperationCatalogue.h"

#include <string_view>

// Runs the operations that decide each item alone (see their catalogue rows) batch by batch, so any size of list fits the memory limit.

namespace Quorvane {

class StageProgress;

// row: an operation that decides each item alone.
OutOfCoreCounts filterOutOfCore(const OperationRow &row, std::string_view text, const OutOfCoreInputs &inputs,
                                StageProgress &progress, ResultSink &kept, ResultSink *removed);

} // namespace Quorvane
