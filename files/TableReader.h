#pragma once

#include "files/ListFileReader.h"

#include <optional>
#include <string>
#include <vector>

namespace Quorvane {

// How a list file is read as a table (CSV, TSV): one item per row, the row's exact bytes without
// its row end, line ends inside quoted fields included.
struct TableOptions
{
    std::optional<char> delimiter = {}; // detected from the first row when not given
    char usualDelimiter = ',';     // when the first row shows none of the four: ',' for CSV, tab for TSV
    bool hasHeader = true;         // the first row names the columns
    bool firstLinesOnly = false;   // the lines are a file's first ones: a row still open at their end is left out
};

struct Table
{
    ListFileContents contents; // the rows, the header row not among them
    char delimiter = ',';
    std::optional<std::string> header; // the header row's exact bytes, when there is one
    std::vector<std::string> columnNames; // its fields, unquoted

    // The row numbers people see count the header as row 1.
    std::size_t firstRowNumber() const { return header ? 2 : 1; }
};

// The delimiter a table's first line shows most often outside quotes: comma, semicolon, tab or
// bar, the first of them in that order on a tie; usual when it shows none.
char detectDelimiter(std::string_view firstLine, char usual);

// Where a piece of a table starts in its file, for the row and line numbers of messages.
struct TablePlace
{
    std::size_t rowsBefore = 0;
    std::size_t linesBefore = 0;
};

// The rows of lines that lie one after another in one block: each line that ends inside a quoted
// field is joined with the lines after it. Throws ListFileError naming the file and the row when
// the last quoted field is never closed, unless leaveOpenRow, which leaves that row out.
ItemList::Items rowsOfLines(std::span<const std::string_view> lines, char delimiter, const std::string &name,
                            TablePlace place = {}, bool leaveOpenRow = false);

// Where the last whole row of text ends: just after the line end of the last line that does not
// end inside a quoted field. npos when there is none.
std::size_t endOfLastRow(std::string_view text, char delimiter);

// The rows of a list file read as lines (readListFile and the others): each line that ends inside
// a quoted field is joined with the lines after it. name is how messages call the file. Throws
// ListFileError, naming the file and the row, when a quoted field is never closed.
Table tableOf(ListFileContents lines, const TableOptions &options, const std::string &name);

} // namespace Quorvane
