#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quorvane {

// Which part of an item its key is made from: the whole item (a line), or one field of a row of a
// table (CSV, TSV). Fields are separated by the delimiter; a field that starts with a double quote
// runs to the next quote that is not doubled, so it may hold delimiters, quotes (doubled) and line
// ends. Text after its closing quote, up to the delimiter, still belongs to the field. A quote
// anywhere else is an ordinary character, as spreadsheets read it.
//
// The inputs of one table list may order their columns differently: the rows of such an input
// lie in its own bytes, and those bytes' stretch says where their key column is.
struct ColumnElsewhere
{
    const char *begin = nullptr;
    const char *end = nullptr;
    std::size_t column = 0;
};

struct KeyField
{
    std::size_t column = 0; // 1-based; 0 is the whole item
    char delimiter = ',';
    // Held by whoever read the inputs, for as long as the field is used; none for most lists.
    const std::vector<ColumnElsewhere> *elsewhere = nullptr;

    bool isWholeItem() const { return column == 0; }
    // The column of row's key: column, unless row lies in one of the stretches elsewhere.
    std::size_t columnOf(std::string_view row) const { return elsewhere ? columnAmongStretches(row) : column; }
    bool operator==(const KeyField &) const = default;

private:
    std::size_t columnAmongStretches(std::string_view row) const;
};

// The text of field's column in row, unquoted: a view into row when unquoting changes nothing,
// else a view of scratch. Nothing when the row has fewer fields; row itself for the whole item.
std::optional<std::string_view> fieldText(std::string_view row, const KeyField &field, std::string &scratch);

// The unquoted text of every field of row, in order: a header's names.
std::vector<std::string> fieldTexts(std::string_view row, char delimiter);

// text as a field: in double quotes, its quotes doubled, only when it holds the delimiter, a
// quote, CR or LF.
std::string quotedField(std::string_view text, char delimiter);

// row with field's column replaced by text (quoted where needed); row as it is when it has fewer
// fields.
std::string rowWithField(std::string_view row, const KeyField &field, std::string_view text);

// Whether a line of a table ends inside a quoted field, so that its row goes on after the line
// end; startsInside says whether the line itself began inside one.
bool endsInsideQuotes(std::string_view line, char delimiter, bool startsInside);

// Where text, lines of a table read from its start outside quotes, first has a CR or LF inside a
// quoted field: that byte's position; text.size() when it ends inside one; npos when neither.
std::size_t firstLineEndInsideQuotes(std::string_view text, char delimiter);

} // namespace Quorvane
