// The matching modes reach every operation that takes them, and normalize writes the keys.
#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using namespace Testing;

using CliMatching = Testing::CliTestFolder;

// Lines as the tool writes them after input with LF line ends.
std::string lines(const std::vector<std::string> &texts)
{
    std::string bytes;
    for (const std::string &text : texts)
        bytes += text + '\n';
    return bytes;
}

TEST_F(CliMatching, EachModeReachesEachOperationThatTakesIt)
{
    const std::string input = "Ann@X.org\n ann@x.org\nBob <bob@y.org>\nmailto:BOB@y.org\nann@x.org\n";
    const std::string other = file("other.txt", "ANN@x.org\n");
    const std::string patterns = file("patterns.txt", "# ann@x.org\n@Y.org\n*@x.org\n");
    struct Case
    {
        std::vector<std::string> arguments;
        std::vector<std::string> out;
    };
    const std::vector<Case> cases = {
        {{"dedupe-first", "-"}, {"Ann@X.org", " ann@x.org", "Bob <bob@y.org>", "mailto:BOB@y.org", "ann@x.org"}},
        {{"dedupe-first", "--ignore-case", "-"}, {"Ann@X.org", " ann@x.org", "Bob <bob@y.org>", "mailto:BOB@y.org"}},
        {{"dedupe-first", "--trim", "-"}, {"Ann@X.org", " ann@x.org", "Bob <bob@y.org>", "mailto:BOB@y.org"}},
        {{"dedupe-first", "--trim", "--ignore-case", "-"}, {"Ann@X.org", "Bob <bob@y.org>", "mailto:BOB@y.org"}},
        {{"dedupe-first", "--email", "-"}, {"Ann@X.org", "Bob <bob@y.org>"}},
        {{"dedupe-last", "--email", "-"}, {"mailto:BOB@y.org", "ann@x.org"}},
        {{"subtract", "--email", "--other", other, "-"}, {"Bob <bob@y.org>", "mailto:BOB@y.org"}},
        {{"subtract", "--other", other, "-"},
         {"Ann@X.org", " ann@x.org", "Bob <bob@y.org>", "mailto:BOB@y.org", "ann@x.org"}},
        {{"keep-matches", "--ignore-case", "--other", other, "-"}, {"Ann@X.org", "ann@x.org"}},
        {{"keep-matches", "--trim", "--other", other, "-"}, {}},
        {{"subtract", "--patterns", "--other", patterns, "-"}, {"Ann@X.org", "Bob <bob@y.org>", "mailto:BOB@y.org"}},
        {{"keep-matches", "--email", "--patterns", "--other", patterns, "-"},
         {"Ann@X.org", " ann@x.org", "Bob <bob@y.org>", "mailto:BOB@y.org", "ann@x.org"}},
        {{"remove-with", "ANN", "--ignore-case", "-"}, {"Bob <bob@y.org>", "mailto:BOB@y.org"}},
        {{"remove-with", "ANN", "-"},
         {"Ann@X.org", " ann@x.org", "Bob <bob@y.org>", "mailto:BOB@y.org", "ann@x.org"}},
        {{"remove-without", "bob", "--ignore-case", "-"}, {"Bob <bob@y.org>", "mailto:BOB@y.org"}},
        {{"normalize", "--email", "-"}, {"ann@x.org", "ann@x.org", "bob@y.org", "bob@y.org", "ann@x.org"}},
        {{"normalize", "--ignore-case", "-"},
         {"ann@x.org", " ann@x.org", "bob <bob@y.org>", "mailto:bob@y.org", "ann@x.org"}},
        {{"normalize", "--trim", "-"}, {"Ann@X.org", "ann@x.org", "Bob <bob@y.org>", "mailto:BOB@y.org", "ann@x.org"}},
    };
    for (const Case &run : cases) {
        const std::string shown = Testing::commandLineOf(run.arguments) + ": ";
        const CliResult result = runCli(run.arguments, input);
        EXPECT_EQ(result.exitCode, 0) << shown << result.err;
        EXPECT_EQ(result.out, lines(run.out)) << shown;
    }
}

TEST_F(CliMatching, IgnoringCaseFoldsBeyondAscii)
{
    const CliResult result = runCli({"dedupe-first", "--ignore-case", "-"},
                                    "\xC3\x89" "cole@x.org\n\xC3\xA9" "cole@X.ORG\nSTRASSE@x.org\nstra\xC3\x9F" "e@x.org\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, lines({"\xC3\x89" "cole@x.org", "STRASSE@x.org"}));
}

// International domains, several addresses on a line and provider aliases, in memory and out of
// core, with what the summary says of them.
TEST_F(CliMatching, AddressRulesReachEveryRunAndTheSummary)
{
    const std::string input = "ann@b\xC3\xBC" "cher.de\nAnn <ANN@xn--bcher-kva.de>\nBob <bob@y.org>, Cid <cid@z.org>\n"
                              "j.doe+a@gmail.com\njdoe@googlemail.com\n";
    const std::string several = "1 line with several addresses\n";
    struct Case
    {
        std::vector<std::string> arguments;
        std::vector<std::string> out;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"dedupe-first", "--email", "-"},
         {"ann@b\xC3\xBC" "cher.de", "Bob <bob@y.org>, Cid <cid@z.org>", "j.doe+a@gmail.com", "jdoe@googlemail.com"},
         "5 items in, 4 items out, " + several},
        {{"dedupe-first", "--email", "--memory-limit", "1K", "-"},
         {"ann@b\xC3\xBC" "cher.de", "Bob <bob@y.org>, Cid <cid@z.org>", "j.doe+a@gmail.com", "jdoe@googlemail.com"},
         "5 items in, 4 items out, " + several},
        {{"dedupe-last", "--provider-aliases", "-"},
         {"Ann <ANN@xn--bcher-kva.de>", "Bob <bob@y.org>, Cid <cid@z.org>", "jdoe@googlemail.com"},
         "5 items in, 3 items out, " + several},
        {{"normalize", "--email", "-"},
         {"ann@b\xC3\xBC" "cher.de", "ann@b\xC3\xBC" "cher.de", "bob@y.org, cid@z.org", "j.doe+a@gmail.com", "jdoe@googlemail.com"},
         "5 items in, 5 items out, " + several},
        {{"normalize", "--email", "--ascii", "--provider-aliases", "-"},
         {"ann@xn--bcher-kva.de", "ann@xn--bcher-kva.de", "bob@y.org, cid@z.org", "jdoe@gmail.com", "jdoe@gmail.com"},
         "5 items in, 5 items out, " + several},
        {{"split-addresses", "-"},
         {"ann@b\xC3\xBC" "cher.de", "Ann <ANN@xn--bcher-kva.de>", "Bob <bob@y.org>", "Cid <cid@z.org>", "j.doe+a@gmail.com",
          "jdoe@googlemail.com"},
         "5 items in, 6 items out\n"},
        {{"split-addresses", "--memory-limit", "1K", "-"},
         {"ann@b\xC3\xBC" "cher.de", "Ann <ANN@xn--bcher-kva.de>", "Bob <bob@y.org>", "Cid <cid@z.org>", "j.doe+a@gmail.com",
          "jdoe@googlemail.com"},
         "5 items in, 6 items out\n"},
        {{"count", "--provider-aliases", "-"},
         {"items              5", "blanks             0", "distinct           3", "repeats            2",
          "several addresses  1"},
         ""},
        {{"count", "--email", "--memory-limit", "1K", "-"},
         {"items              5", "blanks             0", "distinct           4", "repeats            1",
          "invalid            1", "several addresses  1"},
         ""},
    };
    for (const Case &run : cases) {
        const std::string shown = Testing::commandLineOf(run.arguments) + ": ";
        const CliResult result = runCli(run.arguments, input);
        EXPECT_EQ(result.exitCode, 0) << shown << result.err;
        EXPECT_EQ(result.out, lines(run.out)) << shown;
        EXPECT_EQ(result.err, run.err) << shown;
    }
    for (const std::vector<std::string> &wrong : std::vector<std::vector<std::string>>{
             {"normalize", "--ascii", "--trim", "-"}, {"split-addresses", "--email", "-"}, {"dedupe-first", "--ascii", "-"}})
        EXPECT_EQ(runCli(wrong, input).exitCode, kCliUsageError) << Testing::commandLineOf(wrong);
}

} // namespace
} // namespace Quorvane
