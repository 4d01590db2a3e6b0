#include "Matching.h"

#include <utf8proc.h>

#include <cstdint>
#include <cstring>

namespace Quorvane {

namespace {

using Byte = unsigned char;

const Byte *bytesOf(std::string_view text)
{
    return reinterpret_cast<const Byte *>(text.data());
}

bool isAsciiSpace(Byte byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// The length of the UTF-8 sequence that starts at bytes, 0 when it is not well-formed.
std::size_t sequenceLength(const Byte *bytes, std::size_t available)
{
    const Byte lead = bytes[0];
    std::size_t length = 0;
    Byte low = 0x80;
    Byte high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    }
    if (length == 0 || available < length || bytes[1] < low || bytes[1] > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// Decodes the well-formed sequence of the given length.
std::int32_t decode(const Byte *bytes, std::size_t length)
{
    static constexpr Byte kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    std::int32_t codePoint = bytes[0] & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k)
        codePoint = (codePoint << 6) | (bytes[k] & 0x3F);
    return codePoint;
}

// The spaces that trimming takes off, as UTF-8: the Unicode space separators besides the ASCII
// space, the zero-width space and the byte-order mark.
constexpr std::string_view kWideSpaces[] = {
    "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83",
    "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
    "\xE2\x80\x8A", "\xE2\x80\x8B", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80", "\xEF\xBB\xBF",
};
constexpr Byte kLatin1NoBreakSpace = 0xA0;

// One item as the comparison reads it: its encoding is decided by the whole item, once, and
// only when a byte outside ASCII asks for it.
class Reading
{
public:
    explicit Reading(std::string_view whole)
        : m_whole(whole)
    {}

    bool isLatin1()
    {
        if (m_latin1 < 0)
            m_latin1 = isValidUtf8(m_whole) ? 0 : 1;
        return m_latin1 == 1;
    }

    // The length of the space at the start (or the end) of text, 0 when there is none.
    std::size_t spaceAtStart(std::string_view text)
    {
        const Byte first = bytesOf(text)[0];
        if (first < 0x80)
            return isAsciiSpace(first) ? 1 : 0;
        if (isLatin1())
            return first == kLatin1NoBreakSpace ? 1 : 0;
        for (const std::string_view space : kWideSpaces) {
            if (text.starts_with(space))
                return space.size();
        }
        return 0;
    }

    std::size_t spaceAtEnd(std::string_view text)
    {
        const Byte last = bytesOf(text)[text.size() - 1];
        if (last < 0x80)
            return isAsciiSpace(last) ? 1 : 0;
        if (isLatin1())
            return last == kLatin1NoBreakSpace ? 1 : 0;
        // In well-formed UTF-8 a suffix that starts with a lead byte is a whole character.
        for (const std::string_view space : kWideSpaces) {
            if (text.ends_with(space))
                return space.size();
        }
        return 0;
    }

    std::string_view trimmed(std::string_view text)
    {
        while (!text.empty()) {
            const std::size_t space = spaceAtStart(text);
            if (space == 0)
                break;
            text.remove_prefix(space);
        }
        while (!text.empty()) {
            const std::size_t space = spaceAtEnd(text);
            if (space == 0)
                break;
            text.remove_suffix(space);
        }
        return text;
    }

    // The bare address: out of "Name <addr>", quotes and "mailto:", in that order.
    std::string_view address(std::string_view text)
    {
        text = trimmed(text);
        if (text.ends_with('>')) {
            const std::size_t open = text.rfind('<');
            if (open != std::string_view::npos)
                text = trimmed(text.substr(open + 1, text.size() - open - 2));
        }
        if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
            text = trimmed(text.substr(1, text.size() - 2));
        constexpr std::string_view kMailto = "mailto:";
        if (text.size() >= kMailto.size() && equalIgnoringAsciiCase(text.substr(0, kMailto.size()), kMailto))
            text = trimmed(text.substr(kMailto.size()));
        return text;
    }

private:
    static bool equalIgnoringAsciiCase(std::string_view text, std::string_view lower)
    {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if ((c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c) != lower[i])
                return false;
        }
        return true;
    }

    std::string_view m_whole;
    int m_latin1 = -1;
};

bool needsFolding(Byte byte)
{
    return byte >= 0x80 || (byte >= 'A' && byte <= 'Z');
}

// The place of the first byte that folding may change, or the size when there is none. Looks at
// eight bytes at a time: most addresses are plain small ASCII letters.
std::size_t firstToFold(std::string_view text)
{
    constexpr std::uint64_t kEachByte = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    const Byte *bytes = bytesOf(text);
    std::size_t i = 0;
    for (; text.size() - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (word & kHighBits)
            break;
        // With every byte below 0x80, adding sets a byte's high bit exactly when it reaches
        // 'A', or passes 'Z', and no addition carries into the next byte.
        const std::uint64_t fromA = word + kEachByte * (0x80 - 'A');
        const std::uint64_t pastZ = word + kEachByte * (0x80 - 'Z' - 1);
        if (fromA & ~pastZ & kHighBits)
            break;
    }
    while (i < text.size() && !needsFolding(bytes[i]))
        ++i;
    return i;
}

void appendUtf8(std::string &out, std::int32_t codePoint)
{
    Byte bytes[4];
    const utf8proc_ssize_t length = utf8proc_encode_char(codePoint, bytes);
    out.append(reinterpret_cast<const char *>(bytes), static_cast<std::size_t>(length));
}

void appendFolded(std::string &out, std::int32_t codePoint)
{
    // Full case folding turns one character into at most three.
    utf8proc_int32_t folded[4];
    int boundary = 0;
    const utf8proc_ssize_t count = utf8proc_decompose_char(codePoint, folded, 4, UTF8PROC_CASEFOLD, &boundary);
    if (count < 1 || count > 4) {
        appendUtf8(out, codePoint);
        return;
    }
    for (utf8proc_ssize_t k = 0; k < count; ++k)
        appendUtf8(out, folded[k]);
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    const Byte *bytes = bytesOf(text);
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        if (size - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, sizeof word);
            if ((word & 0x8080808080808080u) == 0) {
                i += 8;
                continue;
            }
        }
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = sequenceLength(bytes + i, size - i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

KeyMaker::KeyMaker(const MatchMode &mode)
    : m_mode(mode)
{}

std::string_view KeyMaker::keyOf(std::string_view item)
{
    if (m_mode.isExact())
        return item;
    const std::string_view text = fieldOf(item);
    Reading reading(text);
    std::string_view key = text;
    if (m_mode.email)
        key = reading.address(text);
    else if (m_mode.trim)
        key = reading.trimmed(text);
    if (!m_mode.foldsCase())
        return key;
    const std::size_t first = firstToFold(key);
    return first == key.size() ? key : fold(key, first, reading.isLatin1());
}

std::string_view KeyMaker::foldedOf(std::string_view text)
{
    const std::size_t first = firstToFold(text);
    return first == text.size() ? text : fold(text, first, !isValidUtf8(text));
}

std::string_view KeyMaker::fold(std::string_view text, std::size_t first, bool latin1)
{
    const Byte *bytes = bytesOf(text);
    m_buffer.assign(text.data(), first);
    for (std::size_t i = first; i < text.size();) {
        const Byte byte = bytes[i];
        if (byte < 0x80) {
            m_buffer += byte >= 'A' && byte <= 'Z' ? char(byte + ('a' - 'A')) : char(byte);
            ++i;
            continue;
        }
        const std::size_t length = latin1 ? 0 : sequenceLength(bytes + i, text.size() - i);
        if (length == 0) {
            appendFolded(m_buffer, byte);
            ++i;
        } else {
            appendFolded(m_buffer, decode(bytes + i, length));
            i += length;
        }
    }
    return m_buffer;
}

std::string_view emailAddressIn(std::string_view text)
{
    return Reading(text).address(text);
}

std::string matchKey(std::string_view text, const MatchMode &mode)
{
    KeyMaker maker(mode);
    return std::string(maker.keyOf(text));
}

} // namespace Quorvane
