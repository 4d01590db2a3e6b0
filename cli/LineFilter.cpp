#include "LineFilter.h"

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

} // namespace

bool filtersLinesAlone(const Invocation &invocation, std::uint64_t inputBytes)
{
    // Addresses are counted for the summary as a whole list is read; rows need their table.
    return removalTestOf(invocation.operation, {}, invocation.mode) && !invocation.readsTables()
           && !invocation.mode.readsAddresses() && inputBytes <= kMostBytesFiltered;
}

LineCounts filterLines(std::string_view text, const RemovalTest &removes, ResultSink &kept, ResultSink *removed)
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

} // namespace Quorvane
