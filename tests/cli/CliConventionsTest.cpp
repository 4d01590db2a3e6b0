// The command line as the shell's tools read it: standard input without FILE, options anywhere,
// bundled short options, -e for a TEXT that starts with -, and messages in their form.
#include "CliRun.h"
#include "CliTestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace Quorvane {
namespace {

using namespace Testing;

using CliConventions = Testing::CliTestFolder;

TEST_F(CliConventions, CommandLinesReadAsTheShellsToolsReadThem)
{
    const std::string list = file("list.txt", "a@x.org\nb@EXAMPLE.com\n-x@y\n--z\n");
    const std::string other = file("other.txt", "b@x\n");
    const std::string out = path("out.txt");
    const std::string missing = path("no such.txt");
    const std::string kept = "a@x.org\nb@EXAMPLE.com\n-x@y\n--z\n";
    const std::string usage = "\nUsage: quorvane-cli";
    struct Case
    {
        std::vector<std::string> arguments;
        std::string input;
        int exitCode;
        std::string out;
        std::string errStart;
        std::optional<std::string> written = {}; // what OUT holds afterwards
    };
    const std::vector<Case> cases = {
        // Standard input when no FILE is given, for every operation.
        {{"dedupe-first"}, "b@x\na@x\nb@x\n", 0, "b@x\na@x\n", "3 items in, 2 items out\n"},
        {{"remove-with", "a@"}, "b@x\na@x\n", 0, "b@x\n", "2 items in, 1 item out\n"},
        {{"subtract", "--other", other, "-q"}, "b@x\na@x\n", 0, "a@x\n", ""},
        {{"count", "--json"}, "a\na\n", 0, "{\"items\": 2, ", ""},
        // Options before and after the TEXT; -e and --text for a TEXT that starts with -.
        {{"remove-with", "--ignore-case", "EXAMPLE", list}, "", 0, "a@x.org\n-x@y\n--z\n", "4 items in, 3 items out\n"},
        {{"remove-with", "EXAMPLE", list, "--ignore-case"}, "", 0, "a@x.org\n-x@y\n--z\n", "4 items in, 3 items out\n"},
        {{"remove-with", "--", "--", list}, "", 0, "a@x.org\nb@EXAMPLE.com\n-x@y\n", "4 items in, 3 items out\n"},
        {{"remove-without", "-q", "-e", "-x", list}, "", 0, "-x@y\n", ""},
        {{"remove-with", "--text=-", "-q", list}, "", 0, "a@x.org\nb@EXAMPLE.com\n", ""},
        {{"remove-with", "--text", "@", "-"}, "a@x\n", 0, "", "1 item in, 0 items out\n"},
        {{"remove-with", "-e", "a", "-e", "b", list}, "", kCliUsageError, "", "quorvane-cli: only one -e TEXT can be given" + usage},
        {{"remove-with", "--text=", list}, "", kCliUsageError, "", "quorvane-cli: remove-with needs a TEXT that is not empty"},
        {{"dedupe-first", "-e", "a", list}, "", kCliUsageError, "", "quorvane-cli: dedupe-first takes no --text"},
        // Short options as getopt takes them.
        {{"dedupe-first", "-qo", out, list}, "", 0, "", "", kept},
        {{"dedupe-first", "-qo" + out, list}, "", 0, "", "", kept},
        {{"dedupe-first", list, "-o" + out}, "", 0, "", "4 items in, 4 items out\n", kept},
        {{"dedupe-first", "-q", "-o"}, "", kCliUsageError, "", "quorvane-cli: --output needs OUT" + usage},
        {{"dedupe-first", "-qx", list}, "", kCliUsageError, "", "quorvane-cli: unknown option \"-x\"" + usage},
        {{"dedupe-first", "--trim=yes", list}, "", kCliUsageError, "", "quorvane-cli: --trim takes no value" + usage},
        // A suggestion for a slip, among the names this operation takes.
        {{"dedup-first", list}, "", kCliUsageError, "",
         "quorvane-cli: unknown operation \"dedup-first\"; did you mean \"dedupe-first\"?" + usage},
        {{"dedupe-first", "--ignor-case", list}, "", kCliUsageError, "",
         "quorvane-cli: unknown option \"--ignor-case\"; did you mean \"--ignore-case\"?" + usage},
        {{"remove-blanks", "--ignor-case", list}, "", kCliUsageError, "",
         "quorvane-cli: unknown option \"--ignor-case\"" + usage},
        {{"shuffle", list}, "", kCliUsageError, "", "quorvane-cli: unknown operation \"shuffle\"" + usage},
        // A file named on the command line: program, file, the system's words.
        {{"dedupe-first", missing}, "", kCliFileError, "", "quorvane-cli: " + missing + ": No such file or directory\n"},
        {{"subtract", "--other", missing, list}, "", kCliFileError, "",
         "quorvane-cli: " + missing + ": No such file or directory\n"},
        {{"dedupe-first", "-o", path(""), list}, "", kCliFileError, "", "quorvane-cli: " + path("") + ": it is a folder\n"},
    };
    for (const Case &run : cases) {
        std::filesystem::remove(out);
        const CliResult result = runCli(run.arguments, run.input);
        const std::string shown = commandLineOf(run.arguments);
        EXPECT_EQ(result.exitCode, run.exitCode) << shown << '\n' << result.err;
        EXPECT_TRUE(result.out.starts_with(run.out) && (run.out.empty() == result.out.empty()))
            << shown << '\n' << result.out;
        EXPECT_TRUE(result.err.starts_with(run.errStart) && (run.errStart.empty() == result.err.empty()))
            << shown << '\n' << result.err;
        if (run.written) {
            EXPECT_EQ(readBytes(out), *run.written) << shown;
        }
    }
}

} // namespace
} // namespace Quorvane
