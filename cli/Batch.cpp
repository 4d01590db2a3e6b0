#include "Batch.h"

#include "BatchOutput.h"
#include "CountReport.h"
#include "ExitStatus.h"
#include "InputMapping.h"
#include "LargeLists.h"
#include "RunMessages.h"
#include "TableInputs.h"

#include "engine/Operations.h"
#include "engine/Seams.h"
#include "files/ListFile.h"

#include <exception>
#include <new>
#include <optional>

namespace Quorvane {

namespace {

// One run, step by step: read the inputs, change the list, write the results. Each step says
// what it is doing, so that running out of memory is told in the tool's own words.
class BatchRun
{
public:
    BatchRun(const Invocation &invocation, const Streams &streams, const InputWatch &watch)
        : m_invocation(invocation)
        , m_streams(streams)
        , m_watch(watch)
        , m_mapping(invocation, streams)
        , m_mode(invocation.mode)
    {
        if (invocation.readsTables()) {
            m_firstTable.emplace(invocation, ListTable::Side::Files);
            m_secondTable.emplace(invocation, ListTable::Side::Others);
        }
    }

    const std::string &activity() const { return m_activity; }

    // Reads what was not read already while measuring whether the lists fit in memory.
    void readInputs(PrereadSources &preread)
    {
        m_preread = &preread;
        readSources(m_invocation.files, m_first, m_firstTable);
        readSources(m_invocation.others, m_second, m_secondTable);
        if (m_firstTable)
            chooseKeys();
        m_itemsIn = m_first.count();
        passSeam(Seam::InputsRead);
    }

    void changeList()
    {
        m_activity = std::string(operationInfo(m_invocation.operation).description());
        NullProgress progress;
        RethrowingReporter reporter;
        if (m_invocation.removed)
            m_removed.emplace();
        runOperation(OperationHost{progress, reporter, m_removed ? &*m_removed : nullptr});
        reporter.rethrowFailure();
    }

    void writeResults()
    {
        m_activity = "write the lists";
        // The kept items are read from the mapped inputs while they are written: the inputs are
        // compared with what they were first once everything is written, before any file is in place.
        m_itemsOut = m_first.count();
        // A table's header row once, at the top of each file.
        std::optional<ItemList> header;
        if (m_firstTable && m_firstTable->header()) {
            header.emplace();
            header->append(*m_firstTable->header());
        }
        output().writeLists(m_first, m_removed ? &*m_removed : nullptr, [this] { m_watch.checkUnchanged(); },
                            header ? &*header : nullptr);
    }

    void printCounts()
    {
        m_activity = std::string(operationInfo(Operation::Count).description());
        NullProgress progress;
        const bool againstOther = !m_invocation.others.empty();
        const ListCounts counts = againstOther ? countItems(m_first, m_second, m_mode, progress)
                                               : countItems(m_first, m_mode, progress);
        m_watch.checkUnchanged();
        output().writeText(countReport(counts, againstOther, m_invocation.json));
    }

    void printSummary() const { Quorvane::printSummary(m_invocation, m_streams, m_itemsIn, m_itemsOut); }

private:
    BatchOutput output() const
    {
        return BatchOutput(m_invocation, m_streams,
                           outputLineEnd(m_invocation.lineEnd, m_firstInputLineEnd.value_or(LineEnd::None)));
    }

    void chooseKeys()
    {
        m_mode.field = m_firstTable->chooseKey(m_first.texts(), m_streams);
        if (!m_invocation.others.empty())
            m_mode.otherField = m_secondTable->chooseKey(m_second.texts(), m_streams);
        printShortRows(m_invocation, m_streams, ListTable::Side::Files, m_first.texts(), m_mode.field);
        if (!m_invocation.others.empty())
            printShortRows(m_invocation, m_streams, ListTable::Side::Others, m_second.texts(), m_mode.otherField);
    }

    void readSources(const std::vector<std::string> &names, ItemList &list, std::optional<ListTable> &table)
    {
        for (const std::string &name : names) {
            const bool isStandardInput = name == kStandardStream;
            const std::string shown = shownInputName(name);
            m_activity = "read " + shown;
            if (table) {
                const std::string tableName = isStandardInput ? "standard input" : name;
                appendSource(list, shown, table->rowsOf(readSource(name, isStandardInput), tableName));
            } else {
                appendSource(list, shown, readSource(name, isStandardInput));
            }
        }
    }

    ListFileContents readSource(const std::string &name, bool isStandardInput)
    {
        if (const auto found = m_preread->find(name); found != m_preread->end())
            return parseListBytes(std::move(found->second));
        if (isStandardInput)
            return readListFromDescriptor(m_streams.input, "standard input");
        return m_mapping.read(name);
    }

    void appendSource(ItemList &list, const std::string &shown, ListFileContents contents)
    {
        if (contents.format.decodedFromUtf16())
            printDecodedFromUtf16(m_invocation, m_streams, shown);
        if (!m_firstInputLineEnd)
            m_firstInputLineEnd = contents.format.firstLineEnd;
        list.appendList(std::move(contents.list));
    }

    void runOperation(const OperationHost &host)
    {
        if (const auto change = operationRow(m_invocation.operation).change)
            change({m_first, m_second, m_invocation.searchText(), host, m_mode});
    }

    const Invocation &m_invocation;
    const Streams &m_streams;
    const InputWatch &m_watch;
    InputMapping m_mapping; // before the lists, so that it outlives them
    std::string m_activity = "read the lists";
    PrereadSources *m_preread = nullptr;
    ItemList m_first;
    ItemList m_second;
    std::optional<ItemList> m_removed;
    MatchMode m_mode; // the invocation's, with each list's key field once the tables are read
    std::optional<ListTable> m_firstTable;
    std::optional<ListTable> m_secondTable;
    std::optional<LineEnd> m_firstInputLineEnd;
    std::size_t m_itemsIn = 0;
    std::size_t m_itemsOut = 0;
};

} // namespace

int runBatch(const Invocation &invocation, const Streams &streams, const InputWatch &watch)
{
    BatchRun run(invocation, streams, watch);
    try {
        PrereadSources preread;
        if (const std::optional<int> status = runIfLargerThanMemory(invocation, streams, watch, preread))
            return *status;
        run.readInputs(preread);
        if (invocation.operation == Operation::Count) {
            run.printCounts();
            return kExitSuccess;
        }
        run.changeList();
        run.writeResults();
        run.printSummary();
        return kExitSuccess;
    } catch (const ReaderGone &) {
    } catch (const std::bad_alloc &) {
        printProblem(streams, "not enough memory to " + run.activity());
    } catch (const std::exception &error) {
        // Whatever failed, an input that changed meanwhile is the reason to tell.
        const std::optional<std::string> changed = watch.firstChanged();
        printProblem(streams, changed ? InputChanged(*changed).what() : failureMessage(invocation, error));
    }
    return kExitFailure;
}

} // namespace Quorvane
