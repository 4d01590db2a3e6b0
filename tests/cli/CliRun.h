#pragma once

#include <sys/resource.h>

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

struct CliRun
{
    std::vector<std::string> arguments;
    std::string input;                       // standard input
    std::optional<rlim_t> fileSizeLimit;     // bytes any file of the run may grow to
};

// Runs the built quorvane-cli in a child process and collects what it printed.
CliResult runCli(const CliRun &run);

} // namespace Quorvane::Testing
