#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace Quorvane::Testing {

struct CliResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The arguments as one line, to say which case of a table failed.
std::string commandLineOf(const std::vector<std::string> &arguments);

// Runs quorvane-cli in this process with input as its standard input and collects what it
// printed. Output named /dev/stdout or alike would reach the test's own standard output: such
// cases belong to runCliProcess.
CliResult runCli(const std::vector<std::string> &arguments, const std::string &input = {});

// Runs the built quorvane-cli in a child process with input as its standard input and,
// when given, a limit on the bytes any file may grow to; collects what it printed.
CliResult runCliProcess(const std::vector<std::string> &arguments, const std::string &input = {},
                        std::optional<rlim_t> fileSizeLimit = {});

// Starts the built quorvane-cli on the given standard streams (the descriptors stay open here).
pid_t startCliProcess(const std::vector<std::string> &arguments, int input, int output, int errors,
                      std::optional<rlim_t> fileSizeLimit = {});
// Waits for it; the exit status, or 128 plus the signal that ended it. usage gets its resources.
int waitForCliProcess(pid_t child, rusage *usage = nullptr);

} // namespace Quorvane::Testing
