// What users throw at the batch tool: odd bytes, folders, giant lines and more data than memory.
#include "CliRun.h"
#include "CliTestFolder.h"
#include "tests/support/AllocationFailure.h"
#include "tests/support/SharedFolders.h"
#include "tests/support/TemporaryRoot.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace Quorvane {
namespace {

using namespace Testing;

using namespace std::string_literals;

using CliRobustness = Testing::CliTestFolder;

TEST_F(CliRobustness, OddBytesPassThroughExactly)
{
    const std::string input = "\xEF\xBB\xBF" "first\r\nnul\0byte\rinvalid\xFF\xFE\xC3\nlast"s;
    // The byte-order mark at the start is no text; every other byte stays.
    const std::string expected = "first\r\nnul\0byte\r\ninvalid\xFF\xFE\xC3\r\nlast\r\n"s;
    const std::string list = file("odd.txt", input);
    const std::string out = path("out.txt");

    const CliResult toFile = runCli({"dedupe-last", "-o", out, list});
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(Testing::readBytes(out), expected);

    const CliResult toStdout = runCli({"remove-with", "nothing-like-this", "-"}, input);
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, expected);
}

TEST_F(CliRobustness, AFolderAsInputOrOutputOrAReadOnlyOutputIsRefusedAndNothingIsWritten)
{
    const std::string list = file("list.txt", "a\r\n");
    const std::string out = file("out.txt", "old\r\n");
    const std::string folder = path("");

    const CliResult folderIn = runCli({"dedupe-first", "-o", out, list, folder});
    EXPECT_EQ(folderIn.exitCode, kCliFileError);
    EXPECT_TRUE(contains(folderIn.err, folder)) << folderIn.err;

    const CliResult folderOut = runCli({"dedupe-first", "-o", folder, list});
    EXPECT_EQ(folderOut.exitCode, kCliFileError);
    EXPECT_TRUE(contains(folderOut.err, folder)) << folderOut.err;

    EXPECT_EQ(Testing::readBytes(out), "old\r\n");
    EXPECT_EQ(entryCount(), 2u);

    // A file its owner made read-only, in a folder they may write in (root writes any file).
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(::chown(out.c_str(), kOtherUser, kOtherGroup), 0);
    ASSERT_EQ(::chmod(out.c_str(), 0444), 0);
    const int status = runAs(kOtherUser, kOtherGroup, [&] {
        const CliResult readOnly = runCli({"dedupe-first", "-o", out, list});
        return readOnly.exitCode == kCliFileError
               && readOnly.err == "quorvane-cli: " + out + ": Permission denied\n";
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Testing::readBytes(out), "old\r\n");
    EXPECT_EQ(entryCount(), 2u);
}

TEST_F(CliRobustness, APipeAsOutputReceivesTheListAndStaysAPipe)
{
    const std::string list = file("list.txt", "b\na\nb\n");
    const std::string pipe = path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    const CliResult result = runCli({"dedupe-first", "-o", pipe, list});
    char received[64] = {};
    const ssize_t size = ::read(reader, received, sizeof received);
    ::close(reader);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(std::string(received, size > 0 ? size_t(size) : 0), "b\na\n");
    struct stat status {};
    ASSERT_EQ(::stat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(entryCount(), 2u);
}

// A stream can be read only once: naming it twice, under any spelling, is a usage error before
// anything is read (a FIFO named twice would otherwise hang or crash). A regular file named
// twice is read twice.
TEST_F(CliRobustness, OneStreamNamedTwiceIsAUsageError)
{
    const std::string list = file("list.txt", "a\n");
    const std::string fifo = path("optouts.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string errors = path("errors.txt");
    struct Case
    {
        std::vector<std::string> arguments;
        int status;
    };
    for (const Case &row : {Case{{"dedupe-first", "/dev/null", "/dev/null"}, kCliUsageError},
                            Case{{"remove-blanks", "/dev/stdin", "/dev/stdin"}, kCliUsageError},
                            Case{{"subtract", "--other", fifo, "--other", fifo, list}, kCliUsageError},
                            Case{{"subtract", "--other", "-", list, "--other", "/dev/stdin"}, kCliUsageError},
                            Case{{"dedupe-first", "-o", path("out.txt"), list, list}, 0}}) {
        int input[2];
        ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
        const int errorFile = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        const pid_t child = startCliProcess(row.arguments, input[0], nowhere, errorFile);
        ::close(input[1]);
        const int status = waitForCliProcess(child);
        for (const int descriptor : {input[0], errorFile, nowhere})
            ::close(descriptor);
        const std::string said = readBytes(errors);
        EXPECT_EQ(status, row.status) << commandLineOf(row.arguments) << ": " << said;
        if (row.status == kCliUsageError) {
            EXPECT_TRUE(contains(said, "a stream can be read only once")) << said;
        }
    }
}

// Standard output appended to the input itself (>> list.txt) changes it through the run, not
// behind its back: the run succeeds as before.
TEST_F(CliRobustness, AnInputTheRunAppendsToIsNoChangeBehindItsBack)
{
    const std::string list = file("list.txt", "a\nb\na\n");
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int appending = ::open(list.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const pid_t child = startCliProcess({"dedupe-first", "-q", list}, nothing, appending, appending);
    EXPECT_EQ(waitForCliProcess(child), 0);
    ::close(nothing);
    ::close(appending);
    EXPECT_EQ(Testing::readBytes(list), "a\nb\na\na\nb\n");
}

TEST_F(CliRobustness, AHundredMegabyteLineIsOneItem)
{
    const std::string giant(100u << 20, 'x');
    const std::string list = file("giant.txt", "\n" + giant + "\nshort");
    const std::string out = path("out.txt");
    const CliResult result = runCli({"remove-blanks", "-o", out, list});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(contains(result.err, "3 items in, 2 items out")) << result.err;
    EXPECT_TRUE(Testing::readBytes(out) == giant + "\nshort\n");
}

// Each large allocation of a run fails in turn: whatever step it hits, in memory or out of core,
// the run says so in its own words and the output stays as it was.
TEST_F(CliRobustness, RunningOutOfMemoryAnywhereIsToldInTheToolsWords)
{
    std::string bytes;
    for (int i = 0; i < 20'000; ++i)
        bytes += "Someone" + std::to_string(i % 15'000) + "@Example.com\n";
    const std::string list = file("list.txt", bytes);
    // Short lines make batches of many items, whose allocations are as large as a long list's.
    std::string shortLines;
    for (int i = 0; i < 100'000; ++i)
        shortLines += i % 2 ? "\n" : "x\n";
    const std::string blanks = file("blanks.txt", shortLines);
    const std::string out = path("out.txt");
    // A crowded temporary folder: the spilling run lists it for stale spill folders, and its
    // names take more than kLarge bytes.
    const Testing::TemporaryRoot spillRoot;
    for (int i = 0; i < 700; ++i)
        Testing::writeBytes(spillRoot.path() + "/neighbour-" + std::to_string(i), "");
    // Past what the run's own small strings and the test's streams allocate.
    constexpr std::size_t kLarge = 16u << 10;
    const std::vector<std::vector<std::string>> runs = {
        {"dedupe-first", "--email", "-o", out, list},
        {"remove-blanks", "--memory-limit", "64K", "-o", out, blanks},
    };
    for (const std::vector<std::string> &arguments : runs) {
        Testing::writeBytes(out, "old\r\n");
        int failures = 0;
        for (int skipped = 0; skipped < 500; ++skipped) {
            AllocationFailure::arm(skipped, kLarge);
            const CliResult result = runCli(arguments);
            if (!AllocationFailure::disarm()) {
                EXPECT_EQ(result.exitCode, 0) << result.err;
                break;
            }
            ++failures;
            const std::string shown = commandLineOf(arguments) + " failing after " + std::to_string(skipped) + ": ";
            EXPECT_EQ(result.exitCode, kCliFileError) << shown;
            EXPECT_TRUE(result.err.starts_with("quorvane-cli: not enough memory to ")) << shown << result.err;
            EXPECT_TRUE(Testing::readBytes(out) == "old\r\n") << shown;
        }
        EXPECT_GT(failures, 2) << commandLineOf(arguments);
    }
    EXPECT_EQ(entryCount(), 3u);
}

} // namespace
} // namespace Quorvane
