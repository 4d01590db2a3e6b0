#include "OutputTarget.h"

#include "files/ListFileError.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr const char *kAction = "Cannot write";
constexpr int kMostLinks = 40; // as the system's own limit for one path

[[noreturn]] void refuse(const std::string &path, const char *reason)
{
    throw ListFileError(ListFileError::Stage::Open, kAction, path, reason);
}

[[noreturn]] void fail(const std::string &path, int error)
{
    throwFileError(ListFileError::Stage::Open, kAction, path, error);
}

[[noreturn]] void refuseChanged(const std::string &path)
{
    refuse(path, "it changed while it was being opened");
}

struct stat statusOf(const FileDescriptor &file, const std::string &path)
{
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        fail(path, errno);
    return status;
}

// The descriptor a name like /dev/fd/N or /proc/self/fd/N ends in, if any.
std::optional<int> descriptorNumberAtEnd(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || !path.substr(0, slash).ends_with("/fd"))
        return std::nullopt;
    const std::string_view digits = path.substr(slash + 1);
    int number = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return number;
}

// The program's own descriptor that is open on the same file as status: standard output or
// error, or the one the name's /fd/N names. Written through it, a file opened for appending
// is appended to and what the shell already wrote there stays.
std::optional<int> ownDescriptorFor(const std::string &path, const struct stat &status)
{
    int candidates[] = {STDOUT_FILENO, STDERR_FILENO, descriptorNumberAtEnd(path).value_or(-1)};
    for (const int descriptor : candidates) {
        struct stat open {};
        if (descriptor >= 0 && ::fstat(descriptor, &open) == 0 && sameFile(open, status))
            return descriptor;
    }
    return std::nullopt;
}

struct PathParts
{
    std::string folder;
    std::string name;
};

PathParts splitPath(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

FileDescriptor openFolder(int from, const std::string &folder)
{
    return FileDescriptor(::openat(from, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

std::string linkTarget(const ReplacedName &link, const std::string &path)
{
    std::string target(PATH_MAX, '\0');
    const ssize_t size = ::readlinkat(link.folder.get(), link.name.c_str(), target.data(), target.size());
    if (size < 0)
        fail(path, errno);
    target.resize(static_cast<std::size_t>(size));
    return target;
}

// Finds the name to replace, one link at a time through folder descriptors, so the links stay
// links. The kernel has already followed the same links (with its protections) to reached, the
// file there, or found nothing: a walk that ends anywhere else means the names changed meanwhile.
ReplacedName findName(const std::string &path, const std::optional<struct stat> &reached)
{
    PathParts parts = splitPath(path);
    ReplacedName where{openFolder(AT_FDCWD, parts.folder), parts.name};
    if (!where.folder.isOpen())
        fail(path, errno);
    for (int hop = 0;; ++hop) {
        struct stat status {};
        if (::fstatat(where.folder.get(), where.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                fail(path, errno);
            if (reached)
                refuseChanged(path);
            if (hop > 0)
                refuse(path, "it is a symbolic link to nothing");
            return where;
        }
        if (!S_ISLNK(status.st_mode)) {
            if (!reached || !sameFile(status, *reached))
                refuseChanged(path);
            return where;
        }
        if (hop == kMostLinks)
            fail(path, ELOOP);
        // A relative target counts from the folder of the link, an absolute one from the root.
        parts = splitPath(linkTarget(where, path));
        FileDescriptor next = openFolder(where.folder.get(), parts.folder);
        if (!next.isOpen() && errno == ENOENT && !reached)
            refuse(path, "it is a symbolic link to nothing");
        if (!next.isOpen())
            fail(path, errno);
        where.folder = std::move(next);
        where.name = parts.name;
    }
}

bool isPipeOrDevice(const struct stat &status)
{
    return S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISSOCK(status.st_mode);
}

// As the kernel protects FIFOs that are created over, and for devices too: in a sticky folder
// that anyone may write in, only the caller's own or the folder owner's are written to, so that
// nobody can plant one there to catch what another user (or root) meant for a file.
void refuseStrangersStream(const ReplacedName &where, const struct stat &status, const std::string &path)
{
    const struct stat folder = statusOf(where.folder, path);
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    if (shared && status.st_uid != ::geteuid() && status.st_uid != folder.st_uid)
        fail(path, EACCES);
}

// Opens the path again, now for writing, and makes sure it still reaches the same file.
FileDescriptor reopenForWriting(const std::string &path, const struct stat &reached, int flags)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | flags));
    if (!file.isOpen())
        fail(path, errno);
    if (!sameFile(statusOf(file, path), reached))
        refuseChanged(path);
    return file;
}

void writeThroughStream(OutputTarget &target, const std::string &path, const struct stat &status)
{
    refuseStrangersStream(findName(path, status), status, path);
    // Renaming a file over it would destroy it; a FIFO's open waits for its reader.
    target.ownedDescriptor = reopenForWriting(path, status, 0);
    target.inPlaceDescriptor = target.ownedDescriptor.get();
}

void replaceExisting(OutputTarget &target, const std::string &path, const struct stat &status)
{
    // Opened for writing though only replaced: a file its owner made read-only is refused with
    // the system's words, as any writer's would be.
    target.existingFile = reopenForWriting(path, status, O_NONBLOCK);
    target.replaced = findName(path, status);
    target.existing = status;
}

} // namespace

OutputTarget findOutputTarget(const std::string &path, Writable writable)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        fail(path, path.empty() ? ENOENT : EINVAL);
    OutputTarget target;
    // The kernel follows every link, the system's own /proc/self/fd ones included, and refuses
    // those that its protection of shared folders forbids.
    const FileDescriptor reached(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!reached.isOpen()) {
        if (errno != ENOENT)
            fail(path, errno);
        target.replaced = findName(path, std::nullopt);
        return target;
    }
    const struct stat status = statusOf(reached, path);
    if (S_ISDIR(status.st_mode))
        refuse(path, "it is a folder");
    if (writable == Writable::WriteThrough) {
        if (const std::optional<int> own = ownDescriptorFor(path, status)) {
            target.inPlaceDescriptor = *own;
            return target;
        }
    }
    if (isPipeOrDevice(status)) {
        if (writable == Writable::RegularFileOnly)
            refuse(path, "it is a pipe or a device, not a file");
        writeThroughStream(target, path, status);
        return target;
    }
    replaceExisting(target, path, status);
    return target;
}

} // namespace Quorvane
