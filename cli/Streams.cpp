#include "Streams.h"

#include "files/RetryingCalls.h"

#include <string>

#include <poll.h>

namespace Quorvane {

bool writeAll(int descriptor, std::string_view text)
{
    return writeFully(descriptor, text.data(), text.size()) == 0;
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
