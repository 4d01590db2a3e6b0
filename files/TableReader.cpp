#include "TableReader.h"

#include "files/ListFileError.h"

#include "engine/KeyField.h"

#include <array>

namespace Quorvane {

namespace {

constexpr std::array kDelimiters = {',', ';', '\t', '|'};

[[noreturn]] void throwUnterminatedQuote(const std::string &name, std::size_t row, std::size_t line)
{
    throw ListFileError(ListFileError::Stage::Read, "Cannot read", name,
                        "the quoted field in row " + std::to_string(row) + " (line " + std::to_string(line)
                            + ") has no closing quote");
}

// Joins lines into rows: a row runs from its first line to the line where its quotes close. The
// lines lie one after another in the block they were read into, line ends between them, so a
// row is the bytes from its first line's start to its last line's end.
ItemList::Items joinedRows(std::span<const std::string_view> lines, char delimiter, const std::string &name)
{
    ItemList::Items rows;
    rows.reserve(lines.size());
    for (std::size_t first = 0; first < lines.size();) {
        std::size_t last = first;
        for (bool inside = endsInsideQuotes(lines[first], delimiter, false); inside;
             inside = endsInsideQuotes(lines[last], delimiter, true)) {
            if (++last == lines.size())
                throwUnterminatedQuote(name, rows.size() + 1, first + 1);
        }
        const char *end = lines[last].data() + lines[last].size();
        rows.emplace_back(lines[first].data(), static_cast<std::size_t>(end - lines[first].data()));
        first = last + 1;
    }
    return rows;
}

} // namespace

char detectDelimiter(std::string_view firstLine, char usual)
{
    std::array<std::size_t, kDelimiters.size()> counts{};
    bool quoted = false;
    for (const char c : firstLine) {
        if (c == '"')
            quoted = !quoted;
        for (std::size_t d = 0; d < kDelimiters.size() && !quoted; ++d)
            counts[d] += c == kDelimiters[d] ? 1 : 0;
    }
    std::size_t best = 0;
    for (std::size_t d = 1; d < kDelimiters.size(); ++d)
        best = counts[d] > counts[best] ? d : best;
    return counts[best] > 0 ? kDelimiters[best] : usual;
}

Table tableOf(ListFileContents lines, const TableOptions &options, const std::string &name)
{
    const std::span<const std::string_view> texts = lines.list.texts();
    const char delimiter = options.delimiter.value_or(
        texts.empty() ? options.usualDelimiter : detectDelimiter(texts.front(), options.usualDelimiter));
    ItemList::Items rows = joinedRows(texts, delimiter, name);
    std::optional<std::string> header;
    if (options.hasHeader && !rows.empty()) {
        header = std::string(rows.front());
        rows.erase(rows.begin());
    }
    ItemList::Blocks blocks = lines.list.blocks();
    lines.list.restore(std::move(rows), std::move(blocks));
    std::vector<std::string> names = header ? fieldTexts(*header, delimiter) : std::vector<std::string>();
    return Table{std::move(lines), delimiter, std::move(header), std::move(names)};
}

} // namespace Quorvane
