#pragma once

#include "engine/Matching.h"

#include <string>
#include <string_view>
#include <vector>

// Item keys written plainly, apart from the engine's fast ones: decode the whole item to code
// points, work on code points, fold with utf8proc's whole-string mapping.
namespace Quorvane::Reference {

std::string keyOf(std::string_view item, const MatchMode &mode);
// The item with its case folded and nothing else changed.
std::string foldedOf(std::string_view item);
// The addresses of an item, each with its original bytes; none when it holds no "@".
std::vector<std::string> addressTextsOf(std::string_view item);

} // namespace Quorvane::Reference
