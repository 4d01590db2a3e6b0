#include "NameIdentity.h"

#include <cerrno>

#include <sys/stat.h>

namespace Quorvane {

namespace {

NameIdentity identityOf(const struct stat &status, std::string newName = {})
{
    return {status.st_dev, status.st_ino, std::move(newName)};
}

} // namespace

std::optional<NameIdentity> identityOfName(const std::string &path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return identityOf(status);
    if (errno != ENOENT)
        return std::nullopt;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || ::stat(folder.c_str(), &status) != 0)
        return std::nullopt;
    return identityOf(status, name);
}

std::optional<NameIdentity> identityOfDescriptor(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return std::nullopt;
    return identityOf(status);
}

} // namespace Quorvane
