#include "ReferencePatterns.h"

#include <vector>

namespace Quorvane::Reference {

bool globMatches(std::string_view glob, std::string_view text)
{
    std::vector<bool> row(text.size() + 1, false); // row[j]: the glob so far matches text[0, j)
    row[0] = true;
    for (const char c : glob) {
        std::vector<bool> next(text.size() + 1, false);
        for (std::size_t j = 0; j <= text.size(); ++j) {
            if (c == '*')
                next[j] = row[j] || (j > 0 && next[j - 1]);
            else if (j > 0)
                next[j] = row[j - 1] && (c == '?' || c == text[j - 1]);
        }
        row = std::move(next);
    }
    return row[text.size()];
}

// "@*.x.org" needs no rule of its own: as a glob on the domain it means what a subdomain of
// x.org means.
bool patternMatches(std::string_view pattern, std::string_view key)
{
    if (pattern.empty() || pattern.front() == '#')
        return false;
    const std::size_t at = key.rfind('@');
    if (pattern.front() == '@')
        return at != std::string_view::npos && globMatches(pattern.substr(1), key.substr(at + 1));
    if (pattern.back() == '@')
        return at != std::string_view::npos && globMatches(pattern.substr(0, pattern.size() - 1), key.substr(0, at));
    return globMatches(pattern, key);
}

} // namespace Quorvane::Reference
