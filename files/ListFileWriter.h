#pragma once

#include "engine/ItemList.h"

#include <string>

namespace Quorvane {

// Throws ListFileError (at opening, the message starting with action) when path leads to
// something other than a regular file or a folder: a FIFO, a socket or a device such as
// /dev/null or /dev/zero.
void refusePipeOrDevice(const std::string &path, const char *action);

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
