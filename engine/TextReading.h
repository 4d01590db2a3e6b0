#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How the comparison reads the bytes of an item: UTF-8 where it is well-formed, else Latin-1.

namespace Quorvane {

using Byte = unsigned char;

inline const Byte *bytesOf(std::string_view text)
{
    return reinterpret_cast<const Byte *>(text.data());
}

// Whether text is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text);
// How many bytes at the start of text are below 0x80.
std::size_t asciiPrefixLength(std::string_view text);
// Whether every byte of text is below 0x80.
inline bool isAscii(std::string_view text)
{
    return asciiPrefixLength(text) == text.size();
}
// The length of the UTF-8 sequence that starts at bytes, 0 when it is not well-formed.
std::size_t sequenceLength(const Byte *bytes, std::size_t available);
// Decodes the well-formed sequence of the given length.
std::int32_t decodeSequence(const Byte *bytes, std::size_t length);
void appendUtf8(std::string &out, std::int32_t codePoint);

// One item as the comparison reads it: its encoding is decided by the whole item, once, and
// only when a byte outside ASCII asks for it.
class Reading
{
public:
    explicit Reading(std::string_view whole)
        : m_whole(whole)
    {}

    bool isLatin1();
    // The length of the space at the start (or the end) of text, 0 when there is none.
    std::size_t spaceAtStart(std::string_view text);
    std::size_t spaceAtEnd(std::string_view text);
    std::string_view trimmed(std::string_view text);
    // The bare address: out of "Name <addr>", quotes and "mailto:", in that order.
    std::string_view address(std::string_view text);

private:
    std::string_view m_whole;
    int m_latin1 = -1;
};

} // namespace Quorvane
