#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Quorvane {

// Full folding may lengthen a character ("ß" folds to "ss"); simple folding maps each character
// to one character, so it never changes the length of a text in characters.
enum class Folding { Full, Simple };

// The place of the first byte that folding may change, or the size when there is none.
std::size_t firstToFold(std::string_view text);
// Appends text with A to Z in small letters and every other byte as it is.
void appendAsciiLowered(std::string &out, std::string_view text);
// Appends text with its case folded, read as Latin-1 when latin1, written in UTF-8.
void appendFolded(std::string &out, std::string_view text, bool latin1, Folding folding);
// Appends text in Unicode's composed form (NFC), its case folded; Latin-1 is composed already.
void appendComposedFolded(std::string &out, std::string_view text, bool latin1, Folding folding);

} // namespace Quorvane
