#pragma once

#include <functional>
#include <string>

#include <sys/types.h>

namespace Quorvane::Testing {

// Someone else on the machine: neither the caller nor root.
inline constexpr uid_t kOtherUser = 4711;
inline constexpr gid_t kOtherGroup = 4712;

// Turns on the kernel's protection of links and FIFOs in sticky shared folders for its
// lifetime and restores what was there. active() is false where that cannot be done (not
// root, no /proc/sys): the test then skips with reason().
class KernelLinkProtection
{
public:
    KernelLinkProtection();
    ~KernelLinkProtection();
    KernelLinkProtection(const KernelLinkProtection &) = delete;
    KernelLinkProtection &operator=(const KernelLinkProtection &) = delete;

    bool active() const { return m_active; }
    std::string reason() const { return "cannot turn on the kernel's protection of shared folders (needs root)"; }

private:
    std::string m_symlinks;
    std::string m_fifos;
    bool m_active = false;
};

// Runs work in a child process as the given user and group (from root); returns its exit
// status, or 128 + the signal that ended it.
int runAs(uid_t user, gid_t group, const std::function<int()> &work);

} // namespace Quorvane::Testing
