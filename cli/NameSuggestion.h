#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace Quorvane {

// The known name a mistyped one most likely meant: the closest by edit distance (a letter left
// out, added, changed or two swapped), when it is close enough to be a slip rather than another
// word. Nothing when no name is that close.
std::optional<std::string_view> closestName(std::string_view typed, std::span<const std::string_view> known);

} // namespace Quorvane
