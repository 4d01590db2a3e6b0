#include "AddressList.h"

#include "TextReading.h"
#include "Workers.h"

#include <cstring>

#include <emmintrin.h>

namespace Quorvane {

namespace {

// The pieces of text between separators, each still with its white space.
std::vector<std::string_view> piecesOf(std::string_view text)
{
    std::vector<std::string_view> pieces;
    bool quoted = false;
    std::size_t angles = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\')
                ++i; // a quoted pair: the next character is text
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            ++angles;
        } else if (c == '>' && angles > 0) {
            --angles;
        } else if ((c == ',' || c == ';') && angles == 0) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

// The view of text from the start of first to the end of last.
std::string_view spanning(std::string_view first, std::string_view last)
{
    return std::string_view(first.data(), static_cast<std::size_t>(last.data() + last.size() - first.data()));
}

} // namespace

// Sixteen bytes at a time, without a branch per byte: most lines are short plain addresses.
LineScan scanLine(std::string_view text)
{
    int pastAscii = 0;
    int separators = 0;
    int readable = 0; // bytes the address reading would act on, besides capitals
    int capitals = 0;
    int hyphens = 0;
    const auto take = [&](__m128i chunk) {
        const auto is = [&](char c) { return _mm_cmpeq_epi8(chunk, _mm_set1_epi8(c)); };
        const __m128i separator = _mm_or_si128(is(','), is(';'));
        // Space, the control bytes and every byte past ASCII (negative as signed bytes).
        __m128i acted = _mm_or_si128(separator, _mm_cmplt_epi8(chunk, _mm_set1_epi8('!')));
        acted = _mm_or_si128(acted, _mm_or_si128(_mm_or_si128(is('"'), is('\'')), is(':')));
        acted = _mm_or_si128(acted, _mm_or_si128(is('<'), is('>')));
        const __m128i capital = _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8('A' - 1)),
                                              _mm_cmplt_epi8(chunk, _mm_set1_epi8('Z' + 1)));
        pastAscii |= _mm_movemask_epi8(chunk);
        separators |= _mm_movemask_epi8(separator);
        readable |= _mm_movemask_epi8(acted);
        capitals |= _mm_movemask_epi8(capital);
        hyphens |= _mm_movemask_epi8(is('-'));
    };
    constexpr std::size_t kChunk = 16;
    if (text.size() < kChunk) {
        char chunk[kChunk];
        std::memset(chunk, 'a', kChunk); // a filler that nothing above looks for
        if (!text.empty()) // an empty view may have no bytes at all to copy from
            std::memcpy(chunk, text.data(), text.size());
        take(_mm_loadu_si128(reinterpret_cast<const __m128i *>(chunk)));
    } else {
        for (std::size_t i = 0; i + kChunk <= text.size(); i += kChunk)
            take(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + i)));
        // The last sixteen bytes, which may overlap the ones before.
        take(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + text.size() - kChunk)));
    }
    // "--" may make a label an ACE label (xn--), which only the full reading knows.
    const bool plain = readable == 0 && !text.empty() && (hyphens == 0 || text.find("--") == std::string_view::npos);
    return {pastAscii == 0, separators != 0, plain, capitals != 0};
}

std::vector<std::string_view> addressesOf(std::string_view text)
{
    Reading reading(text);
    std::vector<std::string_view> addresses;
    std::string_view displayName; // pieces without "@" waiting for their address
    for (const std::string_view piece : piecesOf(text)) {
        const std::string_view trimmed = reading.trimmed(piece);
        if (trimmed.empty())
            continue;
        if (trimmed.find('@') == std::string_view::npos) {
            displayName = displayName.empty() ? trimmed : spanning(displayName, trimmed);
            continue;
        }
        addresses.push_back(displayName.empty() ? trimmed : spanning(displayName, trimmed));
        displayName = {};
    }
    if (!displayName.empty() && !addresses.empty())
        addresses.back() = spanning(addresses.back(), displayName);
    return addresses;
}

bool holdsSeveralAddresses(std::string_view text)
{
    return maySeparateAddresses(text) && addressesOf(text).size() > 1;
}

// A pass of its own, for a note of the summary: on both halves of a long list side by side.
std::size_t countSeveralAddresses(std::span<const std::string_view> texts, const KeyField &field)
{
    const auto countIn = [&](Share share) {
        std::size_t count = 0;
        std::string scratch;
        for (const std::string_view text : texts.subspan(share.begin, share.end - share.begin))
            count += holdsSeveralAddresses(fieldText(text, field, scratch).value_or(text.substr(0, 0))) ? 1 : 0;
        return count;
    };
    std::size_t count = 0;
    for (const auto &[share, inShare] : runOnHalves(texts.size(), countIn))
        count += inShare;
    return count;
}

} // namespace Quorvane
