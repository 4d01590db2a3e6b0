#pragma once

#include "CommandLine.h"

namespace Quorvane {

// Reads the lists, runs the operation and writes the result. Returns the exit status:
// 0 on success, 1 when a file could not be read or written or the operation failed.
// Nothing is written before everything else succeeded.
int runBatch(const Invocation &invocation);

} // namespace Quorvane
