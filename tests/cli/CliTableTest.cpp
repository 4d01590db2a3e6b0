// --csv and --tsv: every operation on whole rows compared on one column of each list, the header
// written once, and the errors that name the file.
#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using namespace Testing;

using CliTable = Testing::CliTestFolder;

const std::string kHeader = "First Name,Email Address,Company\r\n";
const std::string kContacts = kHeader
    + "Ann,ann@x.org,\"Acme, Inc.\"\r\n"
      "Bob,\"BOB@y.org\",Zeta\r\n"
      "ann,Ann@X.org,\"Multi\r\nline\"\r\n"
      "Short\r\n"
      "Cy,cy@z.org,\r\n";

TEST_F(CliTable, EveryOperationKeepsWholeRows)
{
    const std::string unsubscribed = file("unsub.csv", "date;e-mail\n2024;bob@y.org\n2023;\"CY@z.org\"\n");
    const std::string contacts = file("contacts.csv", kContacts);
    struct Case
    {
        std::vector<std::string> arguments;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"dedupe-first", "--csv", "--email"}, kHeader + "Ann,ann@x.org,\"Acme, Inc.\"\r\nBob,\"BOB@y.org\",Zeta\r\n"
                                                   "Short\r\nCy,cy@z.org,\r\n"},
        {{"dedupe-last", "--csv", "--key", "2", "--ignore-case"},
         kHeader + "Bob,\"BOB@y.org\",Zeta\r\nann,Ann@X.org,\"Multi\r\nline\"\r\nShort\r\nCy,cy@z.org,\r\n"},
        {{"subtract", "--csv", "--email", "--other-key", "E-Mail", "--other", unsubscribed},
         kHeader + "Ann,ann@x.org,\"Acme, Inc.\"\r\nann,Ann@X.org,\"Multi\r\nline\"\r\nShort\r\n"},
        {{"keep-matches", "--csv", "--email", "--other", unsubscribed},
         kHeader + "Bob,\"BOB@y.org\",Zeta\r\nCy,cy@z.org,\r\n"},
        {{"remove-with", "--csv", "Ann", "--key", "first name"}, kHeader + "Bob,\"BOB@y.org\",Zeta\r\n"
                                                                              "ann,Ann@X.org,\"Multi\r\nline\"\r\n"
                                                                              "Short\r\nCy,cy@z.org,\r\n"},
        {{"remove-without", "--csv", "x.org"}, kHeader + "Ann,ann@x.org,\"Acme, Inc.\"\r\n"},
        {{"remove-blanks", "--csv"}, kContacts},
        {{"normalize", "--csv", "--email"}, kHeader + "Ann,ann@x.org,\"Acme, Inc.\"\r\nBob,bob@y.org,Zeta\r\n"
                                                      "ann,ann@x.org,\"Multi\r\nline\"\r\nShort\r\nCy,cy@z.org,\r\n"},
        {{"count", "--csv", "--email", "--json"}, "{\"items\": 5, \"blanks\": 1, \"distinct\": 4, \"repeats\": 1, \"invalid\": 1, \"several_addresses\": 0}\n"},
        {{"dedupe-first", "--csv", "--no-header", "--key", "2", "--ignore-case"},
         kHeader + "Ann,ann@x.org,\"Acme, Inc.\"\r\nBob,\"BOB@y.org\",Zeta\r\nShort\r\nCy,cy@z.org,\r\n"},
    };
    for (Case run : cases) {
        run.arguments.push_back(contacts);
        const CliResult result = runCli(run.arguments);
        EXPECT_EQ(result.exitCode, 0) << commandLineOf(run.arguments) << result.err;
        EXPECT_EQ(result.out, run.out) << commandLineOf(run.arguments);
    }
}

TEST_F(CliTable, SaysWhichColumnItFoundAndHowManyRowsAreShort)
{
    const std::string removed = path("removed.csv");
    const CliResult result = runCli({"dedupe-first", "--csv", "--email", "--removed", removed, "-o", path("out.csv"),
                                     file("a.csv", kContacts), file("b.csv", kHeader + "Dee,ann@x.org,Q\r\n")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "quorvane-cli: comparing on column 2, 'Email Address'\n"
                          "quorvane-cli: 1 row had no column 2: compared as blank\n"
                          "6 items in, 4 items out\n");
    EXPECT_EQ(runCli({"dedupe-first", "--csv", removed, "--key", "1", "-q"}).out,
              kHeader + "ann,Ann@X.org,\"Multi\r\nline\"\r\nDee,ann@x.org,Q\r\n");
}

// Inputs of a list may order their columns otherwise when --key names the column (by name or by
// its number in the first input): each row keeps its own order and is compared, and rewritten, on
// the column of that name in its own header; the header written is the first input's.
TEST_F(CliTable, InputsWithTheColumnsInAnotherOrder)
{
    const std::string first = file("a.csv", "Name,Email,City\nAnn,a@x.org,Oslo\n");
    const std::string reordered = file("b.csv", "Email,City,Name\nA@X.org,Rome,Bea\nc@x.org,Lima,Cy\n");
    const CliResult deduped = runCli({"dedupe-first", "--csv", "--ignore-case", "--key", "email", "-q", first, reordered});
    EXPECT_EQ(deduped.exitCode, 0) << deduped.err;
    EXPECT_EQ(deduped.out, "Name,Email,City\nAnn,a@x.org,Oslo\nc@x.org,Lima,Cy\n");
    const CliResult normalized = runCli({"normalize", "--csv", "--email", "--key", "2", "-q", first, reordered});
    EXPECT_EQ(normalized.out, "Name,Email,City\nAnn,a@x.org,Oslo\na@x.org,Rome,Bea\nc@x.org,Lima,Cy\n");
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"dedupe-first", "--csv", first, reordered},
          {"dedupe-first", "--csv", "--key", "Name", "--memory-limit", "1K", first, reordered}}) {
        const CliResult refused = runCli(arguments);
        EXPECT_EQ(refused.exitCode, kCliFileError);
        EXPECT_TRUE(contains(refused.err, "b.csv: has the columns of \"" + first + "\" in another order")) << refused.err;
    }
}

TEST_F(CliTable, TabsFromUtf16AndStandardInput)
{
    const std::string utf16 = std::string("\xFF\xFE" "n\0\t\0e\0\n\0A\0\t\0a\0@\0x\0\n\0B\0\t\0a\0@\0x\0\n\0", 32);
    const CliResult result = runCli({"dedupe-first", "--tsv", "--key", "e"}, utf16);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "n\te\nA\ta@x\n");
    EXPECT_EQ(runCli({"dedupe-first", "--csv", "--delimiter", "|", "--key", "2", "-q"}, "a|b,c\nx|1\ny|1\n").out,
              "a|b,c\nx|1\n");
}

TEST_F(CliTable, RefusesWhatItCannotCompareAndNamesTheFile)
{
    const std::string contacts = file("contacts.csv", kContacts);
    struct Case
    {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"dedupe-first", "--csv", contacts, file("other.csv", "Name,Mail\nz,z@z.org\n")}, kCliFileError,
         "other.csv: has another header than \"" + contacts + "\": the inputs of a list must share one header"},
        {{"dedupe-first", "--csv", "--key", "Phone", contacts}, kCliFileError,
         "contacts.csv: no column \"Phone\"; the header has \"First Name\", \"Email Address\", \"Company\""},
        {{"dedupe-first", "--csv", file("open.csv", "a,b\nx,\"y\nz\n")}, kCliFileError,
         "open.csv: the quoted field in row 2 (line 2) has no closing quote"},
        {{"dedupe-first", "--csv", "--key", "e", "--memory-limit", "64K", file("long.csv", "n,e\nx,a@b\n\"" + std::string(200'000, 'y'))},
         kCliFileError, "long.csv: row 3 (line 3) is longer than the memory limit of 65536 bytes"},
        {{"dedupe-first", "--csv", file("names.csv", "a,b\nx,y\n")}, kCliFileError,
         "names.csv: no column looks like e-mail addresses: name one with --key"},
        {{"dedupe-first", "--key", "2", contacts}, kCliUsageError, "--key, --other-key, --delimiter and --no-header need --csv or --tsv"},
        {{"dedupe-first", "--csv", "--tsv", contacts}, kCliUsageError, "--csv and --tsv cannot be given together"},
        {{"dedupe-first", "--csv", "--delimiter", "ab", contacts}, kCliUsageError, "--delimiter needs one character"},
    };
    for (const Case &run : cases) {
        const std::string out = path("out.csv");
        std::vector<std::string> arguments = run.arguments;
        arguments.insert(arguments.end(), {"-o", out});
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, run.exitCode) << commandLineOf(arguments);
        EXPECT_TRUE(contains(result.err, run.err)) << result.err;
        EXPECT_EQ(access(out.c_str(), F_OK), -1) << "wrote " << out;
    }
}

} // namespace
} // namespace Quorvane
