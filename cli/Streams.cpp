#include "Streams.h"

#include <cerrno>
#include <string>

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

void printProblem(const Streams &streams, std::string_view message)
{
    writeAll(streams.errors, "quorvane-cli: " + std::string(message) + '\n');
}

} // namespace Quorvane
