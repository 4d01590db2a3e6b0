#pragma once

#include "CommandLine.h"
#include "engine/Counting.h"
#include "engine/ItemList.h"
#include "engine/Matching.h"

#include <cstdint>

// Runs an operation on lists larger than the memory limit: the comparing ones and count decide
// one hash partition at a time, then the kept items are written in list order.

namespace Quorvane {

class ProgressLine;
class SpillFolder;

// Where the out-of-core run hands its result, batch by batch, in list order.
class ResultSink
{
public:
    virtual ~ResultSink() = default;
    virtual void write(const ItemList &batch) = 0;
};

struct OutOfCoreCounts
{
    std::uint64_t itemsIn = 0;
    std::uint64_t itemsOut = 0;
    // The inputs decoded from UTF-16, by their place in files followed by others.
    std::vector<std::size_t> decodedFromUtf16;
};

// The memory an out-of-core run may use and the files it reads, all of them regular files
// (standard input and pipes are spilled to files of spills first).
struct OutOfCoreInputs
{
    std::uint64_t memoryLimit = 0;
    MatchMode mode;
    std::vector<std::string> files;
    std::vector<std::string> others;
    const SpillFolder *spills = nullptr;
};

// The bytes of all the files the run reads, for its progress and its partition count.
std::uint64_t inputBytes(const OutOfCoreInputs &inputs);

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
