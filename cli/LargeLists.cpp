#include "LargeLists.h"

#include "RunMessages.h"
#include "BatchOutput.h"
#include "ExitStatus.h"
#include "CountReport.h"
#include "MemoryLimit.h"
#include "ProgressLine.h"
#include "ResultSinks.h"
#include "TableInputs.h"
#include "files/ListFile.h"
#include "files/ListStreamReader.h"
#include "files/RetryingCalls.h"
#include "largelists/InputBatches.h"
#include "largelists/OutOfCore.h"
#include "largelists/SpillFolder.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr std::size_t kCopyChunk = std::size_t(1) << 20;

bool isStream(const std::string &name)
{
    struct stat status {};
    return name == kStandardStream
        || (::stat(name.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode));
}

// A stream being measured: what has been read of it so far, and whether it ended.
struct StreamSource
{
    std::string name;
    int descriptor = -1;
    bool ownDescriptor = false;
    std::string bytes;
    bool ended = false;
};

[[noreturn]] void throwReadFailure(const std::string &name, int error)
{
    throwFileError(ListFileError::Stage::Read, "Cannot read", name == kStandardStream ? "standard input" : name, error);
}

// Reads up to wanted more bytes of the stream; false when it ended.
void readSome(StreamSource &source, std::uint64_t wanted)
{
    char chunk[64 << 10];
    while (wanted > 0 && !source.ended) {
        const ssize_t got = readOnce(source.descriptor, chunk, std::min<std::uint64_t>(sizeof chunk, wanted));
        if (got < 0)
            throwReadFailure(source.name, errno);
        source.ended = got == 0;
        source.bytes.append(chunk, static_cast<std::size_t>(got));
        wanted -= static_cast<std::uint64_t>(got);
    }
}

// Counts the bytes of the line a stream is in, piece by piece. A line must be held in memory
// whole: one past the memory limit can never be worked on, so a stream without an end in sight
// (/dev/zero) stops at once rather than filling the temporary disk.
class LineLength
{
public:
    LineLength(const std::string &name, std::uint64_t limit)
        : m_name(name)
        , m_limit(limit)
    {}

    void add(std::string_view bytes)
    {
        const std::size_t lastEnd = bytes.find_last_of("\r\n");
        m_length = lastEnd == std::string_view::npos ? m_length + bytes.size() : bytes.size() - lastEnd - 1;
        if (m_length > m_limit)
            throw ListFileError(ListFileError::Stage::Read, "Cannot read",
                                m_name == kStandardStream ? "standard input" : m_name,
                                "it has a line longer than the memory limit of " + std::to_string(m_limit) + " bytes");
    }

private:
    const std::string &m_name;
    std::uint64_t m_limit;
    std::uint64_t m_length = 0;
};

// Copies what was read of the stream and the rest of it into a new file of the folder.
std::string spill(StreamSource &source, SpillFolder &folder, std::uint64_t memoryLimit)
{
    const std::string path = folder.newFilePath();
    FileDescriptor file = folder.createFile(path);
    LineLength line(source.name, memoryLimit);
    const auto writeOut = [&](const std::string &bytes) {
        line.add(bytes);
        if (!writeAll(file.get(), bytes))
            throwFileError(ListFileError::Stage::Write, "Cannot write the temporary file", path,
                           errno != 0 ? errno : ENOSPC);
    };
    writeOut(source.bytes);
    while (!source.ended) {
        source.bytes.clear();
        readSome(source, kCopyChunk);
        writeOut(source.bytes);
    }
    if (::close(file.release()) != 0)
        throwFileError(ListFileError::Stage::Write, "Cannot write the temporary file", path, errno);
    return path;
}

class StreamSources
{
public:
    StreamSources(const Invocation &invocation, const Streams &streams)
    {
        for (const auto *names : {&invocation.files, &invocation.others}) {
            for (const std::string &name : *names) {
                if (isStream(name))
                    open(name, streams);
            }
        }
    }
    ~StreamSources()
    {
        for (const StreamSource &source : m_sources) {
            if (source.ownDescriptor)
                ::close(source.descriptor);
        }
    }
    StreamSources(const StreamSources &) = delete;
    StreamSources &operator=(const StreamSources &) = delete;

    // Reads the streams whole while together they stay within budget bytes; false when they
    // hold more.
    bool readWithin(std::uint64_t budget)
    {
        for (StreamSource &source : m_sources) {
            readSome(source, budget + 1);
            if (!source.ended)
                return false;
            budget -= std::min<std::uint64_t>(budget, source.bytes.size());
        }
        return true;
    }

    void handOver(PrereadSources &preread)
    {
        for (StreamSource &source : m_sources) {
            auto block = std::make_unique<ByteBlock>(source.bytes.size());
            std::memcpy(block->data(), source.bytes.data(), source.bytes.size());
            preread[source.name] = std::move(block);
        }
    }

    // The names with every stream replaced by its copy in the folder.
    void spillInto(SpillFolder &folder, OutOfCoreInputs &inputs)
    {
        inputs.spills = &folder;
        for (StreamSource &source : m_sources) {
            const std::string path = spill(source, folder, inputs.memoryLimit);
            for (auto *names : {&inputs.files, &inputs.others})
                std::replace(names->begin(), names->end(), source.name, path);
        }
    }

private:
    void open(const std::string &name, const Streams &streams)
    {
        StreamSource source;
        source.name = name;
        if (name == kStandardStream) {
            source.descriptor = streams.input;
        } else {
            source.descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
            if (source.descriptor < 0)
                throwFileError(ListFileError::Stage::Open, "Cannot open", name, errno);
            source.ownDescriptor = true;
        }
        m_sources.push_back(std::move(source));
    }

    std::vector<StreamSource> m_sources;
};

// The first line end of the first input, which sets the output's as in memory.
LineEnd firstLineEndOf(const OutOfCoreInputs &inputs)
{
    const std::string &path = inputs.files.front();
    const FileDescriptor file = openListInput(path, inputs.spills);
    ListStreamReader reader(file.get(), path);
    while (!reader.atEnd() && reader.format().firstLineEnd == LineEnd::None)
        reader.nextBatch();
    return reader.format().firstLineEnd;
}

// places: in the files followed by the others.
void printDecodedInputs(const Invocation &invocation, const Streams &streams, const std::vector<std::size_t> &places)
{
    for (const std::size_t place : places) {
        const std::string &name = place < invocation.files.size() ? invocation.files[place]
                                                                  : invocation.others[place - invocation.files.size()];
        printDecodedFromUtf16(invocation, streams, shownInputName(name));
    }
}

constexpr std::size_t kTableStartBytes = std::size_t(1) << 20;

// Reads the first rows of each input of one list as a table: checks the headers, and returns the
// first input's first rows, from which the key column may be found.
ItemList firstRowsOf(const std::vector<std::string> &paths, const std::vector<std::string> &names, ListTable &table,
                     const SpillFolder *spills)
{
    std::optional<ItemList> firstRows;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const FileDescriptor file = openListInput(paths[i], spills);
        const std::string name = names[i] == kStandardStream ? "standard input" : names[i];
        ListStreamReader reader(file.get(), name, kTableStartBytes);
        ItemList lines = reader.nextBatch();
        ListFileContents rows = table.rowsOf({std::move(lines), reader.format()}, name);
        if (!firstRows)
            firstRows.emplace(std::move(rows.list));
    }
    return firstRows ? std::move(*firstRows) : ItemList();
}

// Makes the out-of-core run read rows of tables and compare each list on its key column;
// returns the header row, which the results start with.
std::optional<std::string> prepareTables(const Invocation &invocation, const Streams &streams, OutOfCoreInputs &inputs)
{
    ListTable files(invocation, ListTable::Side::Files, true);
    ListTable others(invocation, ListTable::Side::Others, true);
    const ItemList firstRows = firstRowsOf(inputs.files, invocation.files, files, inputs.spills);
    inputs.mode.field = files.chooseKey(firstRows.texts(), streams);
    if (!inputs.others.empty()) {
        const ItemList otherFirstRows = firstRowsOf(inputs.others, invocation.others, others, inputs.spills);
        inputs.mode.otherField = others.chooseKey(otherFirstRows.texts(), streams);
    }
    inputs.rows = true;
    inputs.headerRows = !invocation.noHeader;
    return files.header();
}

void printShortRowsOf(const Invocation &invocation, const Streams &streams, const OutOfCoreInputs &inputs,
                      const OutOfCoreCounts &notes)
{
    if (!inputs.rows)
        return;
    printShortRows(invocation, streams, ListTable::Side::Files, notes.shortRows, inputs.mode.field);
    printShortRows(invocation, streams, ListTable::Side::Others, notes.otherShortRows, inputs.mode.otherField);
}

int runOutOfCoreAndWrite(const Invocation &invocation, OutOfCoreInputs &inputs, const Streams &streams,
                         const InputWatch &watch, StreamSources &sources, SpillFolder &folder)
{
    sources.spillInto(folder, inputs);
    const std::optional<std::string> header =
        invocation.readsTables() ? prepareTables(invocation, streams, inputs) : std::nullopt;
    ProgressLine progress(streams.errors);
    const LineEnd lineEnd = outputLineEnd(invocation.lineEnd, firstLineEndOf(inputs));
    if (invocation.operation == Operation::Count) {
        OutOfCoreCounts notes;
        const ListCounts counts = countOutOfCore(inputs, folder, progress, notes);
        watch.checkUnchanged();
        printDecodedInputs(invocation, streams, notes.decodedFromUtf16);
        printShortRowsOf(invocation, streams, inputs, notes);
        BatchOutput(invocation, streams, lineEnd).writeText(countReport(counts, !invocation.others.empty(), invocation.json));
        return kExitSuccess;
    }
    ResultOutputs outputs(invocation, streams, lineEnd);
    if (header) {
        ItemList headerRow;
        headerRow.append(*header);
        outputs.kept().write(headerRow.texts());
        if (outputs.removed())
            outputs.removed()->write(headerRow.texts());
    }
    const OutOfCoreCounts counts = runOutOfCore(invocation.operation, invocation.searchText(), inputs, folder, progress,
                                                 outputs.kept(), outputs.removed());
    watch.checkUnchanged();
    outputs.commit();
    printDecodedInputs(invocation, streams, counts.decodedFromUtf16);
    printShortRowsOf(invocation, streams, inputs, counts);
    printSummary(invocation, streams, counts.itemsIn, counts.itemsOut, counts.severalAddresses);
    printRefusals(invocation, streams, counts.refusals);
    return kExitSuccess;
}

} // namespace

std::uint64_t regularFileBytes(const Invocation &invocation)
{
    std::uint64_t total = 0;
    for (const auto *names : {&invocation.files, &invocation.others}) {
        for (const std::string &name : *names) {
            struct stat status {};
            if (name != kStandardStream && ::stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode))
                total += static_cast<std::uint64_t>(status.st_size);
        }
    }
    return total;
}

std::optional<int> runIfLargerThanMemory(const Invocation &invocation, const Streams &streams,
                                         const InputWatch &watch, PrereadSources &preread)
{
    OutOfCoreInputs inputs{invocation.memoryLimit.value_or(defaultMemoryLimit()), invocation.mode, invocation.files,
                           invocation.others};
    const bool keysDiffer = !invocation.mode.isExact() || invocation.readsTables();
    const std::uint64_t regularNeed = inMemoryEstimate(regularFileBytes(invocation), keysDiffer);
    StreamSources sources(invocation, streams);
    if (regularNeed <= inputs.memoryLimit) {
        // What is left of the limit, in bytes of stream the in-memory run could hold.
        if (sources.readWithin(inputBytesWithin(inputs.memoryLimit - regularNeed, keysDiffer))) {
            sources.handOver(preread);
            return std::nullopt;
        }
    }
    if (invocation.operation == Operation::Compare)
        throw std::runtime_error("compare needs both lists in memory, and they need more than the memory limit of "
                                 + std::to_string(inputs.memoryLimit) + " bytes");
    SpillFolder folder;
    return runOutOfCoreAndWrite(invocation, inputs, streams, watch, sources, folder);
}

} // namespace Quorvane
