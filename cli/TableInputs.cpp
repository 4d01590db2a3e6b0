#include "TableInputs.h"

#include "files/ListFileError.h"

#include "engine/KeyColumn.h"
#include "engine/KeyField.h"

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
        checkColumnsAlike(table.columnNames, name);
    }
    return std::move(table.contents);
}

// Another input of the list may name the same columns in another order only when --key names
// the key column and it stands at the same place: the list has one key column, and each row
// keeps its own order.
void ListTable::checkColumnsAlike(const std::vector<std::string> &names, const std::string &name) const
{
    std::vector<std::string> sorted = names;
    std::vector<std::string> firstSorted = m_columnNames;
    std::sort(sorted.begin(), sorted.end());
    std::sort(firstSorted.begin(), firstSorted.end());
    const auto fail = [&](const std::string &reason) {
        throw ListFileError(ListFileError::Stage::Read, "Cannot read", name, reason);
    };
    if (sorted != firstSorted)
        fail("has another header than \"" + *m_firstName + "\": the inputs of a list must share one header");
    const std::optional<std::size_t> column = m_key ? columnNamed(names, *m_key) : std::nullopt;
    if (!column || column != columnNamed(m_columnNames, *m_key))
        fail("has the columns of \"" + *m_firstName + "\" in another order: that needs --key naming a column that "
             "stands at the same place in both");
}

KeyField ListTable::chooseKey(std::span<const std::string_view> rows, const Streams &streams) const
{
    const char delimiter = this->delimiter();
    if (m_key) {
        const std::optional<std::size_t> column = columnNamed(m_columnNames, *m_key);
        if (!column)
            throwNoColumn("no column \"" + *m_key + "\""
                          + (m_columnNames.empty() ? "" : "; the header has " + listedNames(m_columnNames)));
        return {*column, delimiter};
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
    std::string scratch;
    const auto isShort = [&](std::string_view row) { return !fieldText(row, field, scratch); };
    printShortRows(invocation, streams, side, static_cast<std::uint64_t>(std::count_if(rows.begin(), rows.end(), isShort)),
                   field);
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
