#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Quorvane {

// How a list file's text was stored.
enum class TextEncoding {
    Bytes, // UTF-8 or any other bytes: kept exactly as they are
    Utf16LittleEndian,
    Utf16BigEndian,
};

// The encoding a file's first bytes show, and the byte-order mark to drop.
struct EncodingGuess
{
    TextEncoding encoding = TextEncoding::Bytes;
    std::size_t byteOrderMarkSize = 0;
};

// How many first bytes guessEncoding looks at: the first lines of a list.
inline constexpr std::size_t kEncodingSampleBytes = 256;

// Guesses from the first kEncodingSampleBytes bytes of a file (all of it when shorter).
// A UTF-8 BOM is dropped from bytes kept as they are; a UTF-16 BOM names the byte order;
// without a BOM the start is UTF-16 only when plainly so: every code unit an ASCII or Latin-1
// character other than NUL (NUL in every other byte, and only there). A UTF-16 guess still
// holds only if the whole rest of the file decodes cleanly (Utf16Decoder).
EncodingGuess guessEncoding(std::string_view start);

// Decodes UTF-16 to UTF-8 in pieces of any size and split anywhere, keeping an odd byte and a
// high surrogate for the next piece. Text that is not clean UTF-16 (an unpaired surrogate, an
// odd byte at the end) makes it fail rather than guess.
class Utf16Decoder
{
public:
    explicit Utf16Decoder(TextEncoding byteOrder)
        : m_bigEndian(byteOrder == TextEncoding::Utf16BigEndian)
    {}

    // The most bytes decode() may write for a piece of pieceSize bytes.
    static std::size_t maxDecodedSize(std::size_t pieceSize) { return (pieceSize / 2 + 1) * 3 + 4; }

    // Writes the UTF-8 of piece to out and returns its size, or nullopt once the text fails.
    std::optional<std::size_t> decode(std::string_view piece, char *out);
    // Only counts the bytes decode() would write.
    std::optional<std::size_t> measure(std::string_view piece);
    // Whether the text ended cleanly: nothing left over, no failure.
    bool finish() const { return !m_failed && !m_oddByte && m_highSurrogate == 0; }

private:
    template<typename Emit>
    bool decodeUnits(std::string_view piece, Emit &&emit);

    bool m_bigEndian;
    bool m_failed = false;
    std::optional<unsigned char> m_oddByte;
    std::uint16_t m_highSurrogate = 0;
};

} // namespace Quorvane
