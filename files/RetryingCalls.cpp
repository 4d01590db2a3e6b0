#include "RetryingCalls.h"

#include <cerrno>

#include <unistd.h>

namespace Quorvane {

ssize_t readOnce(int descriptor, char *bytes, std::size_t count, off_t offset)
{
    for (;;) {
        const ssize_t got = offset < 0 ? ::read(descriptor, bytes, count) : ::pread(descriptor, bytes, count, offset);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

int writeFully(int descriptor, const char *bytes, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = offset < 0 ? ::write(descriptor, bytes + done, size - done)
                                           : ::pwrite(descriptor, bytes + done, size - done,
                                                      offset + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return errno;
        }
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace Quorvane
