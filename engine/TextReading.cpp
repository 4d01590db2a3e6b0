#include "TextReading.h"

#include <utf8proc.h>

#include <cstring>

namespace Quorvane {

namespace {

bool isAsciiSpace(Byte byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// The spaces that trimming takes off, as UTF-8: the Unicode space separators besides the ASCII
// space, the zero-width space and the byte-order mark.
constexpr std::string_view kWideSpaces[] = {
    "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83",
    "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
    "\xE2\x80\x8A", "\xE2\x80\x8B", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80", "\xEF\xBB\xBF",
};
constexpr Byte kLatin1NoBreakSpace = 0xA0;

bool equalIgnoringAsciiCase(std::string_view text, std::string_view lower)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c) != lower[i])
            return false;
    }
    return true;
}

} // namespace

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

std::int32_t decodeSequence(const Byte *bytes, std::size_t length)
{
    static constexpr Byte kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    std::int32_t codePoint = bytes[0] & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k)
        codePoint = (codePoint << 6) | (bytes[k] & 0x3F);
    return codePoint;
}

void appendUtf8(std::string &out, std::int32_t codePoint)
{
    Byte bytes[4];
    const utf8proc_ssize_t length = utf8proc_encode_char(codePoint, bytes);
    out.append(reinterpret_cast<const char *>(bytes), static_cast<std::size_t>(length));
}

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

std::size_t asciiPrefixLength(std::string_view text)
{
    const Byte *bytes = bytesOf(text);
    std::size_t i = 0;
    for (; text.size() - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < text.size() && bytes[i] < 0x80)
        ++i;
    return i;
}

bool Reading::isLatin1()
{
    if (m_latin1 < 0)
        m_latin1 = isValidUtf8(m_whole) ? 0 : 1;
    return m_latin1 == 1;
}

std::size_t Reading::spaceAtStart(std::string_view text)
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

std::size_t Reading::spaceAtEnd(std::string_view text)
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

std::string_view Reading::trimmed(std::string_view text)
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

std::string_view Reading::address(std::string_view text)
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

} // namespace Quorvane
