#include "TableReader.h"

#include "files/ListFileError.h"

#include "engine/KeyField.h"
#include "engine/Workers.h"

#include <algorithm>
#include <array>
#include <functional>

namespace Quorvane {

namespace {

constexpr std::array kDelimiters = {',', ';', '\t', '|'};

[[noreturn]] void throwUnterminatedQuote(const std::string &name, std::size_t row, std::size_t line)
{
    throw ListFileError(ListFileError::Stage::Read, "Cannot read", name,
                        "the quoted field in row " + std::to_string(row) + " (line " + std::to_string(line)
                            + ") has no closing quote");
}

// The place among lines of the first that ends inside quotes, or lines.size(). The lines lie one
// after another in their block, only line ends between them, so their bytes are walked as one
// text: no call and no tail per line.
std::size_t firstOpenLineOf(std::span<const std::string_view> lines, char delimiter)
{
    if (lines.empty())
        return 0;
    const char *begin = lines.front().data();
    const std::string_view text(begin, static_cast<std::size_t>(lines.back().data() + lines.back().size() - begin));
    const std::size_t stop = firstLineEndInsideQuotes(text, delimiter);
    if (stop == std::string_view::npos)
        return lines.size();
    // The line the stop ends: the last one that starts at or before it.
    const std::less<const char *> before;
    const auto after = std::upper_bound(lines.begin(), lines.end(), begin + stop,
                                        [&](const char *at, std::string_view line) { return before(at, line.data()); });
    return static_cast<std::size_t>(after - lines.begin()) - 1;
}

// The place of the first line that ends inside quotes, or lines.size(). Each half of the lines is
// walked as if it started outside quotes, which holds for every line up to the first open one;
// so a later half's answer counts only when the halves before it have none, and long tables are
// searched on both cores.
std::size_t firstOpenLine(std::span<const std::string_view> lines, char delimiter)
{
    const auto found = runOnHalves(lines.size(), [&](Share share) {
        return share.begin + firstOpenLineOf(lines.subspan(share.begin, share.end - share.begin), delimiter);
    });
    for (const auto &[share, place] : found) {
        if (place < share.end)
            return place;
    }
    return lines.size();
}

} // namespace

// A row runs from its first line to the line where its quotes close. The lines lie one after
// another in their block, line ends between them, so a row is the bytes from its first line's
// start to its last line's end.
ItemList::Items rowsOfLines(std::span<const std::string_view> lines, char delimiter, const std::string &name,
                            TablePlace place, bool leaveOpenRow)
{
    ItemList::Items rows;
    rows.reserve(lines.size());
    for (std::size_t first = 0; first < lines.size();) {
        std::size_t last = first;
        for (bool inside = endsInsideQuotes(lines[first], delimiter, false); inside;
             inside = endsInsideQuotes(lines[last], delimiter, true)) {
            if (++last < lines.size())
                continue;
            if (leaveOpenRow)
                return rows;
            throwUnterminatedQuote(name, place.rowsBefore + rows.size() + 1, place.linesBefore + first + 1);
        }
        const char *end = lines[last].data() + lines[last].size();
        rows.emplace_back(lines[first].data(), static_cast<std::size_t>(end - lines[first].data()));
        first = last + 1;
    }
    return rows;
}

std::size_t endOfLastRow(std::string_view text, char delimiter)
{
    std::size_t end = std::string_view::npos;
    bool inside = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lineEnd = text.find_first_of("\r\n", start);
        if (lineEnd == std::string_view::npos)
            break;
        inside = endsInsideQuotes(text.substr(start, lineEnd - start), delimiter, inside);
        start = lineEnd + (text.compare(lineEnd, 2, "\r\n") == 0 ? 2 : 1);
        if (!inside)
            end = start;
    }
    return end;
}

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
    // Most tables have no line end inside quotes: then their rows are their lines, as they are.
    const std::size_t before = firstOpenLine(texts, delimiter);
    if (before < texts.size()) {
        ItemList::Items rows(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(before));
        const ItemList::Items joined = rowsOfLines(texts.subspan(before), delimiter, name, {before, before},
                                                   options.firstLinesOnly);
        rows.insert(rows.end(), joined.begin(), joined.end());
        ItemList::Blocks blocks = lines.list.blocks();
        lines.list.restore(std::move(rows), std::move(blocks));
    }
    std::optional<std::string> header;
    if (options.hasHeader && !lines.list.isEmpty()) {
        header = std::string(lines.list.text(0));
        lines.list.removeAt(0);
    }
    std::vector<std::string> names = header ? fieldTexts(*header, delimiter) : std::vector<std::string>();
    return Table{std::move(lines), delimiter, std::move(header), std::move(names)};
}

} // namespace Quorvane
