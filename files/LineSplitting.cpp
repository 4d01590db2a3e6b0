#include "LineSplitting.h"

#include "engine/WorkMemory.h"
#include "engine/Workers.h"

#include <algorithm>
#include <optional>
#include <system_error>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Quorvane {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

#ifdef __SSE2__
// 0xFF in each of the 16 bytes at bytes that is CR or LF, 0 elsewhere.
__m128i lineEndBytesAt(const char *bytes)
{
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    return _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(kCarriageReturn)),
                        _mm_cmpeq_epi8(chunk, _mm_set1_epi8(kLineFeed)));
}
// One bit per byte of the 16 at bytes: set where the byte is CR or LF.
unsigned lineEndMask(const char *bytes)
{
    return static_cast<unsigned>(_mm_movemask_epi8(lineEndBytesAt(bytes)));
}
constexpr std::size_t kMaskWidth = 16;
#endif

bool isLineEndByte(char byte)
{
    return byte == kCarriageReturn || byte == kLineFeed;
}

// Calls found(position) for every CR or LF byte, in rising order.
template<typename Found>
void forEachLineEndByte(const char *bytes, std::size_t size, Found &&found)
{
    std::size_t position = 0;
#ifdef __SSE2__
    for (; position + kMaskWidth <= size; position += kMaskWidth) {
        for (unsigned mask = lineEndMask(bytes + position); mask != 0; mask &= mask - 1)
            found(position + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
#endif
    for (; position < size; ++position) {
        if (isLineEndByte(bytes[position]))
            found(position);
    }
}

std::size_t countLineEndBytes(const char *bytes, std::size_t size)
{
    std::size_t count = 0;
    std::size_t position = 0;
#ifdef __SSE2__
    // Each byte lane counts up to 255 matches before the lanes are summed.
    constexpr std::size_t kChunksPerSum = 255;
    const __m128i zero = _mm_setzero_si128();
    while (position + kMaskWidth <= size) {
        const std::size_t chunks = std::min((size - position) / kMaskWidth, kChunksPerSum);
        __m128i perLane = zero;
        for (std::size_t i = 0; i < chunks; ++i, position += kMaskWidth)
            perLane = _mm_sub_epi8(perLane, lineEndBytesAt(bytes + position));
        const __m128i sums = _mm_sad_epu8(perLane, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    }
#endif
    for (; position < size; ++position)
        count += isLineEndByte(bytes[position]) ? 1 : 0;
    return count;
}

// Calls found(line) for every line of text, in order (see appendLines).
template<typename Found>
void forEachLine(std::string_view text, Found &&found)
{
    const char *bytes = text.data();
    std::size_t lineStart = 0;
    forEachLineEndByte(bytes, text.size(), [&](std::size_t position) {
        // The LF of a CR LF pair: its CR already ended the line.
        if (bytes[position] == kLineFeed && position > 0 && bytes[position - 1] == kCarriageReturn) {
            lineStart = position + 1;
            return;
        }
        found(std::string_view(bytes + lineStart, position - lineStart));
        lineStart = position + 1;
    });
    if (lineStart < text.size())
        found(std::string_view(bytes + lineStart, text.size() - lineStart));
}

// Writes the lines of text from out on; returns how many there were.
std::size_t writeLines(std::string_view text, std::string_view *out)
{
    std::size_t count = 0;
    forEachLine(text, [&](std::string_view line) { out[count++] = line; });
    return count;
}

// Splits a long text as two pieces, one on each core, each piece ending at a line end: first
// both pieces' line ends are counted, then each piece writes its lines into its own part of the
// array, the second from the most lines the first can have on. Only where a CR LF made the first
// piece's lines fewer do the second's move down after it. Returns nothing where no second thread
// can be started.
std::optional<std::vector<std::string_view>> splitInHalves(std::string_view text)
{
    const std::size_t cut = pieceEnd(text, text.size() / 2);
    const std::string_view pieces[] = {text.substr(0, cut), text.substr(cut)};
    std::size_t atMost[2] = {};
    std::size_t written[2] = {};
    std::vector<std::string_view> lines;
    try {
        runSideBySide([&] { atMost[0] = countLineEndBytes(pieces[0].data(), pieces[0].size()); },
                      [&] { atMost[1] = countLineEndBytes(pieces[1].data(), pieces[1].size()) + 1; });
        reserveLarge(lines, atMost[0] + atMost[1]);
        lines.resize(atMost[0] + atMost[1]);
        runSideBySide([&] { written[0] = writeLines(pieces[0], lines.data()); },
                      [&] { written[1] = writeLines(pieces[1], lines.data() + atMost[0]); });
    } catch (const std::system_error &) {
        return std::nullopt;
    }
    if (written[0] < atMost[0])
        std::copy_n(lines.begin() + static_cast<std::ptrdiff_t>(atMost[0]), written[1],
                    lines.begin() + static_cast<std::ptrdiff_t>(written[0]));
    lines.resize(written[0] + written[1]);
    return lines;
}

} // namespace

std::string_view lineEndBytes(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::LineFeed:
        return "\n";
    case LineEnd::CarriageReturnLineFeed:
        return "\r\n";
    case LineEnd::CarriageReturn:
        return "\r";
    case LineEnd::None:
        break;
    }
    return {};
}

void appendLines(std::string_view text, std::vector<std::string_view> &lines)
{
    forEachLine(text, [&](std::string_view line) { lines.push_back(line); });
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    // Whether the lines are worth two cores is judged from the size, at about the shortest lines
    // a list holds on average.
    constexpr std::size_t kFewestBytesPerLine = 16;
    if (workersFor(text.size() / kFewestBytesPerLine) >= 2) {
        if (std::optional<std::vector<std::string_view>> lines = splitInHalves(text))
            return std::move(*lines);
    }
    std::vector<std::string_view> lines;
    const std::size_t atMost = countLineEndBytes(text.data(), text.size()) + 1;
    reserveLarge(lines, atMost);
    appendLines(text, lines);
    return lines;
}

std::size_t pieceEnd(std::string_view text, std::size_t size)
{
    if (size >= text.size())
        return text.size();
    const std::size_t lineEnd = text.find_first_of("\r\n", size);
    if (lineEnd == std::string_view::npos)
        return text.size();
    const bool pair = text[lineEnd] == kCarriageReturn && lineEnd + 1 < text.size() && text[lineEnd + 1] == kLineFeed;
    return lineEnd + (pair ? 2 : 1);
}

LineEnd firstLineEnd(std::string_view text)
{
    const std::size_t position = text.find_first_of("\r\n");
    if (position == std::string_view::npos)
        return LineEnd::None;
    if (text[position] == kLineFeed)
        return LineEnd::LineFeed;
    const bool pair = position + 1 < text.size() && text[position + 1] == kLineFeed;
    return pair ? LineEnd::CarriageReturnLineFeed : LineEnd::CarriageReturn;
}

std::size_t lastLineEndByte(std::string_view text)
{
    return text.find_last_of("\r\n");
}

} // namespace Quorvane
