#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Quorvane {

// The 1-based column that key names among a header's names: the name exactly as written, else
// a column number, else the name with case and surrounding spaces not counting. Nothing when
// no column answers to it (a number past the last column of a header among them).
std::optional<std::size_t> columnNamed(std::span<const std::string> names, std::string_view key);

// How many of a table's first rows are looked at to find its address column.
inline constexpr std::size_t kAddressSampleRows = 1000;

// The 1-based column whose values, in the first rows, most often look like e-mail addresses (the
// leftmost on a tie); nothing when no value does.
std::optional<std::size_t> mostAddressLikeColumn(std::span<const std::string_view> rows, char delimiter);

} // namespace Quorvane
