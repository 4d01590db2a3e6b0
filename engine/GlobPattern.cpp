#include "GlobPattern.h"

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

constexpr char kAnyRun = '*';
constexpr char kAnyByte = '?';
constexpr std::size_t kWordBits = 64;
// Pieces up to this many words keep their scan state on the stack.
constexpr std::size_t kStackWords = 4;

} // namespace

GlobPattern::GlobPattern(std::string_view pattern)
    : m_pattern(pattern)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t star = pattern.find(kAnyRun); star != std::string_view::npos;
         star = pattern.find(kAnyRun, start)) {
        pieces.push_back(pattern.substr(start, star - start));
        start = star + 1;
    }
    pieces.push_back(pattern.substr(start));
    m_hasStar = pieces.size() > 1;
    m_first.text = pieces.front();
    m_shortestMatch = m_first.text.size();
    if (!m_hasStar)
        return;
    m_last.text = pieces.back();
    m_shortestMatch += m_last.text.size();
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        // Stars side by side mean what one star means.
        if (!pieces[i].empty()) {
            m_middle.push_back(searchablePiece(pieces[i]));
            m_shortestMatch += pieces[i].size();
        }
    }
}

bool GlobPattern::hasWildcard(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}

std::string_view GlobPattern::literalHead() const
{
    return std::string_view(m_pattern).substr(0, m_pattern.find_first_of("*?"));
}

std::string_view GlobPattern::literalTail() const
{
    const std::size_t last = m_pattern.find_last_of("*?");
    return std::string_view(m_pattern).substr(last == std::string::npos ? 0 : last + 1);
}

std::string_view GlobPattern::longestLiteral() const
{
    const std::string_view pattern = m_pattern;
    std::string_view longest;
    for (std::size_t start = 0; start < pattern.size();) {
        const std::size_t end = std::min(pattern.find_first_of("*?", start), pattern.size());
        if (end - start > longest.size())
            longest = pattern.substr(start, end - start);
        start = end + 1;
    }
    return longest;
}

bool GlobPattern::matches(std::string_view text) const
{
    if (!m_hasStar)
        return text.size() == m_first.text.size() && fitsAt(m_first, text, 0);
    if (text.size() < m_shortestMatch || !fitsAt(m_first, text, 0)
        || !fitsAt(m_last, text, text.size() - m_last.text.size()))
        return false;
    // The middle pieces must lie between the first and the last one.
    const std::string_view between = text.substr(0, text.size() - m_last.text.size());
    std::size_t from = m_first.text.size();
    for (const Piece &piece : m_middle) {
        from = endOfFirstFit(piece, between, from);
        if (from == std::string_view::npos)
            return false;
    }
    return true;
}

GlobPattern::Piece GlobPattern::searchablePiece(std::string_view text)
{
    Piece piece;
    piece.text = text;
    piece.words = (text.size() + kWordBits - 1) / kWordBits;
    piece.masks.assign(256 * piece.words, 0);
    for (std::size_t place = 0; place < text.size(); ++place) {
        const std::uint64_t bit = std::uint64_t(1) << (place % kWordBits);
        const std::size_t word = place / kWordBits;
        if (text[place] == kAnyByte) {
            for (std::size_t byte = 0; byte < 256; ++byte)
                piece.masks[byte * piece.words + word] |= bit;
        } else {
            piece.masks[static_cast<unsigned char>(text[place]) * piece.words + word] |= bit;
        }
    }
    return piece;
}

bool GlobPattern::fitsAt(const Piece &piece, std::string_view text, std::size_t place)
{
    const std::string &wanted = piece.text;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (wanted[i] != kAnyByte && wanted[i] != text[place + i])
            return false;
    }
    return true;
}

// Shift-And: bit j of the state says that the piece's first j + 1 bytes end at the byte just read.
std::size_t GlobPattern::endOfFirstFit(const Piece &piece, std::string_view text, std::size_t from)
{
    const std::size_t words = piece.words;
    std::array<std::uint64_t, kStackWords> onStack{};
    std::vector<std::uint64_t> onHeap;
    if (words > kStackWords)
        onHeap.assign(words, 0);
    std::uint64_t *state = words > kStackWords ? onHeap.data() : onStack.data();
    const std::size_t lastBit = piece.text.size() - 1;
    const std::uint64_t found = std::uint64_t(1) << (lastBit % kWordBits);
    for (std::size_t i = from; i < text.size(); ++i) {
        const std::uint64_t *mask = piece.masks.data() + static_cast<unsigned char>(text[i]) * words;
        for (std::size_t k = words - 1; k > 0; --k)
            state[k] = ((state[k] << 1) | (state[k - 1] >> (kWordBits - 1))) & mask[k];
        state[0] = ((state[0] << 1) | 1) & mask[0];
        if (state[lastBit / kWordBits] & found)
            return i + 1;
    }
    return std::string_view::npos;
}

} // namespace Quorvane
