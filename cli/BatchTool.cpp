#include "BatchTool.h"

#include "Batch.h"
#include "BatchOutput.h"
#include "CommandLine.h"
#include "HelpText.h"

#include "files/ListFileError.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace Quorvane {

namespace {

// --help and --version: a write that fails is said, as a run's own output would be; a reader
// that went away (| head) ends it quietly.
int printText(const Streams &streams, std::string_view text)
{
    if (writeAll(streams.output, text))
        return kExitSuccess;
    const int error = errno;
    if (!readerHasGone(streams.output))
        printProblem(streams, describeFileFailure("Cannot write", "standard output", std::strerror(error)));
    return kExitFailure;
}

} // namespace

int runBatchTool(std::span<const std::string_view> arguments, const Streams &streams)
{
    Invocation invocation;
    std::optional<InputWatch> watch;
    try {
        invocation = parseCommandLine(arguments);
        if (invocation.request == Invocation::Request::Run) {
            refuseOneFileForTwoLists(invocation, streams);
            watch.emplace(invocation, streams);
        }
    } catch (const UsageError &error) {
        printProblem(streams, error.what());
        writeAll(streams.errors, usageText());
        return kExitUsage;
    }
    switch (invocation.request) {
    case Invocation::Request::Help:
        return printText(streams, helpText());
    case Invocation::Request::Version:
        return printText(streams, versionText());
    case Invocation::Request::Run:
        break;
    }
    return runBatch(invocation, streams, *watch);
}

} // namespace Quorvane
