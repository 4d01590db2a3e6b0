#include "CliRun.h"

#include "TemporaryFolder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Quorvane::Testing {

namespace {

void redirect(const std::string &path, int flags, int target)
{
    const int descriptor = open(path.c_str(), flags, 0600);
    dup2(descriptor, target);
    close(descriptor);
}

[[noreturn]] void execCli(std::vector<std::string> arguments, std::optional<rlim_t> fileSizeLimit,
                          const TemporaryFolder &streams)
{
    redirect(streams.file("in"), O_RDONLY, STDIN_FILENO);
    redirect(streams.file("out"), O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    redirect(streams.file("err"), O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
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

} // namespace

CliResult runCli(const std::vector<std::string> &arguments, const std::string &input,
                 std::optional<rlim_t> fileSizeLimit)
{
    TemporaryFolder streams;
    writeBytes(streams.file("in"), input);
    const pid_t child = fork();
    if (child == 0)
        execCli(arguments, fileSizeLimit, streams);
    int status = 0;
    waitpid(child, &status, 0);
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readBytes(streams.file("out"));
    result.err = readBytes(streams.file("err"));
    return result;
}

} // namespace Quorvane::Testing
