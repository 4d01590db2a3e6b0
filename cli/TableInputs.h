#pragma once

#include "CommandLine.h"
#include "Streams.h"

#include "files/TableReader.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Quorvane {

// The tables one list is read from with --csv or --tsv: each input turned into rows, the header
// of the first kept and every later one checked against it, and the column the list is compared
// on. The FILEs and the --other FILEs are two lists, each with its own header and key column.
class ListTable
{
public:
    enum class Side { Files, Others };

    // firstLinesOnly: each input is given by its first lines only (a list larger than memory).
    ListTable(const Invocation &invocation, Side side, bool firstLinesOnly = false);

    // The rows of one input read as lines; name is how messages call it. Throws ListFileError
    // naming the input when a quote is never closed or its header differs from the first's
    // (other than in the order of its columns, when --key names the column to compare).
    ListFileContents rowsOf(ListFileContents lines, const std::string &name);

    // The list's key field: the column --key (--other-key) names, else the one whose values look
    // most like addresses, which standard error is told of. Throws ListFileError naming the first
    // input when there is no such column. Where later inputs order their columns otherwise, the
    // field points into this table: it is used while the table lives.
    KeyField chooseKey(std::span<const std::string_view> rows, const Streams &streams) const;

    // The first input's header row, written once at the top of what the run writes.
    const std::optional<std::string> &header() const { return m_header; }
    // The delimiter of the inputs, once the first is read.
    char delimiter() const { return m_options.delimiter.value_or(m_options.usualDelimiter); }

private:
    [[noreturn]] void throwNoColumn(const std::string &reason) const;
    void noteColumnsElsewhere(const Table &table, const std::string &name);

    TableOptions m_options;
    const std::optional<std::string> &m_key;
    Side m_side;
    bool m_quiet;
    std::optional<std::string> m_firstName; // of the first input, once read
    std::optional<std::string> m_header;
    std::vector<std::string> m_columnNames;
    std::vector<ColumnElsewhere> m_columnsElsewhere; // of later inputs that order their columns otherwise
};

// Says on standard error, unless quiet, how many rows of a list were compared as blank because
// they have fewer fields than its key column: count of them, or those among rows.
void printShortRows(const Invocation &invocation, const Streams &streams, ListTable::Side side, std::uint64_t count,
                    const KeyField &field);
void printShortRows(const Invocation &invocation, const Streams &streams, ListTable::Side side,
                    std::span<const std::string_view> rows, const KeyField &field);

} // namespace Quorvane
