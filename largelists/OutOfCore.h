#pragma once

#include "OutOfCoreInputs.h"
#include "engine/Counting.h"
#include "engine/OperationCatalogue.h"

#include <string_view>
#include <vector>

// Runs an operation on lists larger than the memory limit: the comparing ones and count decide
// one hash partition at a time, then the kept items are written in list order.

namespace Quorvane {

class StageProgress;

// Runs an operation that changes the list (text: the one remove-with and remove-without look
// for) within the memory limit, whatever the size of the lists, and hands out exactly the items
// the in-memory run keeps, in their order (and, when removed is given, the items it removes).
// The comparing operations hash-partition the items with their positions into files of the
// spill folder, decide one partition at a time, then read the inputs again and keep the items
// decided for; those that decide each item alone stream batch by batch.
// Throws ListFileError when a file cannot be read or written (a full temporary disk included),
// TableFull when even one partition's distinct keys exceed the limit.
OutOfCoreCounts runOutOfCore(Operation operation, std::string_view text, const OutOfCoreInputs &inputs,
                             SpillFolder &folder, StageProgress &progress, ResultSink &kept, ResultSink *removed);

// Counts the first list, and against the second when there is one, as count does in memory,
// within the memory limit, working on partitions on disk as runOutOfCore does. inputNotes gets
// what the run found out about its inputs (UTF-16, short rows); its item counts stay 0.
ListCounts countOutOfCore(const OutOfCoreInputs &inputs, SpillFolder &folder, StageProgress &progress,
                          OutOfCoreCounts &inputNotes);

} // namespace Quorvane
