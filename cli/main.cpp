#include "Batch.h"
#include "CommandLine.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int kUsageError = 2;

} // namespace

int main(int argc, char *argv[])
{
    using namespace Quorvane;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    Invocation invocation;
    try {
        invocation = parseCommandLine(arguments);
    } catch (const UsageError &error) {
        std::fprintf(stderr, "quorvane-cli: %s\n%s", error.what(), usageText().c_str());
        return kUsageError;
    }
    if (invocation.helpWanted) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    return runBatch(invocation);
}
