#pragma once

#include "engine/ItemList.h"

#include <string>
#include <vector>

// Lists from texts and back, for tests and fuzz targets that compare whole lists.
namespace Quorvane::Samples {

ItemList listOf(const std::vector<std::string> &texts);
std::vector<std::string> textsOf(const ItemList &list);

// count distinct texts in order, numbered from first: prefix0suffix, prefix1suffix, ...
std::vector<std::string> numberedTexts(std::size_t count, const std::string &prefix, const std::string &suffix = {},
                                       std::size_t first = 0);
ItemList numberedList(std::size_t count, const std::string &prefix, const std::string &suffix = {},
                      std::size_t first = 0);

// The texts quoted, with every byte outside printable ASCII written as \xNN, so blanks,
// spaces, NUL and non-ASCII bytes are all visible in a failure message.
std::string describe(const std::vector<std::string> &texts);

} // namespace Quorvane::Samples
