#pragma once

#include "engine/ItemList.h"
#include "files/ListFileError.h"
#include "files/OpenFile.h"

#include <string>
#include <string_view>

namespace Quorvane {

// Throws ListFileError (at opening, the message starting with action) when path leads to
// something other than a regular file or a folder: a FIFO, a socket or a device such as
// /dev/null or /dev/zero.
void refusePipeOrDevice(const std::string &path, const char *action);

// The items of a list file's bytes: CR, CR LF and a lone LF each end a line; the last line
// counts with or without a line end; a line end at the very end adds no item.
ItemList parseListBytes(std::unique_ptr<ByteBlock> bytes);

// Reads a whole list file in one go; readable says whether only a regular file is taken (see
// openForReading). Throws ListFileError when it cannot be opened or read.
ItemList readListFile(const std::string &path, Readable readable);

// Reads a list from an already open descriptor (standard input) until its end.
// Throws ListFileError when it is a folder or cannot be read.
ItemList readListFromDescriptor(int descriptor, const std::string &displayName);

// Replaces the file at path with the items, each followed by CR LF, atomically: on any failure
// the old file stays exactly as it was, no temporary file is left, and ListFileError is thrown.
// The first write sets SIGXFSZ to ignored for the whole process, so a file-size limit ends the
// write with an error to report instead of killing the program. A pipe or a device at path is
// written to in place: renaming a file over it would destroy it. /dev/stdout, /dev/stderr,
// /dev/fd/N and /proc/self/fd/N are written through the descriptor they name.
void writeListFile(const ItemList &list, const std::string &path);

// Writes the items in the list file format to an already open descriptor (standard output).
// Throws ListFileError on a write failure.
void writeListToDescriptor(const ItemList &list, int descriptor, const std::string &displayName);

} // namespace Quorvane
