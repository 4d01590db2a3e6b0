#include "KeyColumn.h"

#include "KeyField.h"
#include "Matching.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace Quorvane {

namespace {

std::optional<std::size_t> columnNumber(std::string_view key)
{
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (error != std::errc() || end != key.data() + key.size() || number == 0)
        return {};
    return number;
}

// What "local@domain.tld" needs: one @ with text before it, a dot inside the domain, no space.
bool looksLikeAddress(std::string_view address)
{
    const std::size_t at = address.find('@');
    if (at == 0 || at == std::string_view::npos || address.find('@', at + 1) != std::string_view::npos)
        return false;
    const std::string_view domain = address.substr(at + 1);
    const std::size_t dot = domain.find('.');
    return dot != std::string_view::npos && dot > 0 && domain.back() != '.'
        && address.find_first_of(" \t\r\n,;") == std::string_view::npos;
}

} // namespace

std::optional<std::size_t> columnNamed(std::span<const std::string> names, std::string_view key)
{
    const auto exact = std::find(names.begin(), names.end(), key);
    if (exact != names.end())
        return static_cast<std::size_t>(exact - names.begin()) + 1;
    if (const std::optional<std::size_t> number = columnNumber(key))
        return names.empty() || *number <= names.size() ? number : std::nullopt;
    MatchMode loose;
    loose.ignoreCase = true;
    loose.trim = true;
    const std::string wanted = matchKey(key, loose);
    const auto found = std::find_if(names.begin(), names.end(),
                                    [&](const std::string &name) { return matchKey(name, loose) == wanted; });
    if (found == names.end())
        return {};
    return static_cast<std::size_t>(found - names.begin()) + 1;
}

std::optional<std::size_t> mostAddressLikeColumn(std::span<const std::string_view> rows, char delimiter)
{
    MatchMode addresses;
    addresses.email = true;
    KeyMaker keys(addresses);
    std::vector<std::size_t> scores;
    for (const std::string_view row : rows.first(std::min(rows.size(), kAddressSampleRows))) {
        const std::vector<std::string> fields = fieldTexts(row, delimiter);
        scores.resize(std::max(scores.size(), fields.size()));
        for (std::size_t column = 0; column < fields.size(); ++column)
            scores[column] += looksLikeAddress(keys.keyOf(fields[column])) ? 1 : 0;
    }
    const auto best = std::max_element(scores.begin(), scores.end());
    if (best == scores.end() || *best == 0)
        return {};
    return static_cast<std::size_t>(best - scores.begin()) + 1;
}

} // namespace Quorvane
