#include "Partitioning.h"

#include "SpillFolder.h"

#include <algorithm>
#include <bit>

namespace Quorvane {

namespace {

constexpr std::size_t kSplitWays = 16;

// Each level of partitioning takes its partition from differently mixed bits, so a partition
// that is too large splits again; the table inside a partition uses the unmixed low bits.
std::size_t partitionOf(std::uint64_t hash, int level, std::size_t partitionCount)
{
    if (partitionCount == 1)
        return 0;
    const std::uint64_t mixed = (hash ^ (0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(level + 1)))
        * 0xD6E8FEB86659FD93ULL;
    return static_cast<std::size_t>(mixed >> (64 - std::countr_zero(partitionCount)));
}

} // namespace

Budget::Budget(std::uint64_t limit)
    : batchBytes(std::clamp<std::uint64_t>(limit / 32, std::uint64_t(64) << 10, std::uint64_t(4) << 20))
    , tableBytes(std::max<std::uint64_t>(limit / 2, std::uint64_t(256) << 10))
{}

std::size_t Budget::writerBuffer(std::size_t partitionCount) const
{
    return std::clamp<std::size_t>(tableBytes / 4 / partitionCount, std::size_t(4) << 10, std::size_t(256) << 10);
}

Spreader::Spreader(SpillFolder &folder, std::size_t partitionCount, int level, std::size_t bufferSize,
                   const MatchMode &mode)
    : m_level(level)
    , m_keys(mode)
{
    m_writers.reserve(partitionCount);
    for (std::size_t p = 0; p < partitionCount; ++p)
        m_writers.push_back(std::make_unique<RecordWriter>(folder, folder.newFilePath(), bufferSize));
}

void Spreader::add(const Record &record)
{
    const std::uint64_t hash = hashOf(m_keys.keyOf(record.text));
    m_writers[partitionOf(hash, m_level, m_writers.size())]->append(record);
}

std::vector<PartFile> Spreader::finish()
{
    std::vector<PartFile> files;
    for (const auto &writer : m_writers) {
        writer->finish();
        files.push_back(writer->written());
    }
    return files;
}

std::vector<PartFile> splitPartFile(SpillFolder &folder, const PartFile &file, int level, const Budget &budget,
                                    const MatchMode &mode)
{
    Spreader spreader(folder, kSplitWays, level, budget.writerBuffer(kSplitWays), mode);
    RecordReader reader(folder, file, budget.readerBuffer);
    Record record{};
    while (reader.next(record))
        spreader.add(record);
    return spreader.finish();
}

} // namespace Quorvane
