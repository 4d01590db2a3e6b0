#include "TableInputs.h"

#include "files/ListFileError.h"

#include "engine/KeyColumn.h"
#include "engine/KeyField.h"
#include "engine/Workers.h"

#include <algorithm>

namespace Quorvane {

namespace {

TableOptions tableOptionsOf(const Invocation &invocation)
{
    // --tsv means tabs; --csv finds the delimiter in the first row unless --delimiter names it.
    const std::optional<char> tab = invocation.tsv ? std::optional<char>('\t') : std::nullopt;
    return {.delimiter = invocation.delimiter ? invocation.delimiter : tab, .hasHeader = !invocation.noHeader};
}

std::string listedNames(const std::vector<std::string> &names)
{
    std::string listed;
    for (const std::string &name : names)
        listed += (listed.empty() ? "\"" : ", \"") + name + '"';
    return listed;
}

std::string whichList(ListTable::Side side)
{
    return side == ListTable::Side::Others ? " the --other FILEs" : "";
}

} // namespace

ListTable::ListTable(const Invocation &invocation, Side side, bool firstLinesOnly)
    : m_options(tableOptionsOf(invocation))
    , m_key(side == Side::Files ? invocation.key : invocation.otherKey)
    , m_side(side)
    , m_quiet(invocation.quiet)
{
    m_options.firstLinesOnly = firstLinesOnly;
}

ListFileContents ListTable::rowsOf(ListFileContents lines, const std::string &name)
{
    Table table = tableOf(std::move(lines), m_options, name);
    if (!m_firstName) {
        m_firstName = name;
        m_options.delimiter = table.delimiter; // the later inputs of the list are read alike
        m_header = std::move(table.header);
        m_columnNames = std::move(table.columnNames);
    } else if (table.columnNames != m_columnNames) {
        noteColumnsElsewhere(table, name);
    }
    return std::move(table.contents);
}

// Another input of the list may name the same columns in another order when --key names the
// key column: each row keeps its own order, and the rows of that input are compared on the
// column its header gives that name.
void ListTable::noteColumnsElsewhere(const Table &table, const std::string &name)
{
    std::vector<std::string> sorted = table.columnNames;
    std::vector<std::string> firstSorted = m_columnNames;
    std::sort(sorted.begin(), sorted.end());
    std::sort(firstSorted.begin(), firstSorted.end());
    const auto fail = [&](const std::string &reason) {
        throw ListFileError(ListFileError::Stage::Read, "Cannot read", name, reason);
    };
    const std::string inAnotherOrder = "has the columns of \"" + *m_firstName + "\" in another order: ";
    if (sorted != firstSorted)
        fail("has another header than \"" + *m_firstName + "\": the inputs of a list must share one header");
    if (!m_key)
        fail(inAnotherOrder + "that needs --key naming the column to compare");
    const std::optional<std::size_t> first = columnNamed(m_columnNames, *m_key);
    if (!first)
        return; // chooseKey says the first input has no such column
    const auto named = std::find(table.columnNames.begin(), table.columnNames.end(), m_columnNames[*first - 1]);
    const std::size_t column = static_cast<std::size_t>(named - table.columnNames.begin()) + 1;
    if (column == *first)
        return;
    if (m_options.firstLinesOnly)
        fail(inAnotherOrder + "a list larger than memory needs one order of columns in all its inputs");
    for (const std::shared_ptr<const ByteBlock> &block : table.contents.list.blocks())
        m_columnsElsewhere.push_back({block->data(), block->data() + block->size(), column});
}

KeyField ListTable::chooseKey(std::span<const std::string_view> rows, const Streams &streams) const
{
    const char delimiter = this->delimiter();
    if (m_key) {
        const std::optional<std::size_t> column = columnNamed(m_columnNames, *m_key);
        if (!column)
            throwNoColumn("no column \"" + *m_key + "\""
                          + (m_columnNames.empty() ? "" : "; the header has " + listedNames(m_columnNames)));
        KeyField field{*column, delimiter};
        if (!m_columnsElsewhere.empty())
            field.elsewhere = &m_columnsElsewhere;
        return field;
    }
    if (rows.empty())
        return {1, delimiter};
    const std::optional<std::size_t> found = mostAddressLikeColumn(rows, delimiter);
    if (!found)
        throwNoColumn("no column looks like e-mail addresses: name one with --key");
    if (!m_quiet) {
        const std::size_t index = *found - 1;
        const std::string name = index < m_columnNames.size() ? ", '" + m_columnNames[index] + "'" : "";
        printProblem(streams, "comparing" + whichList(m_side) + " on column " + std::to_string(*found) + name);
    }
    return {*found, delimiter};
}

void ListTable::throwNoColumn(const std::string &reason) const
{
    throw ListFileError(ListFileError::Stage::Read, "Cannot read", m_firstName.value_or(std::string()), reason);
}

void printShortRows(const Invocation &invocation, const Streams &streams, ListTable::Side side,
                    std::span<const std::string_view> rows, const KeyField &field)
{
    if (invocation.quiet)
        return;
    // A pass over every row before the operation: on a long table, each core takes half of it.
    std::uint64_t count = 0;
    for (const auto &[share, shortRows] : runOnHalves(rows.size(), [&](Share share) {
             std::string scratch;
             const auto isShort = [&](std::string_view row) { return !fieldText(row, field, scratch); };
             const std::span<const std::string_view> part = rows.subspan(share.begin, share.end - share.begin);
             return static_cast<std::uint64_t>(std::count_if(part.begin(), part.end(), isShort));
         }))
        count += shortRows;
    printShortRows(invocation, streams, side, count, field);
}

void printShortRows(const Invocation &invocation, const Streams &streams, ListTable::Side side, std::uint64_t count,
                    const KeyField &field)
{
    if (!invocation.quiet && count > 0)
        printProblem(streams, std::to_string(count) + (count == 1 ? " row" : " rows")
                                  + (side == ListTable::Side::Others ? " of the --other FILEs" : "")
                                  + " had no column " + std::to_string(field.column) + ": compared as blank");
}

} // namespace Quorvane
