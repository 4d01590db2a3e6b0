#include "FileExists.h"

#include <sys/stat.h>

namespace Quorvane {

bool FileExists(const std::string &path)
{
    struct stat status {};
    // A NUL inside the name would silently shorten it to another file's name.
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    return ::stat(path.c_str(), &status) == 0;
}

} // namespace Quorvane
