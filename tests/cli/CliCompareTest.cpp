// compare: the three parts of two lists in one pass, any of them, with the output rules of every
// operation that writes lists.
#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using namespace Testing;

using CliCompare = Testing::CliTestFolder;

TEST_F(CliCompare, WritesTheAskedPartsAndCountsThem)
{
    // Repeats stay in their part; the line ends follow the first input unless --lf says otherwise.
    const std::string list = file("list.txt", "a@x\r\nB@x\r\nb@x\r\nc@x\r\nb@x\r\n");
    const std::string other = file("other.txt", "b@x\nd@x\nD@X\n");
    struct Case
    {
        std::vector<std::string> options;
        std::string onlyList, both, onlyOther, err;
    };
    const std::vector<Case> cases = {
        {{}, "a@x\r\nB@x\r\nc@x\r\n", "b@x\r\nb@x\r\n", "d@x\r\nD@X\r\n",
         "3 items only in the list, 2 in both, 2 only in the other\n"},
        {{"--ignore-case", "--lf"}, "a@x\nc@x\n", "B@x\nb@x\nb@x\n", "d@x\nD@X\n",
         "2 items only in the list, 3 in both, 2 only in the other\n"},
        {{"--email", "--quiet"}, "a@x\r\nc@x\r\n", "B@x\r\nb@x\r\nb@x\r\n", "d@x\r\nD@X\r\n", ""},
    };
    for (const Case &run : cases) {
        std::vector<std::string> arguments = {"compare", list, "--other", other, "--only-list", path("only-list"),
                                              "--both", path("both"), "--only-other", path("only-other")};
        arguments.insert(arguments.end(), run.options.begin(), run.options.end());
        const CliResult result = runCli(arguments);
        const std::string shown = commandLineOf(arguments);
        EXPECT_EQ(result.exitCode, 0) << shown << result.err;
        EXPECT_EQ(result.err, run.err) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(readBytes(path("only-list")), run.onlyList) << shown;
        EXPECT_EQ(readBytes(path("both")), run.both) << shown;
        EXPECT_EQ(readBytes(path("only-other")), run.onlyOther) << shown;
    }

    // Any subset: one part on standard output, none at all.
    CliResult result = runCli({"compare", "-", "--other", other, "--only-other", "-"}, "d@x\n");
    EXPECT_EQ(result.out, "b@x\nD@X\n");
    EXPECT_EQ(result.err, "0 items only in the list, 1 in both, 2 only in the other\n");
    result = runCli({"compare", list, "--other", other});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "3 items only in the list, 2 in both, 2 only in the other\n");
    // count --other --json gives the same three.
    result = runCli({"count", "--json", list, "--other", other});
    EXPECT_TRUE(contains(result.out, "\"items_only_in_list\": 3, \"items_in_both\": 2, \"items_only_in_other\": 2}"))
        << result.out;
}

TEST_F(CliCompare, RefusesOneFileTwiceAndLeavesEveryPartOnFailure)
{
    const std::string list = file("list.txt", "a\nb\n");
    const std::string other = file("other.txt", "b\n");
    const std::string kept = file("kept.txt", "old\n");
    struct Case
    {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--only-list", kept, "--both", path("./kept.txt")}, kCliUsageError,
         "--only-list and --both name the same file"},
        {{"--both", "-", "--only-other", "-"}, kCliUsageError, "--both and --only-other name the same file"},
        {{"--only-list", kept, "--both", path("missing/both.txt")}, kCliFileError, "both.txt"},
        // Too long for the memory limit: compare does not part lists on disk.
        {{"--only-list", kept, "--memory-limit", "1K"}, kCliFileError, "compare needs both lists in memory"},
        {{"-o", kept}, kCliUsageError, "compare takes no --output"},
    };
    for (const Case &run : cases) {
        std::vector<std::string> arguments = {"compare", list, "--other", other};
        arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
        const CliResult result = runCliProcess(arguments);
        EXPECT_EQ(result.exitCode, run.exitCode) << commandLineOf(arguments) << result.err;
        EXPECT_TRUE(contains(result.err, run.message)) << result.err;
        EXPECT_EQ(readBytes(kept), "old\n") << commandLineOf(arguments);
    }
}

} // namespace
} // namespace Quorvane
