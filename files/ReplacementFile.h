#pragma once

#include "files/OpenFile.h"
#include "files/TemporaryNameGuard.h"
#include "files/ListFileError.h"

#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace Quorvane {

// A new file that replaces the one at a path in one step, or leaves it exactly as it was.
//
// It is written unnamed (O_TMPFILE) in the target's folder where the file system allows, so
// nothing is left if the program dies while writing; elsewhere under a short name of its own
// (any target name fits the name limit). Before it takes the target's place it gets the
// replaced file's mode (setuid, setgid and sticky included), owner and group where the
// process may set them, and extended attributes (ACLs among them), and it is synced to disk.
// What could not be kept is returned as warnings, one line each. A replaced file with other
// hard links is split from them, with a warning: they keep the old list.
class ReplacementFile
{
public:
    // replacedPath: the regular file to replace (no symbolic link), existing: what it is now,
    // or nothing for a new file. displayName names it in messages. Throws ListFileError.
    ReplacementFile(std::string replacedPath, const std::optional<struct stat> &existing, std::string displayName);
    // Not published: the new file goes and the target stays as it was.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    int descriptor() const { return m_file.get(); }

    // Gives the new file the replaced one's identity and syncs it. Throws ListFileError.
    void prepare();
    // Puts the new file in the target's place. Throws ListFileError; the target is then unchanged.
    void publish();

    const std::vector<std::string> &warnings() const { return m_warnings; }

private:
    void createUnnamed();
    void createNamed();
    void keepOwner();
    void keepExtendedAttributes();
    void keepMode();
    void linkName();
    void nameTemporary(const std::string &name);
    [[noreturn]] void fail(ListFileError::Stage stage, int error) const;

    std::string m_replacedPath;
    std::string m_baseName;
    std::optional<struct stat> m_existing;
    std::string m_displayName;
    FileDescriptor m_folder;
    FileDescriptor m_file;
    std::string m_temporaryName; // empty while the file has no name
    std::optional<TemporaryNameGuard> m_guard;
    bool m_published = false;
    std::vector<std::string> m_warnings;
};

} // namespace Quorvane
