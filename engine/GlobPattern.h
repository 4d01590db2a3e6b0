#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quorvane {

// A pattern in which * stands for any run of bytes (none included) and ? for any one byte,
// matched against a whole text. Every other byte stands for itself.
//
// Matching takes time linear in the text, whatever the pattern: the pattern is cut at its stars
// into pieces; the first piece must begin the text and the last must end it, and each piece in
// between is looked for once, from where the one before it ended, by a bit-parallel scan. The
// leftmost place where a piece ends is always the best one, so nothing is ever tried twice.
class GlobPattern
{
public:
    explicit GlobPattern(std::string_view pattern);

    bool matches(std::string_view text) const;

    // The bytes before the first wildcard and after the last one, which every match begins and
    // ends with; for a pattern without a wildcard, both are the whole pattern.
    std::string_view literalHead() const;
    std::string_view literalTail() const;
    // The longest run of bytes without a wildcard, which every match holds somewhere.
    std::string_view longestLiteral() const;

    static bool hasWildcard(std::string_view text);

private:
    // The bytes between two stars. A piece that is looked for also holds, for each byte value,
    // the bits of the places in the piece where that byte may stand.
    struct Piece
    {
        std::string text;
        std::size_t words = 0;
        std::vector<std::uint64_t> masks;
    };

    static Piece searchablePiece(std::string_view text);
    // Whether piece fits text at place.
    static bool fitsAt(const Piece &piece, std::string_view text, std::size_t place);
    // Where the first fit of piece at or after from ends, or npos when it fits nowhere.
    static std::size_t endOfFirstFit(const Piece &piece, std::string_view text, std::size_t from);

    std::string m_pattern;
    bool m_hasStar = false;
    Piece m_first;
    std::vector<Piece> m_middle;
    Piece m_last;
    std::size_t m_shortestMatch = 0;
};

} // namespace Quorvane
