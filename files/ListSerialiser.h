#pragma once

#include "engine/ItemList.h"
#include "files/LineSplitting.h"

#include <string>

namespace Quorvane {

// Writes the items to an open descriptor, each followed by lineEnd (CR LF for None), and stops at the first
// failed write. Throws ListFileError ("Cannot write <name>: <system's words>"). A file-size
// limit is reported as "File too large": SIGXFSZ is ignored for the whole process from the
// first write on, instead of killing it.
void writeListToDescriptor(const ItemList &list, int descriptor, const std::string &displayName,
                           LineEnd lineEnd = LineEnd::CarriageReturnLineFeed);

// Writes all of bytes, retrying short writes. Throws ListFileError as above.
void writeAllBytes(int descriptor, const char *bytes, std::size_t size, const std::string &displayName);

} // namespace Quorvane
