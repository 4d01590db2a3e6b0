#pragma once

#include "RecordFile.h"
#include "engine/Matching.h"
#include "engine/TextPartitions.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Spreads spilled items, with their positions, into partition files on disk by the hash of their keys.

namespace Quorvane {

class SpillFolder;

// The sizes an out-of-core run works with, all taken from the memory limit.
struct Budget
{
    explicit Budget(std::uint64_t limit);
    std::size_t writerBuffer(std::size_t partitionCount) const;

    std::size_t batchBytes;
    std::size_t tableBytes;
    std::size_t readerBuffer = std::size_t(256) << 10;
};

// One hash partition: the first list's items in it and, for the comparing operations with a
// second list, the second list's.
struct Partition
{
    PartFile first;
    std::optional<PartFile> second;
};

// Writes items into a fixed number of partition files by the hash of their keys.
class Spreader
{
public:
    Spreader(SpillFolder &folder, std::size_t partitionCount, int level, std::size_t bufferSize,
             const MatchMode &mode);

    void add(const Record &record);
    std::vector<PartFile> finish();

private:
    int m_level;
    KeyMaker m_keys;
    std::vector<std::unique_ptr<RecordWriter>> m_writers;
};

// Spreads a partition too large to decide in memory into smaller ones of the next level.
std::vector<PartFile> splitPartFile(SpillFolder &folder, const PartFile &file, int level, const Budget &budget,
                                    const MatchMode &mode);

} // namespace Quorvane
