#pragma once

#include "CommandLine.h"
#include "Streams.h"

#include <cstdint>
#include <string>

namespace Quorvane {

// Reads the lists, runs the operation and writes the result. Returns kExitSuccess, or
// kExitFailure when a file could not be read or written or the operation failed.
// Nothing is written before everything else succeeded.
int runBatch(const Invocation &invocation, const Streams &streams);

// The line standard error gets after a run, unless it is quiet: "1 item in, 0 items out".
void printSummary(const Invocation &invocation, const Streams &streams, std::uint64_t itemsIn,
                  std::uint64_t itemsOut);

} // namespace Quorvane
