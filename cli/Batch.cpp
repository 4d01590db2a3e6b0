#include "Batch.h"

#include "BatchTool.h"
#include "LargeLists.h"

#include "engine/Operations.h"
#include "files/ListFile.h"

#include <new>
#include <optional>

namespace Quorvane {

namespace {

// Keeps the first failure an operation reports, so the run ends without writing anything.
class RecordingReporter final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override
    {
        if (!m_failure)
            m_failure = report.procedure + ": " + report.description;
    }
    const std::optional<std::string> &failure() const { return m_failure; }

private:
    std::optional<std::string> m_failure;
};

ItemList readOneSource(const std::string &name, const Streams &streams, PrereadSources &preread)
{
    if (const auto found = preread.find(name); found != preread.end())
        return parseListBytes(std::move(found->second)).list;
    if (name == kStandardStream)
        return readListFromDescriptor(streams.input, "standard input").list;
    return readListFile(name, Readable::AnySource).list;
}

ItemList readSources(const std::vector<std::string> &names, const Streams &streams, PrereadSources &preread)
{
    ItemList list;
    for (const std::string &name : names)
        list.appendList(readOneSource(name, streams, preread));
    return list;
}

void runOperation(const Invocation &invocation, ItemList &first, const ItemList &second,
                  const OperationHost &host)
{
    switch (invocation.operation) {
    case BatchOperation::DedupeFirst:
        return RemoveDupesExceptFirst(first, host);
    case BatchOperation::DedupeLast:
        return RemoveDupesAll(first, host);
    case BatchOperation::RemoveBlanks:
        return RemoveBlanksFromList(first, host);
    case BatchOperation::RemoveWith:
        return RemoveItemsWith(first, invocation.text, host);
    case BatchOperation::RemoveWithout:
        return RemoveItemsWithout(first, invocation.text, host);
    case BatchOperation::Subtract:
        return SubtractSecondListFromFirstList(first, second, host);
    case BatchOperation::KeepMatches:
        return KeepOnlyMatchesInList(first, second, host);
    }
}

void writeResult(const ItemList &list, const std::optional<std::string> &output, const Streams &streams)
{
    if (output && *output != kStandardStream)
        writeListFile(list, *output);
    else
        writeListToDescriptor(list, streams.output, "standard output");
}

} // namespace

std::string summaryLine(std::uint64_t itemsIn, std::uint64_t itemsOut)
{
    return std::to_string(itemsIn) + " items in, " + std::to_string(itemsOut) + " items out\n";
}

int runBatch(const Invocation &invocation, const Streams &streams)
{
    try {
        PrereadSources preread;
        if (const std::optional<int> status = runIfLargerThanMemory(invocation, streams, preread))
            return *status;
        ItemList first = readSources(invocation.files, streams, preread);
        const ItemList second = readSources(invocation.others, streams, preread);
        const std::size_t itemsIn = first.count();

        NullProgress progress;
        RecordingReporter reporter;
        runOperation(invocation, first, second, OperationHost{progress, reporter});
        if (reporter.failure()) {
            printProblem(streams, *reporter.failure());
            return kExitFailure;
        }
        writeResult(first, invocation.output, streams);
        writeAll(streams.errors, summaryLine(itemsIn, first.count()));
        return kExitSuccess;
    } catch (const std::bad_alloc &) {
        printProblem(streams, "not enough memory for these lists");
    } catch (const std::exception &error) {
        printProblem(streams, error.what());
    }
    return kExitFailure;
}

} // namespace Quorvane
