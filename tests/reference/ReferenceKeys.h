#pragma once

#include "engine/Matching.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Item keys written plainly, apart from the engine's fast ones: decode the whole item to code
// points, work on code points, fold with utf8proc's whole-string mapping.
namespace Quorvane::Reference {

// The key of the item's key field (mode.field) under the mode; a row without that field has an
// empty key.
std::string keyOf(std::string_view item, const MatchMode &mode);
// The unquoted text of the field, read one byte after another; nothing for a row too short.
std::optional<std::string> fieldOf(std::string_view row, const KeyField &field);
// The item with its case folded and nothing else changed.
std::string foldedOf(std::string_view item);
// The address the e-mail mode takes out of item, unwrapped until nothing more comes off, in UTF-8
// and not folded; a Latin-1 item is read as Latin-1.
std::string addressIn(std::string_view item);
// The same, taken out once: what is left may still be wrapped.
std::string addressOnceIn(std::string_view item);
// The addresses of an item, each with its original bytes; none when it holds no "@".
std::vector<std::string> addressTextsOf(std::string_view item);

} // namespace Quorvane::Reference
