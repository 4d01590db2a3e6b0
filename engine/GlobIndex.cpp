#include "GlobIndex.h"

#include <algorithm>

namespace Quorvane {

namespace {

// Longer literal ends would choose the globs to try more narrowly, at the cost of one more
// lookup per text for every length in use.
constexpr std::size_t kFiledBytes = 8;

} // namespace

void GlobIndex::add(std::string_view pattern)
{
    if (!m_seen.emplace(pattern).second)
        return;
    const auto glob = static_cast<std::uint32_t>(m_globs.size());
    m_globs.emplace_back(pattern);
    const std::string_view head = m_globs.back().literalHead();
    const std::string_view tail = m_globs.back().literalTail();
    if (tail.empty() && head.empty())
        m_unfiled.push_back(glob);
    else if (tail.size() >= head.size())
        m_byTail.file(tail, glob);
    else
        m_byHead.file(head, glob);
}

bool GlobIndex::matchesAny(std::string_view text) const
{
    const auto matches = [&](std::uint32_t glob) { return m_globs[glob].matches(text); };
    return m_byTail.matchesAny(text, m_globs) || m_byHead.matchesAny(text, m_globs)
        || std::any_of(m_unfiled.begin(), m_unfiled.end(), matches);
}

void GlobIndex::Shelf::file(std::string_view literal, std::uint32_t glob)
{
    const std::size_t length = std::min(literal.size(), kFiledBytes);
    const std::string_view filed = m_atEnd ? literal.substr(literal.size() - length) : literal.substr(0, length);
    m_globsByBytes[filed].push_back(glob);
    if (std::find(m_lengths.begin(), m_lengths.end(), length) == m_lengths.end())
        m_lengths.push_back(length);
}

bool GlobIndex::Shelf::matchesAny(std::string_view text, const std::vector<GlobPattern> &globs) const
{
    for (const std::size_t length : m_lengths) {
        if (length > text.size())
            continue;
        const auto found = m_globsByBytes.find(m_atEnd ? text.substr(text.size() - length) : text.substr(0, length));
        if (found == m_globsByBytes.end())
            continue;
        for (const std::uint32_t glob : found->second) {
            if (globs[glob].matches(text))
                return true;
        }
    }
    return false;
}

} // namespace Quorvane
