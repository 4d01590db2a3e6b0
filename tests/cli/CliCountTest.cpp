// count: the figures under each mode, against other lists, for people and as JSON.
#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using namespace Testing;

using CliCount = Testing::CliTestFolder;

TEST_F(CliCount, FiguresUnderEachModeAndAgainstOtherLists)
{
    const std::string other = file("other.txt", "a@x\nc@x\n");
    const std::string moreOther = file("more.txt", "B@X\n");
    struct Case
    {
        std::vector<std::string> arguments;
        std::string out;
        std::string input = "a@x\nA@x\n\nb@x\na@x\n \n";
    };
    const std::vector<Case> cases = {
        {{"count", "-"}, "items     6\nblanks    1\ndistinct  5\nrepeats   1\n"},
        {{"count", "--ignore-case", "-"}, "items     6\nblanks    1\ndistinct  4\nrepeats   2\n"},
        {{"count", "--trim", "-"}, "items     6\nblanks    2\ndistinct  4\nrepeats   2\n"},
        {{"count", "--json", "-"}, "{\"items\": 6, \"blanks\": 1, \"distinct\": 5, \"repeats\": 1}\n"},
        {{"count", "--other", other, "-"},
         "items          6\nblanks         1\ndistinct       5\nrepeats        1\n"
         "shared         1\nonly in list   4\nonly in other  1\n"},
        {{"count", "--email", "--json", "--other", other, "--other", moreOther, "-"},
         "{\"items\": 6, \"blanks\": 2, \"distinct\": 3, \"repeats\": 3, \"shared\": 2, \"only_in_list\": 1, "
         "\"only_in_other\": 1, \"items_only_in_list\": 2, \"items_in_both\": 4, \"items_only_in_other\": 1, \"invalid\": 2, "
         "\"several_addresses\": 0}\n"},
        {{"count", "--email", "-"},
         "items              6\nblanks             2\ndistinct           3\nrepeats            3\ninvalid            2\n"
         "several addresses  0\n"},
        {{"count", "--email", "--json", "-"},
         "{\"items\": 3, \"blanks\": 0, \"distinct\": 3, \"repeats\": 0, \"invalid\": 1, \"several_addresses\": 1}\n",
         "Ann <ann@x.org>\nbob@y.org, cid@z.org\nmailto:dan@w.org\n"},
        // Figures of different widths stand right-aligned under each other.
        {{"count", "-"}, "items     12\nblanks     0\ndistinct  12\nrepeats    0\n",
         "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n"},
    };
    for (const Case &run : cases) {
        const std::string shown = Testing::commandLineOf(run.arguments) + ": ";
        const CliResult result = runCli(run.arguments, run.input);
        EXPECT_EQ(result.exitCode, 0) << shown << result.err;
        EXPECT_EQ(result.out, run.out) << shown;
        EXPECT_EQ(result.err, "") << shown;
    }
}

TEST_F(CliCount, WritesNoListAndTakesNoListOptions)
{
    const std::string list = file("list.txt", "a\n");
    for (const char *option : {"-o"}) {
        const CliResult result = runCli({"count", option, path("out.txt"), list});
        EXPECT_EQ(result.exitCode, Testing::kCliUsageError) << option;
        EXPECT_TRUE(Testing::contains(result.err, "count takes no")) << result.err;
    }
    EXPECT_EQ(runCli({"dedupe-first", "--json", list}).exitCode, Testing::kCliUsageError);
    EXPECT_EQ(entryCount(), 1u);
}

} // namespace
} // namespace Quorvane
