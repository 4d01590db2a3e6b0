#pragma once

#include "files/OpenFile.h"

#include <optional>
#include <string>

#include <sys/stat.h>

namespace Quorvane {

// What a writer accepts at a path.
enum class Writable {
    // The window: only a regular file (or a new one); a pipe or a device would make it wait.
    RegularFileOnly,
    // The batch tool: a FIFO, socket or device, or the file standard output is open on, is
    // written through in place.
    WriteThrough,
};

// Where the bytes for a path go, decided by what the path is (stat: type, device and inode),
// not by how it is spelled.
struct OutputTarget
{
    // Written in place through this descriptor: the program's own (standard output or error,
    // /dev/fd/N) or one opened for writing on a FIFO or device. Not open when replacing.
    FileDescriptor ownedDescriptor;
    int inPlaceDescriptor = -1;

    // Otherwise replaced: the regular file at the end of any chain of symbolic links (or the
    // path itself for a new file), and what it is now.
    std::string replacedPath;
    std::optional<struct stat> existing;

    bool writesInPlace() const { return inPlaceDescriptor >= 0; }
};

// Throws ListFileError at Stage::Open: a folder, a symbolic-link loop or a link to nowhere,
// and, with RegularFileOnly, anything that is not a regular file.
OutputTarget findOutputTarget(const std::string &path, Writable writable);

} // namespace Quorvane
