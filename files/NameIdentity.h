#pragma once

#include <optional>
#include <string>

#include <sys/types.h>

namespace Quorvane {

// Which file a name reaches, however it is spelled: the device and inode of what is there
// (through every link), or, for a name that does not exist yet, its folder's device and inode
// and its last component.
struct NameIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    std::string newName; // empty when the file exists

    bool operator==(const NameIdentity &) const = default;
};

// Nothing when the name reaches nothing that can be told (its folder is missing, say).
std::optional<NameIdentity> identityOfName(const std::string &path);
std::optional<NameIdentity> identityOfDescriptor(int descriptor);

} // namespace Quorvane
