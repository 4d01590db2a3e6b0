#include "ReadInput.h"

#include "files/ListFileError.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

std::size_t readInto(int descriptor, char *bytes, std::size_t capacity, const std::string &name)
{
    std::size_t filled = 0;
    while (filled < capacity) {
        const ssize_t got = ::read(descriptor, bytes + filled, capacity - filled);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(ListFileError::Stage::Read, "Cannot read", name, errno);
        }
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

std::size_t remainingFileSize(int descriptor)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    const off_t offset = ::lseek(descriptor, 0, SEEK_CUR);
    return offset >= 0 && offset < status.st_size ? static_cast<std::size_t>(status.st_size - offset) : 0;
}

} // namespace Quorvane
