#pragma once

#include "engine/KeyField.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace Quorvane {

// What one pass over a line finds: whether it is plain ASCII, whether it has a comma or a
// semicolon somewhere, so it may hold several addresses, and whether it is a plain address: one
// that reading the address leaves as it is, so its key is the line with its capitals lowered.
// A plain address is ASCII without white space, control bytes, quotes, colons, angle brackets,
// separators or "--", and is not empty.
struct LineScan
{
    bool ascii;
    bool separators;
    bool plainAddress;
    bool capitals; // any of A to Z
};

LineScan scanLine(std::string_view text);
inline bool maySeparateAddresses(std::string_view text)
{
    return scanLine(text).separators;
}

// The addresses of one line, each a view of its original text without the white space around
// it. Commas and semicolons separate addresses outside double quotes and angle brackets; a piece
// without "@" is a display name split by its comma ("Smith, John <john@x.org>") and belongs to
// the address after it (at the end, to the one before). Blank pieces are nothing, so
// "ann@x.org," holds one address; a line without "@" holds none.
std::vector<std::string_view> addressesOf(std::string_view text);
bool holdsSeveralAddresses(std::string_view text);
// How many of texts hold several addresses in their key field (KeyField.h).
std::size_t countSeveralAddresses(std::span<const std::string_view> texts, const KeyField &field = {});

} // namespace Quorvane
