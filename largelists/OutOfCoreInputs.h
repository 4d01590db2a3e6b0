#pragma once

#include "engine/ItemList.h"
#include "engine/Matching.h"

#include <cstdint>
#include <string>
#include <vector>

// What every out-of-core run takes and gives, whether it compares partitions or streams.

namespace Quorvane {

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
    // Lines of the inputs that hold several addresses, counted when the mode reads addresses.
    std::uint64_t severalAddresses = 0;
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

} // namespace Quorvane
