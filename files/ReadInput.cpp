#include "ReadInput.h"

#include "files/ListFileError.h"
#include "files/RetryingCalls.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

// At most this much per call, so that a reader of a large file is told how far it has come.
constexpr std::size_t kMostPerRead = std::size_t(8) << 20;

// Reads until the end or until capacity bytes are in, from offset on when it is not negative.
std::size_t fill(int descriptor, char *bytes, std::size_t capacity, off_t offset, const std::string &name,
                 const BytesRead &onRead)
{
    std::size_t filled = 0;
    while (filled < capacity) {
        const off_t at = offset < 0 ? -1 : offset + static_cast<off_t>(filled);
        const ssize_t got = readOnce(descriptor, bytes + filled, std::min(capacity - filled, kMostPerRead), at);
        if (got == 0)
            break;
        if (got < 0)
            throwFileError(ListFileError::Stage::Read, "Cannot read", name, errno);
        filled += static_cast<std::size_t>(got);
        if (onRead)
            onRead(static_cast<std::size_t>(got));
    }
    return filled;
}

} // namespace

std::size_t readInto(int descriptor, char *bytes, std::size_t capacity, const std::string &name,
                     const BytesRead &onRead)
{
    return fill(descriptor, bytes, capacity, -1, name, onRead);
}

std::size_t readIntoAt(int descriptor, char *bytes, std::size_t capacity, off_t offset, const std::string &name,
                       const BytesRead &onRead)
{
    return fill(descriptor, bytes, capacity, offset, name, onRead);
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
