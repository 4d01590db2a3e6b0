#include "CliRun.h"
#include "CliTestFolder.h"
#include "tests/support/ListBytes.h"
#include "tests/support/TemporaryRoot.h"
#include "cli/MemoryLimit.h"
#include "engine/Seams.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Quorvane::Testing {

namespace {

std::size_t entryCountOf(const std::string &folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

std::vector<std::string> joined(std::vector<std::string> front, const std::vector<std::string> &back)
{
    front.insert(front.end(), back.begin(), back.end());
    return front;
}

// The runs below spill under a folder of their own, which must be empty after each run.
class OutOfCore : public CliTestFolder
{
protected:
    std::size_t spilledEntries() const { return m_spillRoot.entryCount(); }
    std::string spillRoot() const { return m_spillRoot.path(); }

private:
    TemporaryRoot m_spillRoot;
};

struct OperationCase
{
    std::vector<std::string> operation;
    bool readsOther;
};

const OperationCase kOperations[] = {
    {{"dedupe-first"}, false},
    {{"dedupe-first", "--lf"}, false},
    {{"dedupe-last", "--ignore-case"}, false},
    {{"remove-blanks"}, false},
    {{"remove-with", "a@"}, false},
    {{"remove-without", "EXAMPLE", "--ignore-case"}, false},
    {{"subtract", "--email"}, true},
    {{"keep-matches", "--trim"}, true},
    {{"subtract", "--patterns", "--email"}, true},
    {{"keep-matches", "--patterns"}, true},
    {{"normalize", "--email"}, false},
    {{"count", "--trim"}, false},
    {{"count", "--json", "--ignore-case"}, true},
    {{"validate"}, false},
    {{"validate", "--common"}, false},
    {{"count", "--email"}, true},
};

TEST_F(OutOfCore, EveryOperationGivesTheInMemoryResultWhateverTheLimit)
{
    std::mt19937 random(7);
    const std::string otherDecoded = "\"" + path("utf16-other.txt") + "\" was decoded";
    for (int round = 0; round < 3; ++round) {
        const std::string input = Samples::randomListBytes(random, 3000);
        // A byte-order mark and UTF-16 are read as the whole read reads them.
        const std::vector<std::string> files = {file("one.txt", "\xEF\xBB\xBF" + Samples::randomListBytes(random, 2000)), "-",
                                                file("two.txt", Samples::randomListBytes(random, 1)),
                                                file("utf16.txt", std::string("\xFF\xFE" "a\0@\0\r\0\n\0" "A\0@\0", 14))};
        const std::vector<std::string> other = {
            "--other", file("other.txt", Samples::randomListBytes(random, 2500)),
            "--other", file("utf16-other.txt", std::string("\xFF\xFE" "b\0@\0\n\0", 8))};
        for (const OperationCase &operation : kOperations) {
            std::vector<std::string> arguments = joined(operation.operation, files);
            if (operation.readsOther)
                arguments = joined(arguments, other);
            // The removed items go to a file of their own, beside the result on standard output
            // (count and normalize remove nothing).
            const bool writesList = arguments.front() != "count" && arguments.front() != "normalize";
            const auto removedTo = [&](const std::string &name) {
                return writesList ? std::vector<std::string>{"--removed", path(name)} : std::vector<std::string>{};
            };
            const CliResult inMemory =
                runCli(joined(joined(arguments, removedTo("removed-in-memory")), {"--memory-limit", "1G"}), input);
            ASSERT_EQ(inMemory.exitCode, 0) << inMemory.err;
            EXPECT_EQ(contains(inMemory.err, otherDecoded), operation.readsOther)
                << inMemory.err;
            // 1K forces one key per partition and more levels of splitting; 64K a few partitions.
            for (const char *limit : {"1K", "64K", "300K"}) {
                SCOPED_TRACE(arguments.front() + " under " + limit + " in round " + std::to_string(round));
                const CliResult outOfCore =
                    runCli(joined(joined(arguments, removedTo("removed")), {"--memory-limit", limit}), input);
                EXPECT_EQ(outOfCore.exitCode, 0) << outOfCore.err;
                EXPECT_TRUE(outOfCore.out == inMemory.out);
                EXPECT_TRUE(readBytes(path("removed")) == readBytes(path("removed-in-memory")));
                EXPECT_EQ(outOfCore.err, inMemory.err);
                EXPECT_EQ(spilledEntries(), 0u);
            }
        }
    }
}

// The filters that decide each line alone go from each input's text to the outputs piece by
// piece; lines of every ending meet the pieces' ends anywhere in a text of several pieces. A
// search for plain bytes finds them through the whole text, the batches test line by line.
TEST_F(OutOfCore, LinesFilteredStraightToTheOutputsGiveTheBatchesResult)
{
    std::mt19937 random(11);
    const std::string input = Samples::randomListBytes(random, 30000);
    const std::string list = file("long.txt", Samples::randomListBytes(random, 20000));
    for (const std::vector<std::string> &operation :
         {std::vector<std::string>{"remove-blanks"}, {"remove-with", "a@"}, {"remove-without", "e."},
          {"remove-without", "EXAMPLE", "--ignore-case"}}) {
        SCOPED_TRACE(operation.front());
        const std::vector<std::string> arguments = joined(operation, {list, "-", list});
        const CliResult streamed = runCli(joined(arguments, {"--removed", path("removed-streamed")}), input);
        const CliResult batched =
            runCli(joined(arguments, {"--removed", path("removed-batched"), "--memory-limit", "64K"}), input);
        ASSERT_EQ(streamed.exitCode, 0) << streamed.err;
        EXPECT_TRUE(streamed.out == batched.out);
        EXPECT_TRUE(readBytes(path("removed-streamed")) == readBytes(path("removed-batched")));
        EXPECT_EQ(streamed.err, batched.err);
    }
}

// Rows of tables, whose quoted fields span lines and so batches, with the header written once
// and the rows too short for the key column counted.
TEST_F(OutOfCore, TablesGiveTheInMemoryRows)
{
    std::mt19937 random(11);
    const std::vector<std::string> files = {file("a.csv", Samples::randomTableBytes(random, 2000)),
                                            file("b.csv", Samples::randomTableBytes(random, 500))};
    const std::string other = file("other.csv", Samples::randomTableBytes(random, 300));
    for (const OperationCase &operation : kOperations) {
        std::vector<std::string> arguments = joined(joined(operation.operation, files), {"--csv", "--key", "Email"});
        if (operation.readsOther)
            arguments = joined(arguments, {"--other", other});
        if (arguments.front() != "count" && arguments.front() != "normalize")
            arguments = joined(arguments, {"--removed", path("removed")});
        const CliResult inMemory = runCli(joined(arguments, {"--memory-limit", "1G"}));
        ASSERT_EQ(inMemory.exitCode, 0) << inMemory.err;
        const std::string removedInMemory = readBytes(path("removed"));
        for (const char *limit : {"1K", "64K"}) {
            SCOPED_TRACE(commandLineOf(arguments) + " under " + limit);
            const CliResult outOfCore = runCli(joined(arguments, {"--memory-limit", limit}));
            EXPECT_EQ(outOfCore.exitCode, 0) << outOfCore.err;
            EXPECT_TRUE(outOfCore.out == inMemory.out);
            EXPECT_TRUE(readBytes(path("removed")) == removedInMemory);
            EXPECT_EQ(outOfCore.err, inMemory.err);
            EXPECT_EQ(spilledEntries(), 0u);
        }
    }
}

// With patterns only the first list streams; the patterns of every kind stay in memory.
TEST_F(OutOfCore, PatternsGiveTheInMemoryResult)
{
    std::mt19937 random(11);
    const std::string input = Samples::randomListBytes(random, 5000);
    const std::string patterns =
        file("patterns.txt", "# comment\n@x.net\n@*.org\nuser1*@\n*@?\na@\n*7*\nzz\n");
    for (const char *operation : {"subtract", "keep-matches"}) {
        const std::vector<std::string> arguments = {operation, "--patterns", "--email", "--other", patterns, "-"};
        const CliResult inMemory =
            runCli(joined(arguments, {"--removed", path("removed-in-memory"), "--memory-limit", "1G"}), input);
        ASSERT_EQ(inMemory.exitCode, 0) << inMemory.err;
        const CliResult outOfCore = runCli(joined(arguments, {"--removed", path("removed"), "--memory-limit", "1K"}), input);
        EXPECT_EQ(outOfCore.exitCode, 0) << outOfCore.err;
        EXPECT_TRUE(outOfCore.out == inMemory.out) << operation;
        EXPECT_TRUE(readBytes(path("removed")) == readBytes(path("removed-in-memory"))) << operation;
        EXPECT_EQ(outOfCore.err, inMemory.err);
        EXPECT_EQ(spilledEntries(), 0u);
    }
}

TEST_F(OutOfCore, OneRepeatedLineAndLinesLongerThanABatch)
{
    const std::string longLine(300000, 'x');
    const std::vector<std::string> lists = {
        [] { std::string bytes; for (int i = 0; i < 50000; ++i) bytes += "same\r\n"; return bytes; }(),
        "a\n" + longLine + "\nb\n" + longLine + "y\r\n" + longLine + "\ra\n",
    };
    for (const std::string &list : lists) {
        const std::string path = file("list.txt", list);
        for (const char *operation : {"dedupe-first", "dedupe-last", "remove-with"}) {
            std::vector<std::string> arguments = {operation};
            if (arguments.front() == "remove-with")
                arguments.push_back("y");
            arguments.push_back(path);
            const CliResult inMemory = runCli(joined(arguments, {"--memory-limit", "1G"}));
            const CliResult outOfCore = runCli(joined(arguments, {"--memory-limit", "1K"}));
            EXPECT_EQ(outOfCore.exitCode, 0) << outOfCore.err;
            EXPECT_TRUE(outOfCore.out == inMemory.out) << operation;
            EXPECT_EQ(spilledEntries(), 0u);
        }
    }
}

TEST_F(OutOfCore, OutputReplacesTheFileOnlyWhenEverythingSucceeded)
{
    const std::string list = file("list.txt", "b\na\nb\n");
    const std::string out = file("out.txt", "old\n");
    ::chmod(out.c_str(), 0640);

    CliResult result = runCli({"dedupe-first", "--memory-limit", "1K", "-o", out, list});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readBytes(out), "b\na\n");
    struct stat status {};
    ::stat(out.c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    writeBytes(out, "old\n");
    result = runCli({"subtract", "--memory-limit", "1K", "-o", out, list, "--other", path("missing.txt")});
    EXPECT_EQ(result.exitCode, kCliFileError);
    EXPECT_TRUE(contains(result.err, "missing.txt")) << result.err;
    EXPECT_EQ(readBytes(out), "old\n");

    result = runCli({"dedupe-last", "--memory-limit", "1K", "-o", path("no-folder/out.txt"), list});
    EXPECT_EQ(result.exitCode, kCliFileError);
    EXPECT_TRUE(contains(result.err, "No such file or directory")) << result.err;

    EXPECT_EQ(spilledEntries(), 0u);
    EXPECT_EQ(entryCount(), 2u); // list.txt and out.txt, no temporary beside them
}

// An input rewritten in place or renamed over between its reads (after the lists are read in
// memory, after the partitions are decided out of core) ends the run with status 1, and OUT
// stays as it was: subtract must never print the very address it was told to remove.
TEST_F(OutOfCore, AnInputChangedDuringTheRunReplacesNothing)
{
    struct Case
    {
        const char *name;
        std::vector<std::string> limit;
        bool renameListOver; // otherwise the other list is rewritten in place
    };
    for (const Case &row : {Case{"in memory, optouts rewritten", {}, false},
                            Case{"in memory, list renamed over", {}, true},
                            Case{"out of core, optouts rewritten", {"--memory-limit", "1K"}, false},
                            Case{"out of core, list renamed over", {"--memory-limit", "1K"}, true}}) {
        const std::string list = file("list.txt", "a@x\nb@x\nc@x\na@x\n");
        const std::string optouts = file("optouts.txt", "b@x\n");
        const std::string out = file("out.txt", "old\n");
        // Written long ago: a rewrite now shows in the times whatever their granularity.
        const timespec longAgo[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
        ::utimensat(AT_FDCWD, optouts.c_str(), longAgo, 0);
        setSeamAction(Seam::InputsRead, [&] {
            if (row.renameListOver) {
                writeBytes(path("sorted.txt"), "a@x\na@x\nb@x\nc@x\n");
                ::rename(path("sorted.txt").c_str(), list.c_str());
            } else {
                std::fstream(optouts, std::ios::in | std::ios::out | std::ios::binary).write("a@x\n", 4);
            }
        });
        const CliResult result = runCli(joined({"subtract", "-o", out, list, "--other", optouts}, row.limit));
        setSeamAction(Seam::InputsRead, {});
        const std::string changed = row.renameListOver ? list : optouts;
        EXPECT_EQ(result.exitCode, kCliFileError) << row.name << ": " << result.err;
        EXPECT_TRUE(contains(result.err, "\"" + changed + "\" changed while it was being read; nothing was written"))
            << row.name << ": " << result.err;
        EXPECT_EQ(readBytes(out), "old\n") << row.name;
        EXPECT_EQ(spilledEntries(), 0u) << row.name;
    }
}

// The spill folder of the run going on in this process (the root holds the test's own too).
std::string theSpillFolder(const std::string &root)
{
    const std::string prefix = "quorvane-" + std::to_string(::getpid()) + "-";
    for (const auto &entry : std::filesystem::directory_iterator(root)) {
        if (entry.path().filename().string().starts_with(prefix))
            return entry.path().string();
    }
    return {};
}

// A neighbour in the temporary root: a root others may write to without the sticky bit is
// refused; a spill folder swapped for one with forged records changes nothing, and a partition
// file rewritten in place with a record that was never written is an error, not a crash.
TEST_F(OutOfCore, TheSpillFolderIsWorkedOnThroughItsDescriptor)
{
    const std::string list = file("list.txt", "a@x\nb@x\nc@x\na@x\n");
    const std::string optouts = file("optouts.txt", "b@x\n");
    const std::string out = file("out.txt", "old\n");
    const std::vector<std::string> subtract = {"subtract", "--memory-limit", "1K", "-o", out, list, "--other", optouts};

    ::chmod(spillRoot().c_str(), 0777);
    CliResult result = runCli(subtract);
    ::chmod(spillRoot().c_str(), 0700);
    EXPECT_EQ(result.exitCode, kCliFileError);
    EXPECT_TRUE(contains(result.err, "others may write to it and it lacks the sticky bit")) << result.err;

    // Each record: its position and its size as 64-bit numbers, then its text.
    std::string forged(16, '\0');
    const std::uint64_t header[2] = {std::uint64_t(1) << 40, 3};
    std::memcpy(forged.data(), header, sizeof header);
    forged += "a@x";
    const std::string moved = path("moved-spills");
    setSeamAction(Seam::PartitionsSpread, [&] {
        const std::string folder = theSpillFolder(spillRoot());
        ASSERT_EQ(::rename(folder.c_str(), moved.c_str()), 0);
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        for (int number = 0; number < 2; ++number)
            writeBytes(folder + "/" + std::to_string(number), forged);
    });
    result = runCli(subtract);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readBytes(out), "a@x\nc@x\na@x\n");
    EXPECT_EQ(entryCountOf(moved), 0u);
    std::filesystem::remove_all(theSpillFolder(spillRoot()));
    std::filesystem::remove_all(moved);

    setSeamAction(Seam::PartitionsSpread, [&] { writeBytes(theSpillFolder(spillRoot()) + "/0", forged); });
    writeBytes(out, "old\n");
    result = runCli(subtract);
    setSeamAction(Seam::PartitionsSpread, {});
    EXPECT_EQ(result.exitCode, kCliFileError);
    EXPECT_TRUE(contains(result.err, "it is not what this run wrote there")) << result.err;
    EXPECT_EQ(readBytes(out), "old\n");
    EXPECT_EQ(spilledEntries(), 0u);
}

// What a run killed with SIGKILL left is removed by the next run: the caller's folders of runs
// that are gone, not those of a live run or of another user.
TEST_F(OutOfCore, SpillFoldersOfDeadRunsAreRemovedByTheNextRun)
{
    const pid_t child = fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = spillRoot() + "/quorvane-" + std::to_string(child) + "-1";
    const std::string alive = spillRoot() + "/quorvane-" + std::to_string(::getpid()) + "-2";
    const std::string theirs = spillRoot() + "/quorvane-" + std::to_string(child) + "-3";
    for (const std::string &folder : {dead, alive, theirs}) {
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        writeBytes(folder + "/0", "spilled\n");
    }
    if (::chown(theirs.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    const CliResult result = runCli({"dedupe-first", "--memory-limit", "1K", file("list.txt", "a\nb\na\n")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(alive + "/0"));
    EXPECT_TRUE(std::filesystem::exists(theirs + "/0"));
    EXPECT_EQ(spilledEntries(), 2u);
}

// A stream with no line end in sight cannot be worked on within the limit: the run says so at
// once, naming it, instead of filling the temporary disk.
TEST_F(OutOfCore, AnEndlessLineFromAStreamStopsAtTheMemoryLimit)
{
    const std::string out = file("out.txt", "old\n");
    const CliResult result = runCli({"dedupe-first", "--memory-limit", "1M", "-o", out, "/dev/zero"});
    EXPECT_EQ(result.exitCode, kCliFileError);
    EXPECT_TRUE(contains(result.err, "quorvane-cli: /dev/zero: it has a line longer than the memory limit"))
        << result.err;
    EXPECT_EQ(readBytes(out), "old\n");
    EXPECT_EQ(spilledEntries(), 0u);
}

TEST_F(OutOfCore, AFullTemporaryDiskIsAClearFailure)
{
    const std::string mountPoint = spillRoot() + "/small";
    ::mkdir(mountPoint.c_str(), 0700);
    if (::system(("mount -t tmpfs -o size=6m tmpfs " + mountPoint + " 2>/dev/null").c_str()) != 0) {
        ::rmdir(mountPoint.c_str());
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): the full-disk case is not tested";
    }
    const std::unique_ptr<const std::string, void (*)(const std::string *)> unmount(&mountPoint, [](const std::string *point) {
        EXPECT_EQ(::system(("umount " + *point).c_str()), 0) << "left mounted: " << *point;
        ::rmdir(point->c_str());
    });
    ::setenv("TMPDIR", mountPoint.c_str(), 1);
    std::mt19937 random(3);
    // About 4 MB: its partitions, or its copy beside the test's own copy of standard input, overflow 6 MB.
    const std::string list = file("list.txt", Samples::randomListBytes(random, 250000));
    const std::string out = file("out.txt", "old\n");
    for (const char *input : {"file", "standard input"}) {
        const bool fromStandardInput = std::string(input) == "standard input";
        const CliResult result = runCli({"dedupe-first", "--memory-limit", "64K", "-o", out,
                                         fromStandardInput ? "-" : list},
                                        fromStandardInput ? readBytes(list) : std::string());
        EXPECT_EQ(result.exitCode, kCliFileError) << input;
        EXPECT_TRUE(contains(result.err, "No space left on device")) << input << ": " << result.err;
        EXPECT_EQ(readBytes(out), "old\n");
        EXPECT_EQ(entryCountOf(mountPoint), 0u) << input;
    }
}

// Signals end the process, so each run is a child of its own.
TEST_F(OutOfCore, SignalsRemoveTheTemporaryFiles)
{
    const std::string fifo = path("input.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t child = fork();
        if (child == 0) {
            const int input = ::open(fifo.c_str(), O_RDONLY);
            const int nowhere = ::open("/dev/null", O_WRONLY);
            ::dup2(input, STDIN_FILENO);
            ::dup2(nowhere, STDOUT_FILENO);
            ::dup2(nowhere, STDERR_FILENO);
            ::execl(QUORVANE_CLI_PATH, QUORVANE_CLI_PATH, "dedupe-first", "--memory-limit", "1K", "-",
                    static_cast<char *>(nullptr));
            ::_exit(127);
        }
        const int writer = ::open(fifo.c_str(), O_WRONLY);
        const std::string lines(100000, '\n');
        ASSERT_EQ(::write(writer, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
        // The tool now waits for more of its standard input, its first temporary file made.
        for (int wait = 0; wait < 500 && spilledEntries() == 0; ++wait)
            ::usleep(10000);
        ASSERT_EQ(spilledEntries(), 1u);
        ::kill(child, signalNumber);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(writer);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
        EXPECT_EQ(spilledEntries(), 0u) << "after signal " << signalNumber;
    }
}

TEST(MemoryLimit, SizesAndTheDefault)
{
    const std::pair<const char *, std::optional<std::uint64_t>> sizes[] = {
        {"1", 1}, {"512K", 512 << 10}, {"256M", std::uint64_t(256) << 20}, {"2g", std::uint64_t(2) << 30},
        {"3k", 3072}, {"", std::nullopt}, {"0", std::nullopt}, {"0M", std::nullopt}, {"M", std::nullopt},
        {"12X", std::nullopt}, {"-5M", std::nullopt}, {"1.5G", std::nullopt}, {"1 G", std::nullopt},
        {"18446744073709551615", 18446744073709551615ULL}, {"18446744073709551615K", std::nullopt},
        {"17179869184G", std::nullopt},
    };
    for (const auto &[text, expected] : sizes)
        EXPECT_EQ(parseMemorySize(text), expected) << '"' << text << '"';

    EXPECT_EQ(defaultMemoryLimitFrom("MemTotal:  24000000 kB\nMemFree: 1 kB\nMemAvailable:    2000000 kB\n"),
              std::uint64_t(1000000) * 1024);
    EXPECT_EQ(defaultMemoryLimitFrom("MemTotal:  24000000 kB\n"), std::uint64_t(1) << 30);
    EXPECT_EQ(defaultMemoryLimitFrom("MemAvailable: lots\n"), std::uint64_t(1) << 30);
}

TEST_F(OutOfCore, MemoryLimitOnTheCommandLine)
{
    const std::string list = file("list.txt", "a\na\n");
    EXPECT_EQ(runCli({"dedupe-first", "--memory-limit=2K", list}).out, "a\n");
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"dedupe-first", list, "--memory-limit"},
          {"dedupe-first", "--memory-limit", "0", list}, {"dedupe-first", "--memory-limit=12X", list},
          {"remove-with", "x", list, "--memory-limit"}}) {
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, kCliUsageError) << arguments.back();
        EXPECT_TRUE(contains(result.err, "--memory-limit")) << result.err;
    }
}

} // namespace

} // namespace Quorvane::Testing
