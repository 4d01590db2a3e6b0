#include "TextSearch.h"

#include <cstring>

namespace Quorvane {

TextSearch::TextSearch(std::string_view part, bool foldCase)
    : m_foldCase(foldCase)
    , m_folder(MatchMode{})
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
