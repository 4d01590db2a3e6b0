#pragma once

#include "engine/GlobIndex.h"
#include "engine/KeySet.h"
#include "engine/Matching.h"

#include <span>
#include <string>
#include <string_view>

namespace Quorvane {

// The lines of a list read as patterns that items match, as subtract and keep-matches (Remove Matches and Keep Only Matches) read
// their second list when the mode's otherIsPatterns is set. Each line is first put in its
// compared form under the mode, as the items are; then, by its shape:
// - empty, or starting with #: no pattern (the blank lines and comments of a pattern file);
// - "@example.com": every address at that domain, the domain being what follows the last @;
// - "@*.example.com": every address at a subdomain of example.com, at any depth;
// - "noreply@": that local part, what comes before the last @, at every domain;
// - with * (any run of bytes) or ? (any one byte): a glob, matched against the domain when it
//   starts with @, against the local part when it ends with @, else against the whole key;
// - anything else: that key exactly, as without patterns.
// Exact, domain, subdomain and local-part patterns are hash lookups, so only the globs cost time
// for each item, and only those that could match it (GlobIndex).
class PatternSet
{
public:
    PatternSet(std::span<const std::string_view> lines, const MatchMode &mode);

    // The mode the patterns were read under: items are matched by their keys under it.
    const MatchMode &mode() const { return m_mode; }
    // Whether key, an item's key under mode(), matches any pattern.
    bool matches(std::string_view key) const;

private:
    void add(std::string_view pattern);
    bool matchesDomain(std::string_view domain) const;

    MatchMode m_mode;
    KeySet m_keys;
    KeySet m_domains;
    KeySet m_parentDomains; // of the subdomain patterns
    KeySet m_localParts;
    GlobIndex m_keyGlobs;
    GlobIndex m_domainGlobs;
    GlobIndex m_localPartGlobs;
};

} // namespace Quorvane
