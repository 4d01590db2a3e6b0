// validate: what it keeps and sets aside, and what the summary says of the lines it removed.
#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using namespace Testing;

using CliValidate = Testing::CliTestFolder;

TEST_F(CliValidate, SetsAsideInvalidLinesAndCountsThemByReason)
{
    const std::string input = "Ann <ann@x.org>\nnot-an-email\nx@@y.com\na@b\nBob <bob@y.org>, Cid <cid@z.org>\n"
                              "\n\"john doe\"@x.org\nmailto:B@X.ORG\nuser@[IPv6:2001:db8::1]\nnot-either\n";
    struct Case
    {
        std::vector<std::string> options;
        std::string out;
        std::string removed;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{},
         "Ann <ann@x.org>\na@b\n\"john doe\"@x.org\nmailto:B@X.ORG\nuser@[IPv6:2001:db8::1]\n",
         "not-an-email\nx@@y.com\nBob <bob@y.org>, Cid <cid@z.org>\n\nnot-either\n",
         "10 items in, 5 items out\n"
         "5 items removed: 1 blank, 1 with several addresses, 2 without an @, 1 with an invalid domain\n"},
        {{"--common"}, "Ann <ann@x.org>\nmailto:B@X.ORG\n",
         "not-an-email\nx@@y.com\na@b\nBob <bob@y.org>, Cid <cid@z.org>\n\n\"john doe\"@x.org\n"
         "user@[IPv6:2001:db8::1]\nnot-either\n",
         "10 items in, 2 items out\n8 items removed: 1 blank, 1 with several addresses, 2 without an @, 1 with an "
         "invalid domain, 1 with a quoted local part, 1 with an address literal, 1 with a single-label domain\n"},
        {{"-q"}, "Ann <ann@x.org>\na@b\n\"john doe\"@x.org\nmailto:B@X.ORG\nuser@[IPv6:2001:db8::1]\n",
         "not-an-email\nx@@y.com\nBob <bob@y.org>, Cid <cid@z.org>\n\nnot-either\n", ""},
    };
    for (const Case &run : cases) {
        std::vector<std::string> arguments = {"validate", "--removed", path("removed.txt")};
        arguments.insert(arguments.end(), run.options.begin(), run.options.end());
        const CliResult result = runCli(arguments, input);
        const std::string shown = commandLineOf(arguments);
        EXPECT_EQ(result.exitCode, 0) << shown << result.err;
        EXPECT_EQ(result.out, run.out) << shown;
        EXPECT_EQ(readBytes(path("removed.txt")), run.removed) << shown;
        EXPECT_EQ(result.err, run.err) << shown;
    }
    // Nothing removed, nothing more to say.
    EXPECT_EQ(runCli({"validate", "-"}, "ann@x.org\n").err, "1 item in, 1 item out\n");
}

TEST_F(CliValidate, TakesTheCommonRulesAndNoMatchingMode)
{
    for (const std::vector<std::string> &arguments : std::vector<std::vector<std::string>>{
             {"validate", "--email", "-"}, {"validate", "--ignore-case", "-"}, {"dedupe-first", "--common", "-"},
             {"count", "--common", "-"}}) {
        const CliResult result = runCli(arguments, "a@b.org\n");
        EXPECT_EQ(result.exitCode, kCliUsageError) << commandLineOf(arguments);
        EXPECT_TRUE(contains(result.err, "takes no")) << result.err;
    }
}

} // namespace
} // namespace Quorvane
