#include "NameSuggestion.h"

#include <algorithm>
#include <vector>

namespace Quorvane {

namespace {

// Optimal string alignment distance: insertions, deletions, substitutions and swaps of two
// neighbouring letters each count one.
std::size_t editDistance(std::string_view from, std::string_view to)
{
    const std::size_t columns = to.size() + 1;
    std::vector<std::size_t> distance((from.size() + 1) * columns);
    const auto at = [&](std::size_t row, std::size_t column) -> std::size_t & {
        return distance[row * columns + column];
    };
    for (std::size_t row = 0; row <= from.size(); ++row)
        at(row, 0) = row;
    for (std::size_t column = 0; column <= to.size(); ++column)
        at(0, column) = column;
    for (std::size_t row = 1; row <= from.size(); ++row) {
        for (std::size_t column = 1; column <= to.size(); ++column) {
            const std::size_t change = from[row - 1] == to[column - 1] ? 0 : 1;
            at(row, column) = std::min({at(row - 1, column) + 1, at(row, column - 1) + 1, at(row - 1, column - 1) + change});
            if (row > 1 && column > 1 && from[row - 1] == to[column - 2] && from[row - 2] == to[column - 1])
                at(row, column) = std::min(at(row, column), at(row - 2, column - 2) + 1);
        }
    }
    return at(from.size(), to.size());
}

} // namespace

std::optional<std::string_view> closestName(std::string_view typed, std::span<const std::string_view> known)
{
    // Two slips at most, and fewer in a short name, where two changes make another word.
    const std::size_t allowed = std::min<std::size_t>(2, typed.size() / 4);
    std::optional<std::string_view> closest;
    std::size_t closestDistance = allowed + 1;
    for (const std::string_view name : known) {
        const std::size_t distance = editDistance(typed, name);
        if (distance < closestDistance) {
            closest = name;
            closestDistance = distance;
        }
    }
    return closest;
}

} // namespace Quorvane
