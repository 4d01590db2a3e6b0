#include "TextSearch.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Quorvane {

namespace {

// Exact matching on the field: the search folds case itself when it should.
MatchMode fieldOnly(const KeyField &field)
{
    MatchMode mode;
    mode.field = field;
    return mode;
}

bool holdsPartAt(std::string_view haystack, std::size_t at, std::string_view part)
{
    return std::memcmp(haystack.data() + at, part.data(), part.size()) == 0;
}

} // namespace

std::size_t findShortPart(std::string_view haystack, std::string_view part)
{
    if (part.empty() || haystack.size() < part.size())
        return part.empty() ? 0 : std::string_view::npos;
    const std::size_t lastStart = haystack.size() - part.size();
    std::size_t at = 0;
#ifdef __SSE2__
    constexpr std::size_t kWidth = 16;
    const __m128i first = _mm_set1_epi8(part.front());
    const __m128i last = _mm_set1_epi8(part.back());
    const char *bytes = haystack.data();
    for (; at + kWidth <= lastStart + 1; at += kWidth) {
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + at));
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + at + part.size() - 1));
        auto agree = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
        for (; agree != 0; agree &= agree - 1) {
            const std::size_t candidate = at + static_cast<std::size_t>(__builtin_ctz(agree));
            if (holdsPartAt(haystack, candidate, part))
                return candidate;
        }
    }
#endif
    for (; at <= lastStart; ++at) {
        if (haystack[at] == part.front() && holdsPartAt(haystack, at, part))
            return at;
    }
    return std::string_view::npos;
}

TextSearch::TextSearch(std::string_view part, bool foldCase, const KeyField &field)
    : m_foldCase(foldCase)
    , m_folder(fieldOnly(field))
{
    m_part = foldCase ? m_folder.foldedOf(part) : part;
}

bool TextSearch::occursInLong(std::string_view haystack) const
{
    if (haystack.size() < m_part.size())
        return false;
    // glibc's memmem uses the two-way algorithm for long texts: linear whatever their length.
    return memmem(haystack.data(), haystack.size(), m_part.data(), m_part.size()) != nullptr;
}

} // namespace Quorvane
