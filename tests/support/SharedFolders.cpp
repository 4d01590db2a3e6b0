#include "SharedFolders.h"

#include <fstream>
#include <iterator>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Quorvane::Testing {

namespace {

constexpr const char *kSymlinks = "/proc/sys/fs/protected_symlinks";
constexpr const char *kFifos = "/proc/sys/fs/protected_fifos";

// The files under /proc/sys tell no size: read to their end.
std::string readSetting(const char *path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool writeSetting(const char *path, const std::string &value)
{
    FILE *file = std::fopen(path, "w");
    if (!file)
        return false;
    const bool written = std::fputs(value.c_str(), file) >= 0;
    return std::fclose(file) == 0 && written;
}

} // namespace

KernelLinkProtection::KernelLinkProtection()
    : m_symlinks(readSetting(kSymlinks))
    , m_fifos(readSetting(kFifos))
{
    m_active = !m_symlinks.empty() && !m_fifos.empty() && writeSetting(kSymlinks, "1") && writeSetting(kFifos, "1");
}

KernelLinkProtection::~KernelLinkProtection()
{
    if (!m_symlinks.empty())
        writeSetting(kSymlinks, m_symlinks);
    if (!m_fifos.empty())
        writeSetting(kFifos, m_fifos);
}

int runAs(uid_t user, gid_t group, const std::function<int()> &work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0)
            ::_exit(125);
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace Quorvane::Testing
