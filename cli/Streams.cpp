#include "Streams.h"

#include <cerrno>
#include <string>

#include <poll.h>

namespace Quorvane {

bool writeAll(int descriptor, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool readerHasGone(int descriptor)
{
    pollfd entry{descriptor, POLLOUT, 0};
    return ::poll(&entry, 1, 0) == 1 && (entry.revents & (POLLERR | POLLHUP));
}

void printProblem(const Streams &streams, std::string_view message)
{
    writeAll(streams.errors, "quorvane-cli: " + std::string(message) + '\n');
}

} // namespace Quorvane
