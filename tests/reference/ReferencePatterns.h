#pragma once

#include <string_view>

// Patterns written plainly, apart from the engine's hash tables and glob index: each pattern is
// tried on each key by what its shape means.
namespace Quorvane::Reference {

// Whether glob (* any run of bytes, ? any one byte) matches the whole text, filled in position
// by position.
bool globMatches(std::string_view glob, std::string_view text);

// Whether key matches one line of a pattern list, both in their compared forms (PatternSet.h).
bool patternMatches(std::string_view pattern, std::string_view key);

} // namespace Quorvane::Reference
