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

// The name a new file takes the place of: one component inside a folder held open, so that
// nobody can swap the folder for another between the checks and the rename.
struct ReplacedName
{
    FileDescriptor folder;
    std::string name;
};

// Where the bytes for a path go, decided by what the kernel reaches at the path (through its
// own link protections in shared folders), not by how the path is spelled.
struct OutputTarget
{
    // Written in place through this descriptor: the program's own (standard output or error,
    // /dev/fd/N) or one opened for writing on a FIFO or device. Not open when replacing.
    FileDescriptor ownedDescriptor;
    int inPlaceDescriptor = -1;

    // Otherwise replaced: the name of the regular file at the end of any chain of symbolic
    // links (or the path's own name for a new file), the file now there opened for writing
    // (which the kernel allowed), and what it is. existingFile is not open for a new file.
    ReplacedName replaced;
    FileDescriptor existingFile;
    std::optional<struct stat> existing;

    bool writesInPlace() const { return inPlaceDescriptor >= 0; }
};

// Throws ListFileError at Stage::Open with the system's words: a folder, a symbolic-link loop,
// a link to nothing, a link the kernel refuses to follow, a file that cannot be opened for
// writing, another user's FIFO or device in a shared sticky folder, a name that changed while
// it was looked up and, with RegularFileOnly, anything that is not a regular file.
OutputTarget findOutputTarget(const std::string &path, Writable writable);

// True when both describe one file (device and inode).
inline bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace Quorvane
