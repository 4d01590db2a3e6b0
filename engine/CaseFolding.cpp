#include "CaseFolding.h"

#include "TextReading.h"

#include <utf8proc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <emmintrin.h>

namespace Quorvane {

namespace {

bool needsFolding(Byte byte)
{
    return byte >= 0x80 || (byte >= 'A' && byte <= 'Z');
}

void appendFullyFolded(std::string &out, std::int32_t codePoint)
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

// Where full folding gives one character that is the simple folding too; where it gives more,
// the simple lower-case mapping stands in ("ẞ" to "ß"), except for the dotted capital I, which
// simple folding leaves as it is.
void appendSimplyFolded(std::string &out, std::int32_t codePoint)
{
    constexpr std::int32_t kDottedCapitalI = 0x130;
    utf8proc_int32_t folded[4];
    int boundary = 0;
    const utf8proc_ssize_t count = utf8proc_decompose_char(codePoint, folded, 4, UTF8PROC_CASEFOLD, &boundary);
    if (count == 1)
        appendUtf8(out, folded[0]);
    else
        appendUtf8(out, codePoint == kDottedCapitalI ? codePoint : utf8proc_tolower(codePoint));
}

} // namespace

// Looks at eight bytes at a time: most addresses are plain small ASCII letters.
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

void appendAsciiLowered(std::string &out, std::string_view text)
{
    constexpr std::size_t kChunk = 16;
    const std::size_t start = out.size();
    out.resize(start + text.size());
    char *to = out.data() + start;
    const auto lowered = [](const char *from) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        const __m128i capital = _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8('A' - 1)),
                                              _mm_cmplt_epi8(chunk, _mm_set1_epi8('Z' + 1)));
        return _mm_or_si128(chunk, _mm_and_si128(capital, _mm_set1_epi8('a' - 'A')));
    };
    std::size_t i = 0;
    for (; i + kChunk <= text.size(); i += kChunk)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + i), lowered(text.data() + i));
    for (; i < text.size(); ++i) {
        const char c = text[i];
        to[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
}

// Runs of ASCII go in bulk: most addresses are plain small ASCII letters.
void appendFolded(std::string &out, std::string_view text, bool latin1, Folding folding)
{
    const Byte *bytes = bytesOf(text);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t ascii = asciiPrefixLength(text.substr(i));
        if (ascii > 0) {
            appendAsciiLowered(out, text.substr(i, ascii));
            i += ascii;
        }
        if (i == text.size())
            break;
        const std::size_t length = latin1 ? 0 : sequenceLength(bytes + i, text.size() - i);
        const std::int32_t codePoint = length == 0 ? bytes[i] : decodeSequence(bytes + i, length);
        if (folding == Folding::Full)
            appendFullyFolded(out, codePoint);
        else
            appendSimplyFolded(out, codePoint);
        i += length == 0 ? 1 : length;
    }
}

void appendComposedFolded(std::string &out, std::string_view text, bool latin1, Folding folding)
{
    if (latin1 || isAscii(text)) {
        appendFolded(out, text, latin1, folding);
        return;
    }
    utf8proc_uint8_t *composed = nullptr;
    const utf8proc_ssize_t length = utf8proc_map(bytesOf(text), static_cast<utf8proc_ssize_t>(text.size()), &composed,
                                                 static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (length == UTF8PROC_ERROR_NOMEM)
        throw std::bad_alloc();
    if (length < 0) {
        appendFolded(out, text, latin1, folding);
        return;
    }
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owner(composed, &std::free);
    appendFolded(out, std::string_view(reinterpret_cast<const char *>(composed), static_cast<std::size_t>(length)),
                 false, folding);
}

} // namespace Quorvane
