#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using namespace Testing;

const std::string kUsageStart = "Usage: quorvane-cli OPERATION";

using QuorvaneCli = Testing::CliTestFolder;

TEST_F(QuorvaneCli, UsageErrorsExitWithTwoAndShowTheUsage)
{
    const std::string list = file("list.txt", "a\n");
    const std::string out = path("out.txt");
    struct Case
    {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{}, "no operation given"},
        {{"shuffle", list}, "unknown operation \"shuffle\""},
        {{"remove-with"}, "remove-with needs a TEXT"},
        {{"remove-without", "", list}, "remove-without needs a TEXT that is not empty"},
        {{"remove-with", "-o", out}, "remove-with needs a TEXT"},
        {{"subtract", list}, "subtract needs at least one --other FILE"},
        {{"keep-matches", "-o", out, list}, "keep-matches needs at least one --other FILE"},
        {{"subtract", "--other", "-"}, "standard input (-) can be read only once"},
        {{"dedupe-first", "--other", list, list}, "dedupe-first takes no --other"},
        {{"subtract", list, "--other"}, "--other needs FILE"},
        {{"dedupe-last", "--frobnicate", list}, "unknown option \"--frobnicate\""},
        {{"dedupe-first", "-o", path("one.txt"), "-o", path("two.txt"), list}, "only one -o"},
        {{"dedupe-first", "-o", "", list}, "the file name after -o is empty"},
        {{"dedupe-first", "--output=", list}, "the file name after -o is empty"},
        {{"dedupe-first", "-", "-"}, "standard input (-) can be read only once"},
        {{"remove-blanks", "--ignore-case", list}, "remove-blanks takes no --ignore-case"},
        {{"remove-with", "x", "--trim", list}, "remove-with takes no --trim"},
        {{"remove-without", "x", "--email", list}, "remove-without takes no --email"},
        {{"normalize", list}, "normalize needs --trim, --ignore-case or --email"},
        {{"normalize", "--trim", "--other", list, list}, "normalize takes no --other"},
    };
    for (const Case &run : cases) {
        const CliResult result = runCli(run.arguments);
        const std::string shown = run.arguments.empty() ? "(none)" : run.arguments.front();
        EXPECT_EQ(result.exitCode, kCliUsageError) << shown;
        EXPECT_TRUE(contains(result.err, "quorvane-cli: " + run.message)) << shown << ": " << result.err;
        EXPECT_TRUE(contains(result.err, kUsageStart)) << shown << ": " << result.err;
        EXPECT_EQ(result.out, "") << shown;
    }
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(QuorvaneCli, HelpAndVersionWhereverAnOptionCanStand)
{
    const CliResult help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char *word : {"dedupe-first", "dedupe-last", "remove-blanks", "remove-with TEXT",
                             "remove-without TEXT", "subtract", "keep-matches", "normalize", "--other FILE",
                             "-o", "--removed FILE", "--lf", "--crlf", "--json", "count", "--ignore-case", "--trim",
                             "--email", "--quiet", "--version", "exit status is 0"})
        EXPECT_TRUE(contains(help.out, word)) << word;
    EXPECT_EQ(runCli({"dedupe-first", "--help"}).out, help.out);
    EXPECT_EQ(runCli({"subtract", "-h"}).out, help.out);
    EXPECT_EQ(runCli({"subtract", "--version", "--help"}).out, help.out);

    const std::string version = "quorvane-cli " QUORVANE_PROJECT_VERSION "\n"
                                "Copyright (c) 2026 The Quorvane developers\n"
                                "License: MIT";
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"--version"}, {"dedupe-first", "--version"}, {"remove-with", "x", "--version"}}) {
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments.back();
        EXPECT_TRUE(result.out.starts_with(version)) << result.out;
        EXPECT_EQ(result.err, "");
    }
    EXPECT_TRUE(help.out.ends_with("Report bugs at: <https://www.example.com/quorvane/>\n"
                                   "Quorvane home page: <https://www.example.com/quorvane/>\n"))
        << help.out;
}

TEST_F(QuorvaneCli, SummaryCountsInPlainEnglishUnlessQuiet)
{
    struct Case
    {
        std::vector<std::string> arguments;
        std::string input;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {{"remove-blanks", "-"}, "a\n", "1 item in, 1 item out\n"},
        {{"remove-blanks", "-"}, "", "0 items in, 0 items out\n"},
        {{"remove-blanks", "-"}, "a\n\n", "2 items in, 1 item out\n"},
        {{"dedupe-first", "-"}, "a\na\nb\n", "3 items in, 2 items out\n"},
        {{"remove-blanks", "-q", "-"}, "a\n\n", ""},
        {{"dedupe-first", "--quiet", "-"}, "a\na\n", ""},
    };
    for (const Case &run : cases) {
        const CliResult result = runCli(run.arguments, run.input);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, run.summary) << run.input;
    }
}

TEST_F(QuorvaneCli, HelpWordsAsTextOrAfterDoubleDashAreNotHelp)
{
    const std::string list = file("list.txt", "a-h@example.com\nb@example.com\n");
    const std::string out = path("out.txt");
    const CliResult asText = runCli({"remove-with", "-e", "-h", list, "-o", out});
    EXPECT_EQ(asText.exitCode, 0) << asText.err;
    EXPECT_EQ(Testing::readBytes(out), "b@example.com\n");

    const CliResult asFile = runCli({"dedupe-first", list, "--", "--help"});
    EXPECT_EQ(asFile.exitCode, kCliFileError);
    EXPECT_TRUE(contains(asFile.err, "--help")) << asFile.err;
    EXPECT_FALSE(contains(asFile.out, "exit status is 0"));
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

TEST_F(QuorvaneCli, ByteOrderMarksAndUtf16AreReadAsTextAndUtf16IsNoted)
{
    std::string utf16 = "\xFF\xFE";
    for (const char byte : std::string("b@x\r\na@x\r\nb@x\r\n"))
        utf16 += {byte, '\0'};
    const std::string wide = file("wide.txt", utf16);
    const std::string marked = file("marked.txt", "\xEF\xBB\xBF" "a@x\nc@x\n");

    const CliResult result = runCli({"dedupe-first", wide, marked});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "b@x\r\na@x\r\nc@x\r\n");
    EXPECT_EQ(result.err, "quorvane-cli: \"" + wide + "\" was decoded from UTF-16\n5 items in, 3 items out\n");

    const CliResult fromStandardInput = runCli({"remove-blanks", "-"}, utf16);
    EXPECT_EQ(fromStandardInput.out, "b@x\r\na@x\r\nb@x\r\n");
    EXPECT_TRUE(contains(fromStandardInput.err, "quorvane-cli: standard input was decoded from UTF-16\n"))
        << fromStandardInput.err;
    EXPECT_EQ(runCli({"remove-blanks", "-q", wide}).err, "");
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
        {{"dedupe-first", "-"}, "x@a\ny@b\n\nz@a\n"},
        {{"dedupe-last", "-"}, "\nx@a\nz@a\ny@b\n"},
        {{"remove-blanks", "-"}, "x@a\ny@b\nx@a\nz@a\ny@b\n"},
        {{"remove-with", "@a", "-"}, "y@b\n\ny@b\n"},
        {{"remove-without", "@a", "-"}, "x@a\nx@a\nz@a\n"},
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
    EXPECT_EQ(subtracted.out, "a\nc\n");
    EXPECT_EQ(subtracted.err, "5 items in, 2 items out\n");

    const CliResult kept = runCli({"keep-matches", list, "--other", otherOne, "--other", "-"}, "c\n");
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.out, "b\nc\nb\n");
}

TEST_F(QuorvaneCli, WritesTheOutputFileInsteadOfStandardOutput)
{
    const std::string list = file("list.txt", "a\n\nb\n");
    const std::string out = file("out.txt", "old\r\n");
    const CliResult result = runCli({"remove-blanks", "-o", out, list});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Testing::readBytes(out), "a\nb\n");
    EXPECT_EQ(entryCount(), 2u);

    const CliResult toStandardOutput = runCli({"remove-blanks", "-o", "-", list});
    EXPECT_EQ(toStandardOutput.exitCode, 0) << toStandardOutput.err;
    EXPECT_EQ(toStandardOutput.out, "a\nb\n");

    const CliResult inPlace = runCli({"dedupe-last", "-o", list, list, list});
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.err;
    EXPECT_EQ(Testing::readBytes(list), "a\n\nb\n");
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

TEST_F(QuorvaneCli, FileNamesAreBytesAndArePrintedReadably)
{
    const std::string list = file("list-\xFF\xFE.txt", "b\na\nb\n");
    const std::string other = file("other-\xE9.txt", "a\n");
    const std::string out = path("out-\xC3.txt");
    const CliResult result = runCli({"subtract", "--other", other, "-o", out, list});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Testing::readBytes(out), "b\nb\n");
    EXPECT_EQ(entryCount(), 3u);

    const CliResult missing = runCli({"dedupe-first", path("gone-\xFF\n.txt")});
    EXPECT_EQ(missing.exitCode, kCliFileError);
    EXPECT_TRUE(contains(missing.err, "gone-\\xFF\\x0A.txt")) << missing.err;
    EXPECT_FALSE(contains(missing.err, "\xFF")) << missing.err;
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
