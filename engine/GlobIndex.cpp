#include "GlobIndex.h"

#include <algorithm>

namespace Quorvane {

namespace {

// Longer literal ends would choose the globs to try more narrowly, at the cost of one more
// lookup per text for every length in use.
constexpr std::size_t kFiledBytes = 8;

std::uint16_t pairAt(std::string_view text, std::size_t place)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(text[place]) << 8
                                      | static_cast<unsigned char>(text[place + 1]));
}

} // namespace

void GlobIndex::add(std::string_view pattern)
{
    if (!m_seen.emplace(pattern).second)
        return;
    const auto glob = static_cast<std::uint32_t>(m_globs.size());
    const GlobPattern &added = m_globs.emplace_back(pattern);
    const std::string_view head = added.literalHead();
    const std::string_view tail = added.literalTail();
    const std::string_view inside = added.longestLiteral();
    if (!tail.empty() && tail.size() >= head.size())
        m_byTail.file(tail, glob);
    else if (!head.empty())
        m_byHead.file(head, glob);
    else if (inside.size() >= 2)
        m_byPair.file(pairAt(inside, inside.size() - 2), glob);
    else
        m_unfiled.push_back(glob);
}

bool GlobIndex::matchesAny(std::string_view text) const
{
    const auto matches = [&](std::uint32_t glob) { return m_globs[glob].matches(text); };
    return m_byTail.matchesAny(text, m_globs) || m_byHead.matchesAny(text, m_globs)
        || m_byPair.matchesAny(text, m_globs) || std::any_of(m_unfiled.begin(), m_unfiled.end(), matches);
}

void GlobIndex::EndShelf::file(std::string_view literal, std::uint32_t glob)
{
    const std::size_t length = std::min(literal.size(), kFiledBytes);
    const std::string_view filed = m_atEnd ? literal.substr(literal.size() - length) : literal.substr(0, length);
    m_globsByBytes[filed].push_back(glob);
    if (length >= 2)
        m_endsInUse.set(pairAt(filed, m_atEnd ? length - 2 : 0));
    else
        m_endBytesInUse[static_cast<unsigned char>(filed.front())] = true;
    if (std::find(m_lengths.begin(), m_lengths.end(), length) == m_lengths.end())
        m_lengths.push_back(length);
}

bool GlobIndex::EndShelf::matchesAny(std::string_view text, const std::vector<GlobPattern> &globs) const
{
    if (text.empty())
        return false;
    const bool endByteInUse = m_endBytesInUse[static_cast<unsigned char>(m_atEnd ? text.back() : text.front())];
    const bool endPairInUse = text.size() >= 2 && m_endsInUse.has(pairAt(text, m_atEnd ? text.size() - 2 : 0));
    for (const std::size_t length : m_lengths) {
        if (length > text.size() || !(length >= 2 ? endPairInUse : endByteInUse))
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

void GlobIndex::PairShelf::file(std::uint16_t pair, std::uint32_t glob)
{
    m_inUse.set(pair);
    m_globsByPair[pair].push_back(glob);
}

bool GlobIndex::PairShelf::matchesAny(std::string_view text, const std::vector<GlobPattern> &globs) const
{
    if (m_globsByPair.empty())
        return false;
    // Each glob is tried once, however often its pair comes back in the text.
    std::vector<std::uint16_t> tried;
    for (std::size_t place = 0; place + 1 < text.size(); ++place) {
        const std::uint16_t pair = pairAt(text, place);
        if (!m_inUse.has(pair) || std::find(tried.begin(), tried.end(), pair) != tried.end())
            continue;
        tried.push_back(pair);
        for (const std::uint32_t glob : m_globsByPair.find(pair)->second) {
            if (globs[glob].matches(text))
                return true;
        }
    }
    return false;
}

} // namespace Quorvane
