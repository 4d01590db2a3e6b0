#pragma once

#include "engine/ItemList.h"
#include "files/LineSplitting.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Quorvane {

using BytesWritten = std::function<void(std::size_t bytes)>;

// When the bytes written go to the disk: whenever the kernel likes (or the file is synced), or
// started chunk by chunk as they are written, for a file that is synced once written, so that
// the sync waits for little more than the last chunk.
enum class WriteBack { Later, AsWritten };

// Writes the items to an open descriptor, each followed by lineEnd (CR LF for None), and stops at the first
// failed write. Throws ListFileError ("Cannot write <name>: <system's words>"). A file-size
// limit is reported as "File too large": SIGXFSZ is ignored for the whole process from the
// first write on, instead of killing it.
// onWritten, when given, is told each chunk's size as it is written, possibly from two threads.
void writeListToDescriptor(std::span<const std::string_view> texts, int descriptor, const std::string &displayName,
                           LineEnd lineEnd = LineEnd::CarriageReturnLineFeed, const BytesWritten &onWritten = {},
                           WriteBack writeBack = WriteBack::Later);

// How many bytes the list takes in a file with the given line end (CR LF for None).
std::uint64_t serialisedSize(const ItemList &list, LineEnd lineEnd);

// Writes all of bytes, retrying short writes. Throws ListFileError as above.
void writeAllBytes(int descriptor, const char *bytes, std::size_t size, const std::string &displayName);

} // namespace Quorvane
