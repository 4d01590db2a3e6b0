#include "BatchTool.h"

#include "Batch.h"
#include "CommandLine.h"
#include "HelpText.h"

#include <optional>

namespace Quorvane {

int runBatchTool(std::span<const std::string_view> arguments, const Streams &streams)
{
    Invocation invocation;
    std::optional<InputWatch> watch;
    try {
        invocation = parseCommandLine(arguments);
        if (invocation.request == Invocation::Request::Run)
            watch.emplace(invocation, streams);
    } catch (const UsageError &error) {
        printProblem(streams, error.what());
        writeAll(streams.errors, usageText());
        return kExitUsage;
    }
    switch (invocation.request) {
    case Invocation::Request::Help:
        return writeAll(streams.output, helpText()) ? kExitSuccess : kExitFailure;
    case Invocation::Request::Version:
        return writeAll(streams.output, versionText()) ? kExitSuccess : kExitFailure;
    case Invocation::Request::Run:
        break;
    }
    return runBatch(invocation, streams, *watch);
}

} // namespace Quorvane
