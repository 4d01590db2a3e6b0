#include "CliRun.h"

#include "tests/support/TemporaryFolder.h"
#include "cli/BatchTool.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string_view>

namespace Quorvane::Testing {

namespace {

int openStream(const TemporaryFolder &folder, const char *name, int flags)
{
    return ::open(folder.file(name).c_str(), flags | O_CLOEXEC, 0600);
}

[[noreturn]] void execCli(std::vector<std::string> arguments, std::optional<rlim_t> fileSizeLimit)
{
    if (fileSizeLimit) {
        const rlimit limit{*fileSizeLimit, *fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char *> argv;
    std::string program = QUORVANE_CLI_PATH;
    argv.push_back(program.data());
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

CliResult collect(int exitCode, const TemporaryFolder &streams)
{
    return CliResult{exitCode, readBytes(streams.file("out")), readBytes(streams.file("err"))};
}

} // namespace

std::string commandLineOf(const std::vector<std::string> &arguments)
{
    std::string line;
    for (const std::string &argument : arguments)
        line += (line.empty() ? "" : " ") + argument;
    return line;
}

CliResult runCli(const std::vector<std::string> &arguments, const std::string &input)
{
    TemporaryFolder streams;
    writeBytes(streams.file("in"), input);
    const Streams descriptors{openStream(streams, "in", O_RDONLY),
                              openStream(streams, "out", O_WRONLY | O_CREAT | O_TRUNC),
                              openStream(streams, "err", O_WRONLY | O_CREAT | O_TRUNC)};
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    const int exitCode = runBatchTool(views, descriptors);
    for (const int descriptor : {descriptors.input, descriptors.output, descriptors.errors})
        close(descriptor);
    return collect(exitCode, streams);
}

CliResult runCliProcess(const std::vector<std::string> &arguments, const std::string &input,
                        std::optional<rlim_t> fileSizeLimit)
{
    TemporaryFolder streams;
    writeBytes(streams.file("in"), input);
    const int in = openStream(streams, "in", O_RDONLY);
    const int out = openStream(streams, "out", O_WRONLY | O_CREAT | O_TRUNC);
    const int err = openStream(streams, "err", O_WRONLY | O_CREAT | O_TRUNC);
    const pid_t child = startCliProcess(arguments, in, out, err, fileSizeLimit);
    for (const int descriptor : {in, out, err})
        close(descriptor);
    return collect(waitForCliProcess(child), streams);
}

pid_t startCliProcess(const std::vector<std::string> &arguments, int input, int output, int errors,
                      std::optional<rlim_t> fileSizeLimit)
{
    const pid_t child = fork();
    if (child == 0) {
        dup2(input, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        execCli(arguments, fileSizeLimit);
    }
    return child;
}

int waitForCliProcess(pid_t child, rusage *usage)
{
    int status = 0;
    wait4(child, &status, 0, usage);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace Quorvane::Testing
