#include "RunMessages.h"

#include "files/ReadableName.h"

namespace Quorvane {

namespace {

std::string itemCount(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " item" : " items");
}

std::string quoted(const std::string &name)
{
    return '"' + readableName(name) + '"';
}

} // namespace

void printSummary(const Invocation &invocation, const Streams &streams, std::uint64_t itemsIn,
                  std::uint64_t itemsOut)
{
    if (!invocation.quiet)
        writeAll(streams.errors, itemCount(itemsIn) + " in, " + itemCount(itemsOut) + " out\n");
}

void printDecodedFromUtf16(const Invocation &invocation, const Streams &streams, const std::string &name)
{
    if (!invocation.quiet)
        printProblem(streams, name + " was decoded from UTF-16");
}

std::string shownInputName(const std::string &name)
{
    return name == kStandardStream ? "standard input" : quoted(name);
}

} // namespace Quorvane
