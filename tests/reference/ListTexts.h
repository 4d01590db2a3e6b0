#pragma once

#include "engine/ItemList.h"

#include <string>
#include <vector>

// Lists from texts and back, for tests and fuzz targets that compare whole lists.
namespace Quorvane::Samples {

inline ItemList listOf(const std::vector<std::string> &texts)
{
    ItemList list;
    for (const std::string &text : texts)
        list.append(text);
    return list;
}

inline std::vector<std::string> textsOf(const ItemList &list)
{
    return {list.texts().begin(), list.texts().end()};
}

} // namespace Quorvane::Samples
