#include "OutOfCore.h"

#include "InputBatches.h"
#include "KeyTable.h"
#include "ProgressLine.h"
#include "RecordFile.h"
#include "SpillFolder.h"
#include "engine/Operations.h"
#include "files/ListFile.h"

#include <absl/hash/hash.h>

#include <algorithm>
#include <bit>
#include <optional>

namespace Quorvane {

namespace {

constexpr std::size_t kMostPartitions = 256;
constexpr std::size_t kSplitWays = 16;
constexpr int kMostLevels = 4;
// What one spilled item costs while its partition is decided, besides its key's bytes: its
// table slot at the lowest fill and while the table doubles.
constexpr std::uint64_t kTableBytesPerItem = 3 * sizeof(KeyTable::Entry);

std::uint64_t hashOf(std::string_view key)
{
    return absl::Hash<absl::string_view>{}(absl::string_view(key.data(), key.size()));
}

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

// The sizes an out-of-core run works with, all taken from the memory limit.
struct Budget
{
    explicit Budget(std::uint64_t limit)
        : batchBytes(std::clamp<std::uint64_t>(limit / 32, std::uint64_t(64) << 10, std::uint64_t(4) << 20))
        , tableBytes(std::max<std::uint64_t>(limit / 2, std::uint64_t(256) << 10))
    {}
    std::size_t writerBuffer(std::size_t partitionCount) const
    {
        return std::clamp<std::size_t>(tableBytes / 4 / partitionCount, std::size_t(4) << 10, std::size_t(256) << 10);
    }

    std::size_t batchBytes;
    std::size_t tableBytes;
    std::size_t readerBuffer = std::size_t(256) << 10;
};

struct PartFile
{
    std::string path;
    std::uint64_t records = 0;
    std::uint64_t textBytes = 0;
};

// One hash partition: the first list's items in it and, for the comparing operations with a
// second list, the second list's.
struct Partition
{
    PartFile first;
    std::optional<PartFile> second;
};

// The operations that decide each item alone, so they stream batch by batch.
bool decidesEachItemAlone(BatchOperation operation)
{
    return operation == BatchOperation::RemoveBlanks || operation == BatchOperation::RemoveWith
        || operation == BatchOperation::RemoveWithout || operation == BatchOperation::Normalize;
}

// Keeps the first failure an operation reports.
class FirstFailure final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override
    {
        if (!m_failure)
            m_failure = report.description;
    }
    void throwIfFailed() const
    {
        if (m_failure)
            throw std::runtime_error(*m_failure);
    }

private:
    std::optional<std::string> m_failure;
};

bool readsSecondList(BatchOperation operation)
{
    return operation == BatchOperation::Subtract || operation == BatchOperation::KeepMatches
        || operation == BatchOperation::Count;
}

// Puts every item's key in its place, as normalize writes them.
void replaceByKeys(ItemList &batch, KeyMaker &keys)
{
    ItemList keyed;
    for (const std::string_view text : batch.texts())
        keyed.append(keys.keyOf(text));
    batch.clear();
    batch.appendList(std::move(keyed));
}

// Writes items into a fixed number of partition files by the hash of their keys.
class Spreader
{
public:
    Spreader(SpillFolder &folder, std::size_t partitionCount, int level, std::size_t bufferSize,
             const MatchMode &mode)
        : m_level(level)
        , m_keys(mode)
    {
        m_writers.reserve(partitionCount);
        for (std::size_t p = 0; p < partitionCount; ++p)
            m_writers.push_back(std::make_unique<RecordWriter>(folder.newFilePath(), bufferSize));
    }

    void add(const Record &record)
    {
        const std::uint64_t hash = hashOf(m_keys.keyOf(record.text));
        m_writers[partitionOf(hash, m_level, m_writers.size())]->append(record);
    }

    std::vector<PartFile> finish()
    {
        std::vector<PartFile> files;
        for (const auto &writer : m_writers) {
            writer->finish();
            files.push_back({writer->path(), writer->recordCount(), writer->textBytes()});
        }
        return files;
    }

private:
    int m_level;
    KeyMaker m_keys;
    std::vector<std::unique_ptr<RecordWriter>> m_writers;
};

class OutOfCoreRun
{
public:
    OutOfCoreRun(const Invocation &invocation, const OutOfCoreInputs &inputs, SpillFolder &folder,
                 ProgressLine &progress)
        : m_invocation(invocation)
        , m_inputs(inputs)
        , m_folder(folder)
        , m_progress(progress)
        , m_budget(inputs.memoryLimit)
    {}

    OutOfCoreCounts filter(ResultSink &kept, ResultSink *removed);
    OutOfCoreCounts compare(ResultSink &kept, ResultSink *removed);
    ListCounts count();
    const std::vector<std::size_t> &decodedFromUtf16() const { return m_decodedFromUtf16; }

private:
    std::uint64_t inputBytes() const;
    std::size_t firstLevelPartitions() const;
    std::vector<PartFile> spreadInputs(const std::vector<std::string> &paths, std::size_t firstPlace,
                                       std::size_t partitionCount, std::uint64_t &itemCount);
    void noteDecoded(const InputBatches &input, std::size_t firstPlace);
    void decide(const Partition &partition, int level);
    void decideInTable(const Partition &partition);
    void countInTable(const Partition &partition);
    std::vector<Partition> spreadBothLists();
    void splitAndDecide(const Partition &partition, int level);
    std::vector<PartFile> split(const PartFile &file, int level);
    std::uint64_t costOf(const Partition &partition) const;
    void removeFiles(const Partition &partition);
    void markKept(std::uint64_t position) { m_kept[position / 64] |= std::uint64_t(1) << (position % 64); }
    bool isKept(std::uint64_t position) const { return (m_kept[position / 64] >> (position % 64)) & 1; }
    std::uint64_t writeKept(ResultSink &kept, ResultSink *removed);

    const Invocation &m_invocation;
    const OutOfCoreInputs &m_inputs;
    SpillFolder &m_folder;
    ProgressLine &m_progress;
    Budget m_budget;
    std::uint64_t m_itemCount = 0;
    std::vector<std::uint64_t> m_kept; // one bit per item of the first list
    std::vector<std::size_t> m_decodedFromUtf16;
    ListCounts m_counts;
};

std::uint64_t OutOfCoreRun::inputBytes() const
{
    std::uint64_t total = 0;
    for (const auto *paths : {&m_inputs.files, &m_inputs.others}) {
        for (const std::string &path : *paths)
            total += static_cast<std::uint64_t>(identify(path).size);
    }
    return total;
}

// Enough partitions that each one's table, estimated from the bytes, fits its budget; a
// partition the estimate got wrong is split again later.
std::size_t OutOfCoreRun::firstLevelPartitions() const
{
    const std::uint64_t wanted = inputBytes() * 4 / m_budget.tableBytes + 1;
    return std::bit_ceil(std::min<std::uint64_t>(wanted, kMostPartitions));
}

void OutOfCoreRun::noteDecoded(const InputBatches &input, std::size_t firstPlace)
{
    for (const std::size_t place : input.decodedFromUtf16())
        m_decodedFromUtf16.push_back(firstPlace + place);
}

std::vector<PartFile> OutOfCoreRun::spreadInputs(const std::vector<std::string> &paths, std::size_t firstPlace,
                                                 std::size_t partitionCount, std::uint64_t &itemCount)
{
    Spreader spreader(m_folder, partitionCount, 0, m_budget.writerBuffer(partitionCount), m_inputs.mode);
    InputBatches input(paths, m_budget.batchBytes);
    std::uint64_t position = 0;
    const std::uint64_t total = inputBytes();
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        for (const std::string_view text : batch.texts())
            spreader.add({position++, text});
        m_progress.show("spreading into partitions", input.bytesHandedOut(), total);
    }
    noteDecoded(input, firstPlace);
    itemCount = position;
    return spreader.finish();
}

std::uint64_t OutOfCoreRun::costOf(const Partition &partition) const
{
    const auto cost = [](const PartFile &file) { return file.textBytes + file.records * kTableBytesPerItem; };
    if (m_invocation.operation == BatchOperation::Count)
        return cost(partition.first) + (partition.second ? cost(*partition.second) : 0);
    return cost(partition.second ? *partition.second : partition.first);
}

void OutOfCoreRun::removeFiles(const Partition &partition)
{
    m_folder.removeFile(partition.first.path);
    if (partition.second)
        m_folder.removeFile(partition.second->path);
}

void OutOfCoreRun::decide(const Partition &partition, int level)
{
    if (costOf(partition) <= m_budget.tableBytes || level == kMostLevels) {
        try {
            decideInTable(partition);
            removeFiles(partition);
            return;
        } catch (const TableFull &) {
            if (level == kMostLevels)
                throw;
        }
    }
    splitAndDecide(partition, level);
}

void OutOfCoreRun::splitAndDecide(const Partition &partition, int level)
{
    const std::vector<PartFile> firsts = split(partition.first, level + 1);
    std::vector<PartFile> seconds;
    if (partition.second)
        seconds = split(*partition.second, level + 1);
    removeFiles(partition);
    for (std::size_t p = 0; p < firsts.size(); ++p) {
        Partition part{firsts[p], partition.second ? std::optional<PartFile>(seconds[p]) : std::nullopt};
        // Items that no mixing of the hash tells apart are most likely one key repeated: splitting
        // them again gains nothing, and their table stays small.
        const PartFile &tableSide = part.second ? *part.second : part.first;
        const PartFile &parentSide = partition.second ? *partition.second : partition.first;
        decide(part, tableSide.records == parentSide.records && tableSide.records > 1 ? kMostLevels : level + 1);
    }
}

std::vector<PartFile> OutOfCoreRun::split(const PartFile &file, int level)
{
    Spreader spreader(m_folder, kSplitWays, level, m_budget.writerBuffer(kSplitWays), m_inputs.mode);
    RecordReader reader(file.path, m_budget.readerBuffer);
    Record record{};
    while (reader.next(record))
        spreader.add(record);
    return spreader.finish();
}

void OutOfCoreRun::decideInTable(const Partition &partition)
{
    if (m_invocation.operation == BatchOperation::Count)
        return countInTable(partition);
    KeyTable table(m_budget.tableBytes);
    KeyMaker keys(m_inputs.mode);
    Record record{};
    bool inserted = false;
    const BatchOperation operation = m_invocation.operation;
    if (partition.second) {
        RecordReader second(partition.second->path, m_budget.readerBuffer);
        while (second.next(record)) {
            const std::string_view key = keys.keyOf(record.text);
            table.findOrInsert(key, hashOf(key), record.position, inserted);
        }
    }
    RecordReader first(partition.first.path, m_budget.readerBuffer);
    while (first.next(record)) {
        const std::string_view key = keys.keyOf(record.text);
        const std::uint64_t hash = hashOf(key);
        if (partition.second) {
            const bool present = table.find(key, hash) != nullptr;
            if (present == (operation == BatchOperation::KeepMatches))
                markKept(record.position);
            continue;
        }
        KeyTable::Entry &entry = table.findOrInsert(key, hash, record.position, inserted);
        if (operation == BatchOperation::DedupeFirst && inserted)
            markKept(record.position);
        if (operation == BatchOperation::DedupeLast)
            entry.position = record.position;
    }
    if (operation == BatchOperation::DedupeLast)
        table.forEach([this](const KeyTable::Entry &entry) { markKept(entry.position); });
}

// Counts what count counts of one partition; nothing of it when its table does not fit.
void OutOfCoreRun::countInTable(const Partition &partition)
{
    constexpr std::uint64_t kInList = 1;
    constexpr std::uint64_t kInOther = 2;
    KeyTable table(m_budget.tableBytes);
    KeyMaker keys(m_inputs.mode);
    ListCounts counts;
    const auto note = [&](const PartFile &file, std::uint64_t where) {
        RecordReader reader(file.path, m_budget.readerBuffer);
        Record record{};
        bool inserted = false;
        while (reader.next(record)) {
            const std::string_view key = keys.keyOf(record.text);
            table.findOrInsert(key, hashOf(key), where, inserted).position |= where;
            if (where == kInList) {
                ++counts.items;
                counts.blanks += key.empty() ? 1 : 0;
            }
        }
    };
    note(partition.first, kInList);
    if (partition.second)
        note(*partition.second, kInOther);
    table.forEach([&](const KeyTable::Entry &entry) {
        const bool inList = entry.position & kInList;
        const bool inOther = entry.position & kInOther;
        counts.distinct += inList ? 1 : 0;
        counts.shared += inList && inOther ? 1 : 0;
        counts.onlyInList += inList && !inOther ? 1 : 0;
        counts.onlyInOther += inOther && !inList ? 1 : 0;
    });
    m_counts.items += counts.items;
    m_counts.blanks += counts.blanks;
    m_counts.distinct += counts.distinct;
    m_counts.shared += counts.shared;
    m_counts.onlyInList += counts.onlyInList;
    m_counts.onlyInOther += counts.onlyInOther;
}

std::uint64_t OutOfCoreRun::writeKept(ResultSink &kept, ResultSink *removed)
{
    std::vector<FileIdentity> before;
    for (const std::string &path : m_inputs.files)
        before.push_back(identify(path));
    InputBatches input(m_inputs.files, m_budget.batchBytes);
    std::uint64_t position = 0;
    std::uint64_t keptCount = 0;
    const std::uint64_t total = inputBytes();
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        if (position + batch.count() > m_itemCount)
            break;
        const auto flags = std::make_unique<bool[]>(batch.count());
        ItemList gone;
        for (std::size_t i = 0; i < batch.count(); ++i) {
            flags[i] = !isKept(position + i);
            if (flags[i] && removed)
                gone.append(batch.text(i));
        }
        position += batch.count();
        batch.removeFlagged({flags.get(), batch.count()});
        keptCount += batch.count();
        kept.write(batch);
        if (removed)
            removed->write(gone);
        m_progress.show("writing the result", input.bytesHandedOut(), total);
    }
    for (std::size_t i = 0; i < m_inputs.files.size(); ++i) {
        if (position != m_itemCount || !(identify(m_inputs.files[i]) == before[i]))
            throw ListFileError(ListFileError::Stage::Read, describeFileFailure("Cannot read", m_inputs.files[i],
                                                                                "it changed while it was being read"));
    }
    return keptCount;
}

std::vector<Partition> OutOfCoreRun::spreadBothLists()
{
    const std::size_t partitionCount = firstLevelPartitions();
    const std::vector<PartFile> firsts = spreadInputs(m_inputs.files, 0, partitionCount, m_itemCount);
    std::vector<PartFile> seconds;
    if (readsSecondList(m_invocation.operation)) {
        std::uint64_t otherCount = 0;
        seconds = spreadInputs(m_inputs.others, m_inputs.files.size(), partitionCount, otherCount);
    }
    std::vector<Partition> partitions;
    for (std::size_t p = 0; p < partitionCount; ++p)
        partitions.push_back({firsts[p], seconds.empty() ? std::nullopt : std::optional<PartFile>(seconds[p])});
    return partitions;
}

OutOfCoreCounts OutOfCoreRun::compare(ResultSink &kept, ResultSink *removed)
{
    const std::vector<Partition> partitions = spreadBothLists();
    m_kept.assign(m_itemCount / 64 + 1, 0);
    for (std::size_t p = 0; p < partitions.size(); ++p) {
        decide(partitions[p], 0);
        m_progress.show("matching partitions", p + 1, partitions.size());
    }
    const std::uint64_t keptCount = writeKept(kept, removed);
    return {m_itemCount, keptCount, m_decodedFromUtf16};
}

ListCounts OutOfCoreRun::count()
{
    const std::vector<Partition> partitions = spreadBothLists();
    for (std::size_t p = 0; p < partitions.size(); ++p) {
        decide(partitions[p], 0);
        m_progress.show("counting partitions", p + 1, partitions.size());
    }
    m_counts.repeats = m_counts.items - m_counts.distinct;
    return m_counts;
}

OutOfCoreCounts OutOfCoreRun::filter(ResultSink &kept, ResultSink *removed)
{
    InputBatches input(m_inputs.files, m_budget.batchBytes);
    OutOfCoreCounts counts;
    KeyMaker keys(m_inputs.mode);
    const std::uint64_t total = inputBytes();
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        counts.itemsIn += batch.count();
        NullProgress progress;
        FirstFailure failure;
        ItemList gone;
        const OperationHost host{progress, failure, removed ? &gone : nullptr};
        switch (m_invocation.operation) {
        case BatchOperation::Normalize:
            replaceByKeys(batch, keys);
            break;
        case BatchOperation::RemoveBlanks:
            RemoveBlanksFromList(batch, host);
            break;
        case BatchOperation::RemoveWith:
            RemoveItemsWith(batch, m_invocation.text, host, m_inputs.mode);
            break;
        default:
            RemoveItemsWithout(batch, m_invocation.text, host, m_inputs.mode);
            break;
        }
        failure.throwIfFailed();
        counts.itemsOut += batch.count();
        kept.write(batch);
        if (removed)
            removed->write(gone);
        m_progress.show("filtering", input.bytesHandedOut(), total);
    }
    noteDecoded(input, 0);
    counts.decodedFromUtf16 = m_decodedFromUtf16;
    return counts;
}

} // namespace

OutOfCoreCounts runOutOfCore(const Invocation &invocation, const OutOfCoreInputs &inputs, SpillFolder &folder,
                             ProgressLine &progress, ResultSink &kept, ResultSink *removed)
{
    OutOfCoreRun run(invocation, inputs, folder, progress);
    if (decidesEachItemAlone(invocation.operation))
        return run.filter(kept, removed);
    return run.compare(kept, removed);
}

ListCounts countOutOfCore(const Invocation &invocation, const OutOfCoreInputs &inputs, SpillFolder &folder,
                          ProgressLine &progress, std::vector<std::size_t> &decodedFromUtf16)
{
    OutOfCoreRun run(invocation, inputs, folder, progress);
    const ListCounts counts = run.count();
    decodedFromUtf16 = run.decodedFromUtf16();
    return counts;
}

} // namespace Quorvane
