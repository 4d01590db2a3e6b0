#include "LineFilter.h"

#include "engine/TextSearch.h"
#include "files/LineSplitting.h"

#include <optional>
#include <vector>

namespace Quorvane {

namespace {

// Small enough for a piece's lines to stay in cache, large enough that a piece costs no more
// than the lines in it.
constexpr std::size_t kPieceBytes = std::size_t(64) << 10;
// Each batch handed to a sink is written with a call of its own, through a buffer of its own.
constexpr std::size_t kBatchBytes = std::size_t(1) << 20;
constexpr std::uint64_t kMostBytesFiltered = std::uint64_t(64) << 20;

// Gathers lines into batches of about kBatchBytes for one sink.
class Batcher
{
public:
    explicit Batcher(ResultSink &sink)
        : m_sink(sink)
    {}

    void add(std::string_view line)
    {
        m_lines.push_back(line);
        m_bytes += line.size() + 1;
        if (m_bytes >= kBatchBytes)
            flush();
    }

    void flush()
    {
        if (m_lines.empty())
            return;
        m_sink.write(m_lines);
        m_lines.clear();
        m_bytes = 0;
    }

private:
    ResultSink &m_sink;
    ItemList::Items m_lines;
    std::size_t m_bytes = 0;
};

// Hands the lines of text, piece by piece, to kept or removed as removes(line) says.
template<typename Removes>
LineCounts filterLinesBy(std::string_view text, Removes &&removes, ResultSink &kept, ResultSink *removed)
{
    LineCounts counts;
    Batcher keptLines(kept);
    std::optional<Batcher> removedLines;
    if (removed)
        removedLines.emplace(*removed);
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::string_view piece = text.substr(0, pieceEnd(text, kPieceBytes));
        text.remove_prefix(piece.size());
        lines.clear();
        appendLines(piece, lines);
        counts.itemsIn += lines.size();
        for (const std::string_view line : lines) {
            if (!removes(line)) {
                keptLines.add(line);
                ++counts.itemsOut;
            } else if (removedLines) {
                removedLines->add(line);
            }
        }
    }
    keptLines.flush();
    if (removedLines)
        removedLines->flush();
    return counts;
}

// Whether the plain search can tell the lines holding part: a part holding a line end byte
// could only be found across lines, which no line holds.
bool searchesPlainly(const Invocation &invocation)
{
    const std::string_view part = invocation.searchText();
    const Operation operation = invocation.operation;
    const bool search = operation == Operation::RemoveWith || operation == Operation::RemoveWithout;
    return search && !invocation.mode.foldsCase() && invocation.mode.field.isWholeItem() && !part.empty()
           && part.size() <= TextSearch::kShortPart && part.find_first_of("\r\n") == std::string_view::npos;
}

} // namespace

bool filtersLinesAlone(const Invocation &invocation, std::uint64_t inputBytes)
{
    // Addresses are counted for the summary as a whole list is read; rows need their table.
    return removalTestOf(invocation.operation, {}, invocation.mode) && !invocation.readsTables()
           && !invocation.mode.readsAddresses() && inputBytes <= kMostBytesFiltered;
}

LineFilter::LineFilter(const Invocation &invocation)
{
    if (searchesPlainly(invocation)) {
        m_plainPart = invocation.searchText();
        m_removesHolders = invocation.operation == Operation::RemoveWith;
    } else {
        m_removes = removalTestOf(invocation.operation, invocation.searchText(), invocation.mode);
    }
}

LineCounts LineFilter::filter(std::string_view text, ResultSink &kept, ResultSink *removed) const
{
    if (m_plainPart.empty())
        return filterLinesBy(text, m_removes, kept, removed);
    // The next copy of the part at or after the lines met so far (the text's end when there is
    // none); found again only once the lines pass it.
    const char *const end = text.data() + text.size();
    const char *next = nullptr;
    return filterLinesBy(text, [&](std::string_view line) {
        if (next == nullptr || next < line.data()) {
            const std::string_view rest(line.data(), static_cast<std::size_t>(end - line.data()));
            const std::size_t found = findShortPart(rest, m_plainPart);
            next = found == std::string_view::npos ? end : line.data() + found;
        }
        const bool holds = next < line.data() + line.size();
        return holds == m_removesHolders;
    }, kept, removed);
}

} // namespace Quorvane
