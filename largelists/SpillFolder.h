#pragma once

#include "files/OpenFile.h"

#include <cstddef>
#include <string>

namespace Quorvane {

// A private folder under $TMPDIR (or /tmp) for the files of one out-of-core run, worked on only
// through its descriptor: a neighbour who renames or replaces it by name changes nothing the
// run reads. A temporary root that others may write to without the sticky bit is refused. Its
// files are named by number. Destroying it removes them and the folder; so does SIGINT, SIGTERM
// or SIGHUP while it exists, before the signal ends the program as it would have. What a run
// that died otherwise (SIGKILL) left behind is removed by the next run of the same user. One at
// a time.
class SpillFolder
{
public:
    // Throws ListFileError when the folder cannot be made or the root is not safe to use.
    SpillFolder();
    ~SpillFolder();
    SpillFolder(const SpillFolder &) = delete;
    SpillFolder &operator=(const SpillFolder &) = delete;

    const std::string &path() const { return m_path; }
    // The path of a new file in the folder (not yet created), as messages show it.
    std::string newFilePath();
    // Whether path names a file of the folder.
    bool holds(const std::string &path) const;
    // Creates the new file path (never an existing one), or opens it for reading, through the
    // folder's descriptor. Throw ListFileError naming path.
    FileDescriptor createFile(const std::string &path) const;
    FileDescriptor openFile(const std::string &path) const;
    // Removes a file made under a name from newFilePath() before the folder goes.
    void removeFile(const std::string &path);

private:
    std::string nameOf(const std::string &path) const;

    std::string m_path;
    FileDescriptor m_root;
    FileDescriptor m_folder;
};

} // namespace Quorvane
