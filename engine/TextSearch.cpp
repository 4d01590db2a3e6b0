#include "TextSearch.h"

#include <cstring>

namespace Quorvane {

namespace {

// Exact matching on the field: the search folds case itself when it should.
MatchMode fieldOnly(const KeyField &field)
{
    MatchMode mode;
    mode.field = field;
    return mode;
}

} // namespace

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
