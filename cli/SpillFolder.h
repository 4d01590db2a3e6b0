#pragma once

#include <cstddef>
#include <string>

namespace Quorvane {

// A private folder under $TMPDIR (or /tmp) for the files of one out-of-core run. Its files are
// named by number. Destroying it removes them and the folder; so does SIGINT, SIGTERM or SIGHUP
// while it exists, before the signal ends the program as it would have. One at a time.
class SpillFolder
{
public:
    // Throws ListFileError when the folder cannot be made.
    SpillFolder();
    ~SpillFolder();
    SpillFolder(const SpillFolder &) = delete;
    SpillFolder &operator=(const SpillFolder &) = delete;

    const std::string &path() const { return m_path; }
    // The path of a new file in the folder (not yet created).
    std::string newFilePath();
    // Removes a file made under a name from newFilePath() before the folder goes.
    void removeFile(const std::string &path);

private:
    std::string m_path;
};

} // namespace Quorvane
