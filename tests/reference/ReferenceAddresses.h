#pragma once

#include <string_view>

// Whether an item holds one valid address, written apart from the engine's parser: the grammar as
// regular expressions over the item's shape (each non-ASCII character one placeholder byte), the
// lengths counted on the UTF-8 text, several addresses found by splitting the item into pieces.
namespace Quorvane::Reference {

bool holdsValidAddress(std::string_view item, bool common);

} // namespace Quorvane::Reference
