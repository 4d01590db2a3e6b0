#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using Testing::CliResult;
using Testing::runCli;
using Testing::contains;
using Testing::kCliFileError;
using Testing::kCliUsageError;

const std::string kUsageStart = "Usage: quorvane-cli OPERATION";

using QuorvaneCli = Testing::CliTestFolder;

TEST_F(QuorvaneCli, UsageErrorsExitWithTwoAndShowTheUsage)
{
    const std::string list = file("list.txt", "a\n");
    const std::vector<std::vector<std::string>> wrongCommandLines = {
        {},
        {"shuffle", list},
        {"remove-with"},
        {"remove-without", "", list},
        {"remove-with", "-o", path("out.txt"), list},
        {"subtract", list},
        {"keep-matches", "-o", path("out.txt"), list},
        {"dedupe-first"},
        {"dedupe-first", "--other", list, list},
        {"subtract", list, "--other"},
        {"dedupe-last", "--frobnicate", list},
        {"dedupe-first", "-o", path("one.txt"), "-o", path("two.txt"), list},
        {"dedupe-first", "-", "-"},
    };
    for (const auto &arguments : wrongCommandLines) {
        const CliResult result = runCli(arguments);
        const std::string shown = arguments.empty() ? "(none)" : arguments.front();
        EXPECT_EQ(result.exitCode, kCliUsageError) << shown;
        EXPECT_TRUE(contains(result.err, kUsageStart)) << shown << ": " << result.err;
        EXPECT_EQ(result.out, "") << shown;
    }
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(QuorvaneCli, HelpNamesEveryOperationAndOption)
{
    const CliResult result = runCli({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char *word : {"dedupe-first", "dedupe-last", "remove-blanks", "remove-with TEXT",
                             "remove-without TEXT", "subtract", "keep-matches", "--other FILE", "-o",
                             "Exit status"})
        EXPECT_TRUE(contains(result.out, word)) << word;

    EXPECT_EQ(runCli({"dedupe-first", "--help"}).out, result.out);
    EXPECT_EQ(runCli({"subtract", "-h"}).out, result.out);
}

TEST_F(QuorvaneCli, HelpWordsAsTextOrAfterDoubleDashAreNotHelp)
{
    const std::string list = file("list.txt", "a-h@example.com\nb@example.com\n");
    const std::string out = path("out.txt");
    const CliResult asText = runCli({"remove-with", "-h", list, "-o", out});
    EXPECT_EQ(asText.exitCode, 0) << asText.err;
    EXPECT_EQ(Testing::readBytes(out), "b@example.com\r\n");

    const CliResult asFile = runCli({"dedupe-first", list, "--", "--help"});
    EXPECT_EQ(asFile.exitCode, kCliFileError);
    EXPECT_TRUE(contains(asFile.err, "--help")) << asFile.err;
    EXPECT_FALSE(contains(asFile.out, "Exit status"));
}

TEST_F(QuorvaneCli, ReadsFilesAndStandardInputInOrderIntoOneList)
{
    const std::string first = file("first.txt", "b\r\na\r\n");
    const std::string last = file("last.txt", "c\rb");
    const CliResult result = runCli({"dedupe-first", first, "-", last}, "a\nd\n\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "b\r\na\r\nd\r\n\r\nc\r\n");
    EXPECT_EQ(result.err, "7 items in, 5 items out\n");
}

TEST_F(QuorvaneCli, EachOperationOnStandardInput)
{
    const std::string input = "x@a\ny@b\n\nx@a\nz@a\ny@b\n";
    struct Case
    {
        std::vector<std::string> arguments;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"dedupe-first", "-"}, "x@a\r\ny@b\r\n\r\nz@a\r\n"},
        {{"dedupe-last", "-"}, "\r\nx@a\r\nz@a\r\ny@b\r\n"},
        {{"remove-blanks", "-"}, "x@a\r\ny@b\r\nx@a\r\nz@a\r\ny@b\r\n"},
        {{"remove-with", "@a", "-"}, "y@b\r\n\r\ny@b\r\n"},
        {{"remove-without", "@a", "-"}, "x@a\r\nx@a\r\nz@a\r\n"},
    };
    for (const Case &run : cases) {
        const CliResult result = runCli(run.arguments, input);
        EXPECT_EQ(result.exitCode, 0) << run.arguments.front() << ": " << result.err;
        EXPECT_EQ(result.out, run.out) << run.arguments.front();
    }
}

TEST_F(QuorvaneCli, CrossListOperationsReadEveryOtherFile)
{
    const std::string list = file("list.txt", "a\nb\nc\nd\nb\n");
    const std::string otherOne = file("other1.txt", "b\n");
    const std::string otherTwo = file("other2.txt", "d\nz\n");
    const CliResult subtracted = runCli({"subtract", "--other", otherOne, list, "--other=" + otherTwo});
    EXPECT_EQ(subtracted.exitCode, 0) << subtracted.err;
    EXPECT_EQ(subtracted.out, "a\r\nc\r\n");
    EXPECT_EQ(subtracted.err, "5 items in, 2 items out\n");

    const CliResult kept = runCli({"keep-matches", list, "--other", otherOne, "--other", "-"}, "c\n");
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.out, "b\r\nc\r\nb\r\n");
}

TEST_F(QuorvaneCli, WritesTheOutputFileInsteadOfStandardOutput)
{
    const std::string list = file("list.txt", "a\n\nb\n");
    const std::string out = file("out.txt", "old\r\n");
    const CliResult result = runCli({"remove-blanks", "-o", out, list});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Testing::readBytes(out), "a\r\nb\r\n");
    EXPECT_EQ(entryCount(), 2u);

    const CliResult toStandardOutput = runCli({"remove-blanks", "-o", "-", list});
    EXPECT_EQ(toStandardOutput.exitCode, 0) << toStandardOutput.err;
    EXPECT_EQ(toStandardOutput.out, "a\r\nb\r\n");

    const CliResult inPlace = runCli({"dedupe-last", "-o", list, list, list});
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.err;
    EXPECT_EQ(Testing::readBytes(list), "a\r\n\r\nb\r\n");
    EXPECT_EQ(entryCount(), 2u);
}

TEST_F(QuorvaneCli, UnreadableInputExitsWithOneAndLeavesTheOutputAlone)
{
    const std::string list = file("list.txt", "a\n");
    const std::string out = file("out.txt", "old\r\n");
    for (const std::string &unreadable : {path("missing.txt"), path("")}) {
        const CliResult result = runCli({"dedupe-first", "-o", out, list, unreadable});
        EXPECT_EQ(result.exitCode, kCliFileError);
        EXPECT_TRUE(contains(result.err, unreadable)) << result.err;
        EXPECT_FALSE(contains(result.err, "items out")) << result.err;
    }
    const CliResult missingOther = runCli({"subtract", "--other", path("gone.txt"), "-o", out, list});
    EXPECT_EQ(missingOther.exitCode, kCliFileError);
    EXPECT_TRUE(contains(missingOther.err, path("gone.txt"))) << missingOther.err;
    EXPECT_EQ(Testing::readBytes(out), "old\r\n");
    EXPECT_EQ(entryCount(), 2u);
}

TEST_F(QuorvaneCli, UnwritableOutputExitsWithOneNamingIt)
{
    const std::string list = file("list.txt", "a\n");
    const std::string out = path("no-such-folder/out.txt");
    const CliResult result = runCli({"dedupe-first", "-o", out, list});
    EXPECT_EQ(result.exitCode, kCliFileError);
    EXPECT_TRUE(contains(result.err, out)) << result.err;
    EXPECT_EQ(entryCount(), 1u);
}

} // namespace
} // namespace Quorvane
