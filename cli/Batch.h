#pragma once

#include "CommandLine.h"
#include "InputWatch.h"
#include "Streams.h"

namespace Quorvane {

// Reads the lists, runs the operation and writes the result. Returns kExitSuccess, or
// kExitFailure when a file could not be read or written, the operation failed or the watch
// found an input changed. Nothing is written before everything else succeeded.
int runBatch(const Invocation &invocation, const Streams &streams, const InputWatch &watch);

} // namespace Quorvane
