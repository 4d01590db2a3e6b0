#pragma once

#include "CommandLine.h"
#include "OutOfCoreInputs.h"
#include "engine/Counting.h"

#include <vector>

// Runs an operation on lists larger than the memory limit: the comparing ones and count decide
// one hash partition at a time, then the kept items are written in list order.

namespace Quorvane {

class ProgressLine;

// Runs the invocation's operation within the memory limit, whatever the size of the lists, and
// hands out exactly the items the in-memory run keeps, in their order (and, when removed is
// given, the items it removes). The comparing operations hash-partition the items with their
// positions into files of the spill folder, decide one partition at a time, then read the inputs
// again and keep the items decided for; the filters stream batch by batch.
// Throws ListFileError when a file cannot be read or written (a full temporary disk included),
// TableFull when even one partition's distinct keys exceed the limit.
OutOfCoreCounts runOutOfCore(const Invocation &invocation, const OutOfCoreInputs &inputs, SpillFolder &folder,
                             ProgressLine &progress, ResultSink &kept, ResultSink *removed);

// Counts the first list, and against the second when there is one, as count does in memory,
// within the memory limit, working on partitions on disk as runOutOfCore does.
ListCounts countOutOfCore(const Invocation &invocation, const OutOfCoreInputs &inputs, SpillFolder &folder,
                          ProgressLine &progress, std::vector<std::size_t> &decodedFromUtf16);

} // namespace Quorvane
