#pragma once

#include "engine/Matching.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Quorvane {

// Where part first occurs in haystack, or npos. The part's first and last bytes are compared at
// sixteen places at once, its other bytes only where both agree: through long texts, far faster
// than a search that stops at every copy of the first byte. For parts of at most
// TextSearch::kShortPart bytes, and at worst that many times linear.
std::size_t findShortPart(std::string_view haystack, std::string_view part);

// Finds one text inside items, in time linear in the item's length whatever the text's length.
// With foldCase, both sides are compared with their case folded as matching folds it. In a row
// of a table it looks in the key field only, unquoted.
class TextSearch
{
public:
    TextSearch(std::string_view part, bool foldCase, const KeyField &field = {});

    bool occursIn(std::string_view item)
    {
        const std::string_view field = m_folder.fieldOf(item);
        return occursInBytes(m_foldCase ? m_folder.foldedOf(field) : field);
    }

    // Up to this length the plain search (find the first byte, compare the rest) is fastest on
    // short items, and at worst this many times linear. glibc's memmem sets up tables on every
    // call, which costs more than a whole short item, but stays linear for any length.
    static constexpr std::size_t kShortPart = 32;

private:
    bool occursInBytes(std::string_view haystack) const
    {
        if (m_part.size() <= kShortPart)
            return haystack.find(m_part) != std::string_view::npos;
        return occursInLong(haystack);
    }
    bool occursInLong(std::string_view haystack) const;

    std::string m_part;
    bool m_foldCase;
    KeyMaker m_folder;
};

} // namespace Quorvane
