#include "Batch.h"

#include "BatchOutput.h"
#include "CountReport.h"
#include "ExitStatus.h"
#include "InputMapping.h"
#include "LargeLists.h"
#include "LineFilter.h"
#include "ResultSinks.h"
#include "RunMessages.h"
#include "TableInputs.h"

#include "engine/AddressVerdict.h"
#include "engine/AddressList.h"
#include "engine/Operations.h"
#include "engine/Overlap.h"
#include "engine/Seams.h"
#include "files/ListFile.h"

#include <algorithm>
#include <exception>
#include <iterator>
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
        // Only the summary tells them.
        if (m_invocation.mode.readsAddresses() && !m_invocation.quiet)
            m_severalAddresses = countSeveralAddresses(m_first.texts(), m_mode.field)
                + countSeveralAddresses(m_second.texts(), m_mode.otherField);
        passSeam(Seam::InputsRead);
    }

    void changeList()
    {
        m_activity = std::string(operationInfo(m_invocation.operation).description());
        NullProgress progress;
        RethrowingReporter reporter;
        if (m_invocation.removed)
            m_removed.emplace();
        runOperation(OperationHost{progress, reporter, m_removed ? &*m_removed : nullptr, &m_refusals});
        reporter.rethrowFailure();
    }

    void writeResults()
    {
        m_activity = "write the lists";
        // The kept items are read from the mapped inputs while they are written: the inputs are
        // compared with what they were first once everything is written, before any file is in place.
        m_itemsOut = m_first.count();
        const std::optional<ItemList> header = headingOf(m_firstTable);
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

    // The filters that decide each line alone: each input goes from its text straight to the
    // outputs, which are put in place once every input is read, as the in-memory run does.
    void filterEachLine(PrereadSources &preread)
    {
        m_preread = &preread;
        const LineFilter filter(m_invocation);
        std::optional<ResultOutputs> outputs;
        for (const std::string &name : m_invocation.files) {
            const std::string shown = shownInputName(name);
            m_activity = "read " + shown;
            const ListFileContents contents = readSource(name, name == kStandardStream, Lines::Whole);
            if (contents.format.decodedFromUtf16())
                printDecodedFromUtf16(m_invocation, m_streams, shown);
            if (!outputs)
                outputs.emplace(m_invocation, m_streams, outputLineEnd(m_invocation.lineEnd, contents.format.firstLineEnd));
            m_activity = std::string(operationInfo(m_invocation.operation).description());
            const std::string_view text = contents.list.isEmpty() ? std::string_view() : contents.list.text(0);
            const LineCounts counts = filter.filter(text, outputs->kept(), outputs->removed());
            m_itemsIn += counts.itemsIn;
            m_itemsOut += counts.itemsOut;
        }
        m_activity = "write the lists";
        if (!outputs)
            outputs.emplace(m_invocation, m_streams, outputLineEnd(m_invocation.lineEnd, LineEnd::None));
        m_watch.checkUnchanged();
        outputs->commit();
    }

    void printSummary() const
    {
        Quorvane::printSummary(m_invocation, m_streams, m_itemsIn, m_itemsOut, m_severalAddresses);
        printRefusals(m_invocation, m_streams, m_refusals);
    }
    // compare: finds where every item of both lists belongs in one pass, writes the parts asked
    // for and tells how many items each part holds.
    void writeParts()
    {
        m_activity = "compare the lists";
        NullProgress progress;
        const Overlap overlap = findOverlap(m_first.texts(), m_second.texts(), m_mode, progress);
        const ItemList inBoth = partOf(m_first, overlap.firstShared.get(), true, m_invocation.inBoth);
        const ItemList onlyInOther = partOf(m_second, overlap.secondShared.get(), false, m_invocation.onlyInOther);
        // What stays of the list is only in it: taken in place, as subtract takes it.
        if (m_invocation.onlyInList)
            m_first.removeFlagged({overlap.firstShared.get(), m_first.count()});
        m_activity = "write the lists";
        // Rows of tables go under the header of the list they come from.
        const std::optional<ItemList> firstHeading = headingOf(m_firstTable);
        const std::optional<ItemList> secondHeading = headingOf(m_secondTable);
        const ItemList *first = firstHeading ? &*firstHeading : nullptr;
        const BatchOutput::ListOutput parts[] = {{m_first, m_invocation.onlyInList, first},
                                                 {inBoth, m_invocation.inBoth, first},
                                                 {onlyInOther, m_invocation.onlyInOther,
                                                  secondHeading ? &*secondHeading : nullptr}};
        std::vector<BatchOutput::ListOutput> asked;
        std::copy_if(std::begin(parts), std::end(parts), std::back_inserter(asked),
                     [](const BatchOutput::ListOutput &part) { return part.path.has_value(); });
        output().writeListsTo(asked, [this] { m_watch.checkUnchanged(); });
        printOverlapCounts(m_invocation, m_streams, overlap.counts);
    }


private:
    BatchOutput output() const
    {
        return BatchOutput(m_invocation, m_streams,
                           outputLineEnd(m_invocation.lineEnd, m_firstInputLineEnd.value_or(LineEnd::None)));
    }

    // A table's header row, written once at the top of each file of the list's rows.
    static std::optional<ItemList> headingOf(const std::optional<ListTable> &table)
    {
        if (!table || !table->header())
            return std::nullopt;
        std::optional<ItemList> heading(std::in_place);
        heading->append(*table->header());
        return heading;
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

    ListFileContents readSource(const std::string &name, bool isStandardInput, Lines lines = Lines::Split)
    {
        if (const auto found = m_preread->find(name); found != m_preread->end())
            return parseListBytes(std::move(found->second), lines);
        if (isStandardInput)
            return readListFromDescriptor(m_streams.input, "standard input", {}, lines);
        return m_mapping.read(name, lines);
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

    // The items of list whose flag is shared, or nothing when no path asks for them.
    static ItemList partOf(const ItemList &list, const bool *flags, bool shared, const std::optional<std::string> &path)
    {
        return path ? itemsFlagged(list, flags, shared) : ItemList();
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
    RefusalCounts m_refusals;
    MatchMode m_mode; // the invocation's, with each list's key field once the tables are read
    std::optional<ListTable> m_firstTable;
    std::optional<ListTable> m_secondTable;
    std::optional<LineEnd> m_firstInputLineEnd;
    std::size_t m_itemsIn = 0;
    std::size_t m_itemsOut = 0;
    std::size_t m_severalAddresses = 0;
};

std::uint64_t prereadBytes(const PrereadSources &preread)
{
    std::uint64_t bytes = 0;
    for (const auto &[name, block] : preread)
        bytes += block->size();
    return bytes;
}

} // namespace

int runBatch(const Invocation &invocation, const Streams &streams, const InputWatch &watch)
{
    BatchRun run(invocation, streams, watch);
    try {
        PrereadSources preread;
        if (const std::optional<int> status = runIfLargerThanMemory(invocation, streams, watch, preread))
            return *status;
        if (filtersLinesAlone(invocation, regularFileBytes(invocation) + prereadBytes(preread))) {
            run.filterEachLine(preread);
            run.printSummary();
            return kExitSuccess;
        }
        run.readInputs(preread);
        if (invocation.operation == Operation::Count) {
            run.printCounts();
            return kExitSuccess;
        }
        if (invocation.operation == Operation::Compare) {
            run.writeParts();
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
