#include "PatternSet.h"

#include <algorithm>

namespace Quorvane {

namespace {

constexpr char kAt = '@';
constexpr char kComment = '#';
constexpr std::string_view kAnySubdomain = "*.";

bool contains(const KeySet &texts, std::string_view text)
{
    return !texts.empty() && texts.contains(text);
}

} // namespace

PatternSet::PatternSet(std::span<const std::string_view> lines, const MatchMode &mode)
    : m_mode(mode)
{
    // The lines are the other list's: of a table, its own key column.
    KeyMaker keyMaker(mode.forOtherList());
    for (const std::string_view line : lines)
        add(keyMaker.keyOf(line));
}

void PatternSet::add(std::string_view pattern)
{
    if (pattern.empty() || pattern.front() == kComment)
        return;
    if (pattern.front() == kAt) {
        const std::string_view domain = pattern.substr(1);
        const std::string_view parent = domain.substr(std::min(domain.size(), kAnySubdomain.size()));
        if (domain.starts_with(kAnySubdomain) && !GlobPattern::hasWildcard(parent))
            m_parentDomains.emplace(parent);
        else if (GlobPattern::hasWildcard(domain))
            m_domainGlobs.add(domain);
        else
            m_domains.emplace(domain);
    } else if (pattern.back() == kAt) {
        const std::string_view localPart = pattern.substr(0, pattern.size() - 1);
        if (GlobPattern::hasWildcard(localPart))
            m_localPartGlobs.add(localPart);
        else
            m_localParts.emplace(localPart);
    } else if (GlobPattern::hasWildcard(pattern)) {
        m_keyGlobs.add(pattern);
    } else {
        m_keys.emplace(pattern);
    }
}

bool PatternSet::matches(std::string_view key) const
{
    if (contains(m_keys, key))
        return true;
    const std::size_t at = key.rfind(kAt);
    if (at != std::string_view::npos) {
        const std::string_view localPart = key.substr(0, at);
        if (contains(m_localParts, localPart) || matchesDomain(key.substr(at + 1)))
            return true;
        if (!m_localPartGlobs.isEmpty() && m_localPartGlobs.matchesAny(localPart))
            return true;
    }
    return !m_keyGlobs.isEmpty() && m_keyGlobs.matchesAny(key);
}

bool PatternSet::matchesDomain(std::string_view domain) const
{
    if (contains(m_domains, domain))
        return true;
    // A subdomain's parents are what follows each of its dots.
    if (!m_parentDomains.empty()) {
        for (std::size_t dot = domain.find('.'); dot != std::string_view::npos; dot = domain.find('.', dot + 1)) {
            if (m_parentDomains.contains(domain.substr(dot + 1)))
                return true;
        }
    }
    return !m_domainGlobs.isEmpty() && m_domainGlobs.matchesAny(domain);
}

} // namespace Quorvane
