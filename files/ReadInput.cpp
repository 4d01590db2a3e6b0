#include "ReadInput.h"

#include "files/ListFileError.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

// At most this much per call, so that a reader of a large file is told how far it has come.
constexpr std::size_t kMostPerRead = std::size_t(8) << 20;

// Reads with readSome(at, count, filled) until the end or until capacity bytes are in.
template<typename ReadSome>
std::size_t fill(char *bytes, std::size_t capacity, const std::string &name, const BytesRead &onRead,
                 ReadSome &&readSome)
{
    std::size_t filled = 0;
    while (filled < capacity) {
        const ssize_t got = readSome(bytes + filled, std::min(capacity - filled, kMostPerRead), filled);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(ListFileError::Stage::Read, "Cannot read", name, errno);
        }
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
    return fill(bytes, capacity, name, onRead,
                [&](char *at, std::size_t count, std::size_t) { return ::read(descriptor, at, count); });
}

std::size_t readIntoAt(int descriptor, char *bytes, std::size_t capacity, off_t offset, const std::string &name,
                       const BytesRead &onRead)
{
    return fill(bytes, capacity, name, onRead, [&](char *at, std::size_t count, std::size_t filled) {
        return ::pread(descriptor, at, count, offset + static_cast<off_t>(filled));
    });
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
