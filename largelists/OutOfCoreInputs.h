#pragma once

#include "engine/AddressVerdict.h"
#include "engine/ItemList.h"
#include "engine/Matching.h"
#include "largelists/InputBatches.h"

#include <cstdint>
#include <optional>
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
    virtual void write(std::span<const std::string_view> batch) = 0;
};

struct OutOfCoreCounts
{
    std::uint64_t itemsIn = 0;
    std::uint64_t itemsOut = 0;
    // The inputs decoded from UTF-16, by their place in files followed by others.
    std::vector<std::size_t> decodedFromUtf16;
    RefusalCounts refusals; // why items were removed, by the operations that judge addresses
    // Lines of the inputs that hold several addresses, counted when the mode reads addresses.
    std::uint64_t severalAddresses = 0;
    // Of tables: the rows of each list with fewer fields than its key column.
    std::uint64_t shortRows = 0;
    std::uint64_t otherShortRows = 0;
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
    bool rows = false;       // the inputs are tables: their items are rows (the delimiters are the key fields')
    bool headerRows = false; // the first row of every input is its header, left out
};

// How the files (or, with ofOthers, the other files) are read: as rows of tables, or lines.
std::optional<RowReading> rowReadingOf(const OutOfCoreInputs &inputs, bool ofOthers);

// The bytes of all the files the run reads, for its progress and its partition count.
std::uint64_t inputBytes(const OutOfCoreInputs &inputs);

} // namespace Quorvane
