#include "Batch.h"

#include "engine/Operations.h"
#include "files/ListFile.h"

#include <cstdio>
#include <new>
#include <optional>

#include <unistd.h>

namespace Quorvane {

namespace {

constexpr int kFailure = 1;

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

ItemList readOneSource(const std::string &name)
{
    if (name == kStandardStream)
        return readListFromDescriptor(STDIN_FILENO, "standard input");
    return readListFile(name);
}

ItemList readSources(const std::vector<std::string> &names)
{
    ItemList list;
    for (const std::string &name : names)
        list.appendList(readOneSource(name));
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

void writeResult(const ItemList &list, const std::optional<std::string> &output)
{
    if (output && *output != kStandardStream)
        writeListFile(list, *output);
    else
        writeListToDescriptor(list, STDOUT_FILENO, "standard output");
}

void printFailure(const std::string &message)
{
    std::fprintf(stderr, "quorvane-cli: %s\n", message.c_str());
}

} // namespace

int runBatch(const Invocation &invocation)
{
    try {
        ItemList first = readSources(invocation.files);
        const ItemList second = readSources(invocation.others);
        const std::size_t itemsIn = first.count();

        NullProgress progress;
        RecordingReporter reporter;
        runOperation(invocation, first, second, OperationHost{progress, reporter});
        if (reporter.failure()) {
            printFailure(*reporter.failure());
            return kFailure;
        }
        writeResult(first, invocation.output);
        std::fprintf(stderr, "%zu items in, %zu items out\n", itemsIn, first.count());
        return 0;
    } catch (const std::bad_alloc &) {
        printFailure("not enough memory for these lists");
    } catch (const std::exception &error) {
        printFailure(error.what());
    }
    return kFailure;
}

} // namespace Quorvane
