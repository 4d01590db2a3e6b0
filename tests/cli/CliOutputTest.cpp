// What a run writes: the line ends it chooses, and the removed items beside the kept ones.
#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace Quorvane {
namespace {

using namespace Testing;

using CliOutput = Testing::CliTestFolder;

TEST_F(CliOutput, LineEndsFollowTheFirstInputUnlessForced)
{
    struct Case
    {
        std::vector<std::string> options;
        std::string first;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{}, "a\nb\r\n", "a\nb\nc\n"},
        {{}, "a\r\nb\n", "a\r\nb\r\nc\r\n"},
        {{}, "a\rb\n", "a\r\nb\r\nc\r\n"},
        {{}, "a", "a\r\nc\r\n"},
        {{}, "", "c\r\n"},
        {{"--lf"}, "a\r\nb\r\n", "a\nb\nc\n"},
        {{"--crlf"}, "a\nb\n", "a\r\nb\r\nc\r\n"},
        {{"--lf", "--lf"}, "a\r\n", "a\nc\n"},
    };
    const std::string second = file("second.txt", "c\r\n");
    for (const Case &run : cases) {
        const std::string first = file("first.txt", run.first);
        std::vector<std::string> arguments = {"remove-blanks", first, second};
        arguments.insert(arguments.end(), run.options.begin(), run.options.end());
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, run.out) << commandLineOf(run.options) << " after " << testing::PrintToString(run.first);
    }
    EXPECT_EQ(runCli({"remove-blanks", "--lf", "--crlf", second}).exitCode, kCliUsageError);
}

TEST_F(CliOutput, RemovedItemsGoToTheirOwnFileInListOrder)
{
    const std::string input = "b@x\nA@x\n\nb@x\na@x\nc@y\n";
    const std::string other = file("other.txt", "a@x\nc@y\n");
    struct Case
    {
        std::vector<std::string> arguments;
        std::string kept;
        std::string removed;
    };
    const std::vector<Case> cases = {
        {{"dedupe-first"}, "b@x\nA@x\n\na@x\nc@y\n", "b@x\n"},
        {{"dedupe-last"}, "A@x\n\nb@x\na@x\nc@y\n", "b@x\n"},
        {{"dedupe-first", "--ignore-case"}, "b@x\nA@x\n\nc@y\n", "b@x\na@x\n"},
        {{"remove-blanks"}, "b@x\nA@x\nb@x\na@x\nc@y\n", "\n"},
        {{"remove-with", "b@"}, "A@x\n\na@x\nc@y\n", "b@x\nb@x\n"},
        {{"remove-without", "@x"}, "b@x\nA@x\nb@x\na@x\n", "\nc@y\n"},
        {{"subtract", "--other", other}, "b@x\nA@x\n\nb@x\n", "a@x\nc@y\n"},
        {{"keep-matches", "--other", other, "--crlf"}, "a@x\r\nc@y\r\n", "b@x\r\nA@x\r\n\r\nb@x\r\n"},
    };
    for (const Case &run : cases) {
        const std::string out = path("out.txt");
        const std::string removed = path("removed.txt");
        std::vector<std::string> arguments = run.arguments;
        arguments.insert(arguments.end(), {"-o", out, "--removed", removed, "-"});
        const CliResult result = runCli(arguments, input);
        EXPECT_EQ(result.exitCode, 0) << commandLineOf(arguments) << ": " << result.err;
        EXPECT_EQ(Testing::readBytes(out), run.kept) << commandLineOf(run.arguments);
        EXPECT_EQ(Testing::readBytes(removed), run.removed) << commandLineOf(run.arguments);
    }

    const CliResult toStandardOutput = runCli({"dedupe-first", "--removed", "-", "-o", path("out.txt"), "-"}, input);
    EXPECT_EQ(toStandardOutput.exitCode, 0) << toStandardOutput.err;
    EXPECT_EQ(toStandardOutput.out, "b@x\n");
    const CliResult keptToStandardOutput = runCli({"dedupe-first", "--removed", path("removed.txt"), "-"}, input);
    EXPECT_EQ(keptToStandardOutput.out, "b@x\nA@x\n\na@x\nc@y\n");
    EXPECT_EQ(Testing::readBytes(path("removed.txt")), "b@x\n");
}

TEST_F(CliOutput, AFailedWriteChangesNeitherFile)
{
    const std::string list = file("list.txt", "a\na\nb\n");
    const std::string out = file("out.txt", "old out\n");
    const std::string removed = file("removed.txt", "old removed\n");
    const std::vector<std::vector<std::string>> failing = {
        {"dedupe-first", "-o", out, "--removed", path("missing/removed.txt"), list},
        {"dedupe-first", "-o", path("missing/out.txt"), "--removed", removed, list},
        {"dedupe-first", "-o", path(""), "--removed", removed, list},
    };
    for (const std::vector<std::string> &arguments : failing) {
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, kCliFileError) << commandLineOf(arguments);
        EXPECT_TRUE(contains(result.err, "quorvane-cli: ")) << result.err;
        EXPECT_FALSE(contains(result.err, "items out")) << result.err;
        EXPECT_EQ(Testing::readBytes(out), "old out\n");
        EXPECT_EQ(Testing::readBytes(removed), "old removed\n");
        EXPECT_EQ(entryCount(), 3u) << commandLineOf(arguments);
    }
}

TEST_F(CliOutput, WhatASaveCouldNotKeepIsSaidOnce)
{
    const std::string list = file("list.txt", "a\n");
    const std::string out = file("out.txt", "old\n");
    ASSERT_EQ(::link(out.c_str(), path("other-name.txt").c_str()), 0);
    const CliResult result = runCli({"dedupe-first", "-q", "-o", out, list});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Testing::readBytes(out), "a\n");
    EXPECT_EQ(Testing::readBytes(path("other-name.txt")), "old\n");
    const std::size_t first = result.err.find("hard links");
    EXPECT_NE(first, std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("hard links", first + 1), std::string::npos) << result.err;
    EXPECT_TRUE(result.err.starts_with("quorvane-cli: ")) << result.err;
}

// Each case is refused with status 2 and says why; nothing is written. One file under two
// names would lose the removed list to OUT, or mix both lists on standard output.
TEST_F(CliOutput, RemovedFileUsageErrors)
{
    const std::string list = file("list.txt", "a\n");
    const std::string out = file("out.txt", "old\n");
    ASSERT_EQ(::symlink("out.txt", path("link.txt").c_str()), 0);
    const std::string sameFile = "--removed and -o name the same file";
    const std::string bothOnStandardOutput = "--removed - needs -o OUT";
    struct Case
    {
        std::vector<std::string> arguments;
        std::string says;
        bool ownProcess = false; // names that reach the program's own standard output
    };
    const std::vector<Case> cases = {
        {{"dedupe-first", "--removed", "-", list}, bothOnStandardOutput},
        {{"dedupe-first", "--removed", "-", "-o", "-", list}, bothOnStandardOutput},
        {{"dedupe-first", "--removed", out, "-o", out, list}, sameFile},
        {{"dedupe-first", "-o", out, "--removed", path("./out.txt"), list}, sameFile},
        {{"dedupe-first", "-o", out, "--removed", path("link.txt"), list}, sameFile},
        {{"dedupe-first", "-o", path("new.txt"), "--removed", path("./new.txt"), list}, sameFile},
        {{"dedupe-first", "--removed", "/dev/stdout", list}, sameFile, true},
        {{"dedupe-first", "--removed", "/dev/fd/1", list}, sameFile, true},
        {{"dedupe-first", "--removed", "-", "-o", "/dev/stdout", list}, sameFile, true},
        {{"dedupe-first", "--removed", out, "--removed", path("two.txt"), list}, "--removed"},
        {{"normalize", "--trim", "--removed", out, list}, "--removed"},
        {{"count", "--removed", out, list}, "--removed"},
    };
    for (const Case &run : cases) {
        const CliResult result = run.ownProcess ? runCliProcess(run.arguments) : runCli(run.arguments);
        EXPECT_EQ(result.exitCode, kCliUsageError) << commandLineOf(run.arguments);
        EXPECT_NE(result.err.find(run.says), std::string::npos) << commandLineOf(run.arguments) << result.err;
        EXPECT_EQ(result.out, "") << commandLineOf(run.arguments);
    }
    EXPECT_EQ(readBytes(out), "old\n");
    EXPECT_EQ(entryCount(), 3u);
}

} // namespace
} // namespace Quorvane
