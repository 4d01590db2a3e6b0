#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace Quorvane {

// How a line ends in a list file.
enum class LineEnd { None, LineFeed, CarriageReturnLineFeed, CarriageReturn };

// The bytes that end a line in the given style ("" for None).
std::string_view lineEndBytes(LineEnd lineEnd);

// Appends the lines of text: CR, CR LF and a lone LF each end a line; the last line counts
// with or without a line end; a line end at the very end adds no line.
void appendLines(std::string_view text, std::vector<std::string_view> &lines);

// The lines of text, in a vector sized exactly for them.
std::vector<std::string_view> splitLines(std::string_view text);

// Where a piece of text of about size bytes from its start ends so that its lines are lines of
// the whole text: just after the first line end at or after size (both bytes of a CR LF), or at
// the text's end. Each piece of a long text then splits as the whole would, line for line.
std::size_t pieceEnd(std::string_view text, std::size_t size);

// The style of the first line end in text; a CR that is the last byte counts as a lone CR.
LineEnd firstLineEnd(std::string_view text);

// The position of the last CR or LF in text, or npos.
std::size_t lastLineEndByte(std::string_view text);

} // namespace Quorvane
