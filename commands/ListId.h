#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace Quorvane {

// One of the window's two lists.
enum class ListId { List1, List2 };

inline constexpr std::array<ListId, 2> kBothLists = {ListId::List1, ListId::List2};

// 1 or 2: the number the window shows.
constexpr int listNumber(ListId list)
{
    return list == ListId::List1 ? 1 : 2;
}

// 0 or 1: the place of the list in anything that holds one thing per list.
constexpr std::size_t listIndex(ListId list)
{
    return list == ListId::List1 ? 0 : 1;
}

constexpr ListId otherList(ListId list)
{
    return list == ListId::List1 ? ListId::List2 : ListId::List1;
}

// "List 2".
inline std::string listName(ListId list)
{
    return "List " + std::to_string(listNumber(list));
}

// The step name of a command whose name does not say its list: "Paste (List 2)".
inline std::string stepNameOnList(std::string_view action, ListId list)
{
    return std::string(action) + " (" + listName(list) + ")";
}

} // namespace Quorvane
