#pragma once

#include "files/ListFileError.h"
#include "files/OpenFile.h"
#include "files/OutputTarget.h"
#include "files/TemporaryNameGuard.h"

#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace Quorvane {

// A new file that replaces the one at a path in one step, or leaves it exactly as it was.
//
// It is written unnamed (O_TMPFILE) in the target's folder where the file system allows, so
// nothing is left if the program dies while writing; elsewhere under a short name of its own
// (any target name fits the name limit), which only its owner can open until it is complete.
// Before it takes the target's place it gets the replaced file's permissions, owner and group
// where the process may set them, and the extended attributes of the user and system
// namespaces (ACLs among them), all read from the replaced file's own descriptor, and it is
// synced to disk. It never takes the set-user-ID, set-group-ID or sticky bit, nor a security
// attribute such as file capabilities: those would grant rights to content the list replaced.
// What could not be kept is returned as warnings, one line each. A replaced file with other
// hard links is split from them, with a warning: they keep the old list. The name is checked
// once more just before the rename: a file swapped in meanwhile is never replaced.
class ReplacementFile
{
public:
    // target: the name to replace and the file there now, if any (see findOutputTarget).
    // displayName names it in messages. Throws ListFileError.
    ReplacementFile(OutputTarget target, std::string displayName);
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
    void widenNewFile();
    void nameTemporary(const std::string &name);
    void refuseChangedTarget() const;
    void renameIntoPlace();
    [[noreturn]] void fail(ListFileError::Stage stage, int error) const;

    ReplacedName m_target;
    FileDescriptor m_existingFile;
    std::optional<struct stat> m_existing;
    std::string m_displayName;
    FileDescriptor m_file;
    std::string m_temporaryName; // empty while the file has no name
    std::optional<TemporaryNameGuard> m_guard;
    bool m_published = false;
    std::vector<std::string> m_warnings;
};

} // namespace Quorvane
