#include "BatchTool.h"

#include "Batch.h"
#include "CommandLine.h"

namespace Quorvane {

int runBatchTool(std::span<const std::string_view> arguments, const Streams &streams)
{
    Invocation invocation;
    try {
        invocation = parseCommandLine(arguments);
    } catch (const UsageError &error) {
        printProblem(streams, error.what());
        writeAll(streams.errors, usageText());
        return kExitUsage;
    }
    if (invocation.helpWanted)
        return writeAll(streams.output, helpText()) ? kExitSuccess : kExitFailure;
    return runBatch(invocation, streams);
}

} // namespace Quorvane
