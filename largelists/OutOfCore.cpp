#include "OutOfCore.h"

#include "InputBatches.h"
#include "KeyTable.h"
#include "Partitioning.h"
#include "SpillFolder.h"
#include "StageProgress.h"
#include "StreamingFilters.h"
#include "engine/AddressVerdict.h"
#include "engine/AddressList.h"
#include "engine/Seams.h"
#include "files/ListFile.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

#include <sys/stat.h>

namespace Quorvane {

namespace {

constexpr std::size_t kMostPartitions = 256;
constexpr int kMostLevels = 4;
// What one spilled item costs while its partition is decided, besides its key's bytes: its
// table slot at the lowest fill and while the table doubles.
constexpr std::uint64_t kTableBytesPerItem = 3 * sizeof(KeyTable::Entry);

// Whether the rule weighs the first list against the second, so both are partitioned.
bool weighsAgainstOther(Comparison comparison)
{
    switch (comparison) {
    case Comparison::KeepsAbsent:
    case Comparison::KeepsPresent:
    case Comparison::CountsKeys:
    case Comparison::SplitsByPresence:
        return true;
    case Comparison::None:
    case Comparison::KeepsFirstCopy:
    case Comparison::KeepsLastCopy:
        break;
    }
    return false;
}

class OutOfCoreRun
{
public:
    OutOfCoreRun(Comparison comparison, const OutOfCoreInputs &inputs, SpillFolder &folder, StageProgress &progress)
        : m_comparison(comparison)
        , m_inputs(inputs)
        , m_folder(folder)
        , m_progress(progress)
        , m_budget(inputs.memoryLimit)
    {}

    OutOfCoreCounts compare(ResultSink &kept, ResultSink *removed);
    ListCounts count();
    // What the run found out about its inputs besides its counts.
    OutOfCoreCounts inputNotes() const
    {
        OutOfCoreCounts notes;
        notes.decodedFromUtf16 = m_decodedFromUtf16;
        notes.severalAddresses = m_severalAddresses;
        notes.shortRows = m_shortRows;
        notes.otherShortRows = m_otherShortRows;
        return notes;
    }

private:
    std::size_t firstLevelPartitions() const;
    // ofOthers: the other files, read and keyed as the second list.
    std::vector<PartFile> spreadInputs(bool ofOthers, std::size_t partitionCount, std::uint64_t &itemCount);
    void noteDecoded(const InputBatches &input, std::size_t firstPlace);
    // mayBeOneKey: the split above left every item together, as one key repeated would.
    void decide(const Partition &partition, int level, bool mayBeOneKey = false);
    void decideInTable(const Partition &partition);
    void keepOneCopy(const PartFile &file);
    void keepByPresence(const Partition &partition);
    void countInTable(const Partition &partition);
    std::vector<Partition> spreadBothLists();
    void splitAndDecide(const Partition &partition, int level);
    std::uint64_t costOf(const Partition &partition) const;
    void removeFiles(const Partition &partition);
    void markKept(std::uint64_t position) { m_kept[position / 64] |= std::uint64_t(1) << (position % 64); }
    bool isKept(std::uint64_t position) const { return (m_kept[position / 64] >> (position % 64)) & 1; }
    std::uint64_t writeKept(ResultSink &kept, ResultSink *removed);

    Comparison m_comparison;
    const OutOfCoreInputs &m_inputs;
    SpillFolder &m_folder;
    StageProgress &m_progress;
    Budget m_budget;
    std::uint64_t m_itemCount = 0;
    std::vector<std::uint64_t> m_kept; // one bit per item of the first list
    std::vector<std::size_t> m_decodedFromUtf16;
    std::uint64_t m_shortRows = 0;
    std::uint64_t m_otherShortRows = 0;
    PartialCounts m_counts;
    std::uint64_t m_severalAddresses = 0; // in the inputs of both lists
};

// Enough partitions that each one's table, estimated from the bytes, fits its budget; a
// partition the estimate got wrong is split again later.
std::size_t OutOfCoreRun::firstLevelPartitions() const
{
    const std::uint64_t wanted = inputBytes(m_inputs) * 4 / m_budget.tableBytes + 1;
    return std::bit_ceil(std::min<std::uint64_t>(wanted, kMostPartitions));
}

void OutOfCoreRun::noteDecoded(const InputBatches &input, std::size_t firstPlace)
{
    for (const std::size_t place : input.decodedFromUtf16())
        m_decodedFromUtf16.push_back(firstPlace + place);
}

std::vector<PartFile> OutOfCoreRun::spreadInputs(bool ofOthers, std::size_t partitionCount, std::uint64_t &itemCount)
{
    const MatchMode mode = ofOthers ? m_inputs.mode.forOtherList() : m_inputs.mode;
    Spreader spreader(m_folder, partitionCount, 0, m_budget.writerBuffer(partitionCount), mode);
    InputBatches input(ofOthers ? m_inputs.others : m_inputs.files, m_budget.batchBytes, m_inputs.spills,
                       rowReadingOf(m_inputs, ofOthers));
    const std::size_t firstPlace = ofOthers ? m_inputs.files.size() : 0;
    std::uint64_t position = 0;
    const std::uint64_t total = inputBytes(m_inputs);
    for (;;) {
        ItemList batch = input.next();
        if (batch.isEmpty())
            break;
        for (const std::string_view text : batch.texts())
            spreader.add({position++, text});
        if (m_inputs.mode.readsAddresses())
            m_severalAddresses += countSeveralAddresses(batch.texts(), mode.field);
        m_progress.show("spreading into partitions", input.bytesHandedOut(), total);
    }
    noteDecoded(input, firstPlace);
    (ofOthers ? m_otherShortRows : m_shortRows) = input.shortRows();
    itemCount = position;
    return spreader.finish();
}

std::uint64_t OutOfCoreRun::costOf(const Partition &partition) const
{
    const auto cost = [](const PartFile &file) { return file.textBytes + file.records * kTableBytesPerItem; };
    if (m_comparison == Comparison::CountsKeys)
        return cost(partition.first) + (partition.second ? cost(*partition.second) : 0);
    return cost(partition.second ? *partition.second : partition.first);
}

void OutOfCoreRun::removeFiles(const Partition &partition)
{
    m_folder.removeFile(partition.first.path);
    if (partition.second)
        m_folder.removeFile(partition.second->path);
}

void OutOfCoreRun::decide(const Partition &partition, int level, bool mayBeOneKey)
{
    if (costOf(partition) <= m_budget.tableBytes || mayBeOneKey || level == kMostLevels) {
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
    const std::vector<PartFile> firsts = splitPartFile(m_folder, partition.first, level + 1, m_budget, m_inputs.mode);
    std::vector<PartFile> seconds;
    if (partition.second)
        seconds = splitPartFile(m_folder, *partition.second, level + 1, m_budget, m_inputs.mode.forOtherList());
    removeFiles(partition);
    for (std::size_t p = 0; p < firsts.size(); ++p) {
        Partition part{firsts[p], partition.second ? std::optional<PartFile>(seconds[p]) : std::nullopt};
        // Items that no mixing of the hash tells apart are most likely one key repeated, whose
        // table stays small: it is tried first. A few distinct keys, too long to share a table,
        // can land together by chance too; their table fills, and the next level splits them.
        const PartFile &tableSide = part.second ? *part.second : part.first;
        const PartFile &parentSide = partition.second ? *partition.second : partition.first;
        decide(part, level + 1, tableSide.records == parentSide.records && tableSide.records > 1);
    }
}

void OutOfCoreRun::decideInTable(const Partition &partition)
{
    switch (m_comparison) {
    case Comparison::KeepsFirstCopy:
    case Comparison::KeepsLastCopy:
        return keepOneCopy(partition.first);
    case Comparison::KeepsAbsent:
    case Comparison::KeepsPresent:
        return keepByPresence(partition);
    case Comparison::CountsKeys:
        return countInTable(partition);
    case Comparison::SplitsByPresence:
        throw std::logic_error("compare runs in memory only");
    case Comparison::None:
        break;
    }
    throw std::logic_error("an operation that decides each item alone has no partitions to decide");
}

// Marks the first or the last item of every key of the partition as kept.
void OutOfCoreRun::keepOneCopy(const PartFile &file)
{
    const bool keepsLast = m_comparison == Comparison::KeepsLastCopy;
    KeyTable table(m_budget.tableBytes);
    KeyMaker keys(m_inputs.mode);
    RecordReader reader(m_folder, file, m_budget.readerBuffer);
    Record record{};
    bool inserted = false;
    while (reader.next(record)) {
        const std::string_view key = keys.keyOf(record.text);
        KeyTable::Entry &entry = table.findOrInsert(key, hashOf(key), record.position, inserted);
        if (keepsLast)
            entry.position = record.position;
        else if (inserted)
            markKept(record.position);
    }
    if (keepsLast)
        table.forEach([this](const KeyTable::Entry &entry) { markKept(entry.position); });
}

// Marks the items of the first list whose key's presence in the second is what the rule keeps;
// only the second list's distinct keys are held.
void OutOfCoreRun::keepByPresence(const Partition &partition)
{
    const bool keepsPresent = m_comparison == Comparison::KeepsPresent;
    KeyTable table(m_budget.tableBytes);
    KeyMaker keys(m_inputs.mode);
    KeyMaker otherKeys(m_inputs.mode.forOtherList());
    Record record{};
    bool inserted = false;
    RecordReader second(m_folder, *partition.second, m_budget.readerBuffer);
    while (second.next(record)) {
        const std::string_view key = otherKeys.keyOf(record.text);
        table.findOrInsert(key, hashOf(key), record.position, inserted);
    }
    RecordReader first(m_folder, partition.first, m_budget.readerBuffer);
    while (first.next(record)) {
        const std::string_view key = keys.keyOf(record.text);
        if ((table.find(key, hashOf(key)) != nullptr) == keepsPresent)
            markKept(record.position);
    }
}

// Counts what count counts of one partition; nothing of it when its table does not fit. An
// entry's position holds where its key was met in its two lowest bits, and above them how many
// items of the list have it.
void OutOfCoreRun::countInTable(const Partition &partition)
{
    constexpr std::uint64_t kInList = 1;
    constexpr std::uint64_t kInOther = 2;
    constexpr std::uint64_t kOneItemOfList = 4;
    KeyTable table(m_budget.tableBytes);
    PartialCounts part;
    std::size_t distinct = 0;
    const bool readsAddresses = m_inputs.mode.readsAddresses();
    const auto note = [&](const PartFile &file, std::uint64_t where) {
        KeyMaker keys(where == kInList ? m_inputs.mode : m_inputs.mode.forOtherList());
        RecordReader reader(m_folder, file, m_budget.readerBuffer);
        Record record{};
        bool inserted = false;
        while (reader.next(record)) {
            const std::string_view key = keys.keyOf(record.text);
            std::uint64_t &found = table.findOrInsert(key, hashOf(key), where, inserted).position;
            if (where == kInList) {
                ++part.items;
                part.blanks += key.empty() ? 1 : 0;
                if (m_inputs.mode.email
                    && judgeAddressLine(keys.fieldOf(record.text), m_inputs.mode.commonAddresses) != AddressRefusal::Valid)
                    ++part.invalid;
                part.severalAddresses += readsAddresses && holdsSeveralAddresses(keys.fieldOf(record.text)) ? 1 : 0;
                found += kOneItemOfList;
            } else {
                part.itemsOnlyInOther += found & kInList ? 0 : 1;
                found |= kInOther;
            }
        }
    };
    note(partition.first, kInList);
    if (partition.second)
        note(*partition.second, kInOther);
    table.forEach([&](const KeyTable::Entry &entry) {
        const bool inList = entry.position & kInList;
        const bool inOther = entry.position & kInOther;
        distinct += inList ? 1 : 0;
        part.shared += inList && inOther ? 1 : 0;
        part.onlyInOther += inOther && !inList ? 1 : 0;
        part.itemsShared += inList && inOther ? entry.position / kOneItemOfList : 0;
    });
    part.repeats = part.items - distinct;
    m_counts += part;
}

std::uint64_t OutOfCoreRun::writeKept(ResultSink &kept, ResultSink *removed)
{
    InputBatches input(m_inputs.files, m_budget.batchBytes, m_inputs.spills, rowReadingOf(m_inputs, false));
    std::uint64_t position = 0;
    std::uint64_t keptCount = 0;
    const std::uint64_t total = inputBytes(m_inputs);
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
        kept.write(batch.texts());
        if (removed)
            removed->write(gone.texts());
        m_progress.show("writing the result", input.bytesHandedOut(), total);
    }
    // Which input changed is for the caller to find, by comparing each with what it was first.
    if (position != m_itemCount)
        throw ListFileError(ListFileError::Stage::Read, "The list changed while it was being read");
    return keptCount;
}

std::vector<Partition> OutOfCoreRun::spreadBothLists()
{
    const std::size_t partitionCount = firstLevelPartitions();
    const std::vector<PartFile> firsts = spreadInputs(false, partitionCount, m_itemCount);
    std::vector<PartFile> seconds;
    if (weighsAgainstOther(m_comparison)) {
        std::uint64_t otherCount = 0;
        seconds = spreadInputs(true, partitionCount, otherCount);
    }
    std::vector<Partition> partitions;
    for (std::size_t p = 0; p < partitionCount; ++p)
        partitions.push_back({firsts[p], seconds.empty() ? std::nullopt : std::optional<PartFile>(seconds[p])});
    return partitions;
}

OutOfCoreCounts OutOfCoreRun::compare(ResultSink &kept, ResultSink *removed)
{
    const std::vector<Partition> partitions = spreadBothLists();
    passSeam(Seam::PartitionsSpread);
    m_kept.assign(m_itemCount / 64 + 1, 0);
    for (std::size_t p = 0; p < partitions.size(); ++p) {
        decide(partitions[p], 0);
        m_progress.show("matching partitions", p + 1, partitions.size());
    }
    passSeam(Seam::InputsRead);
    const std::uint64_t keptCount = writeKept(kept, removed);
    OutOfCoreCounts counts = inputNotes();
    counts.itemsIn = m_itemCount;
    counts.itemsOut = keptCount;
    return counts;
}

ListCounts OutOfCoreRun::count()
{
    const std::vector<Partition> partitions = spreadBothLists();
    for (std::size_t p = 0; p < partitions.size(); ++p) {
        decide(partitions[p], 0);
        m_progress.show("counting partitions", p + 1, partitions.size());
    }
    return listCountsOf(m_counts, !m_inputs.others.empty(), m_inputs.mode);
}

} // namespace

OutOfCoreCounts runOutOfCore(Operation operation, std::string_view text, const OutOfCoreInputs &inputs,
                             SpillFolder &folder, StageProgress &progress, ResultSink &kept, ResultSink *removed)
{
    const OperationRow &row = operationRow(operation);
    if (!row.change)
        throw std::invalid_argument("an operation that writes no list has no items to keep");
    if (row.decidesEachItemAlone(inputs.mode))
        return filterOutOfCore(row, text, inputs, progress, kept, removed);
    return OutOfCoreRun(row.comparison, inputs, folder, progress).compare(kept, removed);
}

ListCounts countOutOfCore(const OutOfCoreInputs &inputs, SpillFolder &folder, StageProgress &progress,
                          OutOfCoreCounts &inputNotes)
{
    OutOfCoreRun run(Comparison::CountsKeys, inputs, folder, progress);
    const ListCounts counts = run.count();
    inputNotes = run.inputNotes();
    return counts;
}

} // namespace Quorvane
