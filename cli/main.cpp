#include "BatchTool.h"

#include <csignal>
#include <string_view>
#include <vector>

int main(int argc, char *argv[])
{
    // A reader that goes away is a write error to handle, not a reason to die without a word.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return Quorvane::runBatchTool(arguments, Quorvane::Streams{});
}
