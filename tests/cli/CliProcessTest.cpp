// What only the real program shows: its exit status and standard streams, and the process-wide
// limits and signals it meets.
#include "CliRun.h"
#include "CliTestFolder.h"
#include "tests/support/ListBytes.h"
#include "tests/support/Sanitizers.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace Quorvane {
namespace {

using namespace Testing;

using CliProcess = Testing::CliTestFolder;

TEST_F(CliProcess, ExitStatusAndStreamsOfTheProgram)
{
    const std::string list = file("list.txt", "b\na\nb\n");
    struct Case
    {
        std::vector<std::string> arguments;
        int exitCode;
        std::string outStart;
        std::string errStart;
    };
    const std::vector<Case> cases = {
        {{"dedupe-first", list}, 0, "b\na\n", "3 items in, 2 items out"},
        {{"--help"}, 0, "Usage: quorvane-cli", ""},
        {{"dedupe-first"}, 0, "", "0 items in, 0 items out"},
        {{"dedupe-first", path("missing.txt")}, kCliFileError, "", "quorvane-cli: "},
    };
    for (const Case &run : cases) {
        const CliResult result = runCliProcess(run.arguments);
        const std::string shown = run.arguments.back();
        EXPECT_EQ(result.exitCode, run.exitCode) << shown << ": " << result.err;
        EXPECT_EQ(result.out.substr(0, run.outStart.size()), run.outStart) << shown;
        EXPECT_EQ(result.err.substr(0, run.errStart.size()), run.errStart) << shown;
        EXPECT_EQ(result.out.empty(), run.outStart.empty()) << shown;
    }
}

TEST_F(CliProcess, FileSizeLimitFailsTheWriteAndKeepsTheOldOutput)
{
    const std::string list = file("list.txt", Samples::numberedLines(20'000, "someone", "@example.com"));
    const std::string out = file("out.txt", "old\r\n");
    const CliResult toFile = runCliProcess({"dedupe-first", "-o", out, list}, "", 100'000);
    EXPECT_EQ(toFile.exitCode, kCliFileError);
    EXPECT_TRUE(contains(toFile.err, out)) << toFile.err;
    EXPECT_EQ(Testing::readBytes(out), "old\r\n");
    EXPECT_EQ(entryCount(), 2u);

    const CliResult toStandardOutput = runCliProcess({"dedupe-first", list}, "", 100'000);
    EXPECT_EQ(toStandardOutput.exitCode, kCliFileError);
    EXPECT_TRUE(contains(toStandardOutput.err, "standard output")) << toStandardOutput.err;
}

// A standard output that cannot take what is written fails the run, help and the version alike:
// quietly when its reader has gone (| head), with the reason on standard error otherwise.
TEST_F(CliProcess, AStandardOutputThatCannotTakeTheOutputFailsTheRun)
{
    const std::string list = file("list.txt", "a\nb\n");
    const std::string errors = path("err.txt");
    const std::string full = "quorvane-cli: Cannot write \"standard output\": No space left on device\n";
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"dedupe-first", list}, {"--help"}, {"--version"}}) {
        int ends[2];
        ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
        close(ends[0]);
        for (const auto &[output, said] : {std::pair{ends[1], std::string()},
                                           std::pair{open("/dev/full", O_WRONLY | O_CLOEXEC), full}}) {
            const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
            const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            const pid_t child = startCliProcess(arguments, in, output, err);
            for (const int descriptor : {in, err, output})
                close(descriptor);
            EXPECT_EQ(waitForCliProcess(child), kCliFileError) << commandLineOf(arguments);
            EXPECT_EQ(Testing::readBytes(errors), said) << commandLineOf(arguments);
        }
    }
}

TEST_F(CliProcess, AnOutputPipeWhoseReaderLeavesIsAFailureNamingIt)
{
    const std::string list = file("list.txt", Samples::numberedLines(100'000, "someone", "@example.com"));
    const std::string fifo = path("fifo");
    const std::string errors = path("err.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const pid_t child = startCliProcess({"dedupe-first", "-o", fifo, list}, in, err, err);
    close(in);
    close(err);

    // Leave once the list has started to arrive: the rest no longer fits in the pipe.
    pollfd waiting{reader, POLLIN, 0};
    ASSERT_EQ(poll(&waiting, 1, 10'000), 1);
    char first[16];
    EXPECT_GT(read(reader, first, sizeof first), 0);
    close(reader);

    EXPECT_EQ(waitForCliProcess(child), kCliFileError);
    const std::string printed = Testing::readBytes(errors);
    EXPECT_TRUE(contains(printed, fifo)) << printed;
    EXPECT_TRUE(contains(printed, "Broken pipe")) << printed;
    EXPECT_FALSE(contains(printed, "items out")) << printed;
}

// The sanitizers' shadow memory would drown what is measured; so would an address-space limit.
#if !QUORVANE_ADDRESS_SANITIZER
TEST_F(CliProcess, ManySmallFilesCostMemoryInProportionToTheirSize)
{
    // Enough files that a fixed buffer kept per file (64 KB was one) would dwarf the lines.
    constexpr int kFiles = 5'000;
    const std::string lines = "first@example.com\nsecond@example.com\nthird@example.com\n";
    std::vector<std::string> arguments = {"dedupe-first", "-q", "-o", path("out.txt")};
    for (int index = 0; index < kFiles; ++index)
        arguments.push_back(file("list-" + std::to_string(index), lines));
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    rusage usage{};
    const int exitCode = waitForCliProcess(startCliProcess(arguments, in, STDERR_FILENO, STDERR_FILENO), &usage);
    close(in);
    EXPECT_EQ(exitCode, 0);
    const long peakMegabytes = usage.ru_maxrss / 1024;
    EXPECT_LT(peakMegabytes, 48) << "peak resident memory for " << kFiles << " small files";
}
#endif

// Address-space limits and the sanitizers' shadow memory do not mix.
#if !QUORVANE_ADDRESS_SANITIZER
TEST_F(CliProcess, RunningOutOfMemoryIsReportedAndTheOutputStaysAsItWas)
{
    // Eight gigabytes that take no disk space: reading them needs far more memory than allowed.
    const std::string huge = path("huge.txt");
    const int descriptor = open(huge.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(ftruncate(descriptor, off_t(8) << 30), 0);
    close(descriptor);
    const std::string out = file("out.txt", "old\r\n");

    // A memory limit above the file's size keeps the run from working through it on disk.
    const std::string command = "ulimit -v 2000000; exec '" QUORVANE_CLI_PATH "' dedupe-first --memory-limit 64G -o '"
                                + out + "' '" + huge + "' 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    char buffer[512];
    while (const std::size_t got = fread(buffer, 1, sizeof buffer, pipe))
        printed.append(buffer, got);
    const int status = pclose(pipe);

    ASSERT_TRUE(WIFEXITED(status)) << printed;
    EXPECT_EQ(WEXITSTATUS(status), kCliFileError) << printed;
    EXPECT_TRUE(contains(printed, "quorvane-cli: not enough memory to ")) << printed;
    EXPECT_FALSE(contains(printed, "Remove")) << printed;
    EXPECT_EQ(Testing::readBytes(out), "old\r\n");
    EXPECT_EQ(entryCount(), 2u);
}
#endif

} // namespace
} // namespace Quorvane
