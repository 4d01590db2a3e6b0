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
    throw ListFileError(ListFileError::Stage::Open, describeFileFailure(kAction, path, reason));
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + 1);
}

// Follows symbolic links one by one to the file that is replaced, so the links stay links.
std::string followLinks(const std::string &path, std::optional<struct stat> &existing)
{
    std::string current = path;
    for (int hop = 0;; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0) {
            if (errno == ENOENT && hop > 0)
                refuse(path, "it is a symbolic link to nothing");
            if (errno != ENOENT)
                throwFileError(ListFileError::Stage::Open, kAction, path, errno);
            existing.reset();
            return current;
        }
        if (!S_ISLNK(status.st_mode)) {
            existing = status;
            return current;
        }
        if (hop == kMostLinks)
            throwFileError(ListFileError::Stage::Open, kAction, path, ELOOP);
        std::string target(PATH_MAX, '\0');
        const ssize_t size = ::readlink(current.c_str(), target.data(), target.size());
        if (size < 0)
            throwFileError(ListFileError::Stage::Open, kAction, path, errno);
        target.resize(static_cast<std::size_t>(size));
        current = target.starts_with('/') ? target : folderOf(current) + target;
    }
}

bool isPipeOrDevice(const struct stat &status)
{
    return S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISSOCK(status.st_mode);
}

} // namespace

OutputTarget findOutputTarget(const std::string &path, Writable writable)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        throwFileError(ListFileError::Stage::Open, kAction, path, path.empty() ? ENOENT : EINVAL);
    OutputTarget target;
    struct stat status {};
    // stat() follows every link, the system's own /proc/self/fd ones included.
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            refuse(path, "it is a folder");
        const std::optional<int> own = writable == Writable::WriteThrough ? ownDescriptorFor(path, status) : std::nullopt;
        if (own) {
            target.inPlaceDescriptor = *own;
            return target;
        }
        if (isPipeOrDevice(status)) {
            if (writable == Writable::RegularFileOnly)
                refuse(path, "it is a pipe or a device, not a file");
            // Renaming a file over it would destroy it; a FIFO's open waits for its reader.
            target.ownedDescriptor = FileDescriptor(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
            if (!target.ownedDescriptor.isOpen())
                throwFileError(ListFileError::Stage::Open, kAction, path, errno);
            target.inPlaceDescriptor = target.ownedDescriptor.get();
            return target;
        }
    }
    target.replacedPath = followLinks(path, target.existing);
    return target;
}

} // namespace Quorvane
