#pragma once

#include "CommandLine.h"
#include "OutOfCoreInputs.h"

// Runs the operations that decide each item alone (see their catalogue rows) batch by batch, so any size of list fits the memory limit.

namespace Quorvane {

class ProgressLine;

OutOfCoreCounts filterOutOfCore(const Invocation &invocation, const OutOfCoreInputs &inputs, ProgressLine &progress,
                                ResultSink &kept, ResultSink *removed);

} // namespace Quorvane
