#include "StaleSpills.h"

#include "files/OpenFile.h"

#include <cerrno>
#include <charconv>
#include <optional>
#include <csignal>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr std::string_view kPrefix = "quorvane-";

// The process id in a spill folder's name; nothing for any other name.
std::optional<pid_t> runOf(std::string_view name)
{
    if (!name.starts_with(kPrefix))
        return std::nullopt;
    name.remove_prefix(kPrefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || pid <= 0 || end == name.data() + name.size() || *end != '-')
        return std::nullopt;
    return pid;
}

bool isGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

struct ListingCloser
{
    void operator()(DIR *listing) const { ::closedir(listing); }
};

// Calls visit(name) for each entry of the open folder but . and .., once the listing is closed;
// the listing is closed on every way out, running out of memory for the names included.
template<typename Visit>
void forEachEntry(int folder, Visit &&visit)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    std::unique_ptr<DIR, ListingCloser> entries(::fdopendir(listing));
    if (!entries) {
        ::close(listing);
        return;
    }
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(entries.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    entries.reset();
    for (const std::string &name : names)
        visit(name);
}

void removeIfStale(int root, const std::string &name)
{
    const FileDescriptor folder(::openat(root, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!folder.isOpen() || ::fstat(folder.get(), &status) != 0 || status.st_uid != ::geteuid()
        || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0)
        return;
    forEachEntry(folder.get(), [&](const std::string &file) { ::unlinkat(folder.get(), file.c_str(), 0); });
    ::unlinkat(root, name.c_str(), AT_REMOVEDIR);
}

} // namespace

std::string spillFolderName(pid_t pid, unsigned unique)
{
    return std::string(kPrefix) + std::to_string(pid) + '-' + std::to_string(unique);
}

void removeStaleSpillFolders(int root)
{
    forEachEntry(root, [&](const std::string &name) {
        if (const std::optional<pid_t> run = runOf(name); run && isGone(*run))
            removeIfStale(root, name);
    });
}

} // namespace Quorvane
