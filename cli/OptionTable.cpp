#include "OptionTable.h"

#include "CommandLine.h"
#include "MemoryLimit.h"
#include "OperationTable.h"

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

void setOnce(std::optional<std::string> &target, std::string_view option, std::string_view value)
{
    if (target)
        throw UsageError("only one " + std::string(option) + " can be given");
    if (value.empty())
        throw UsageError("the file name after " + std::string(option) + " is empty");
    target = std::string(value);
}

std::uint64_t memoryLimitFrom(std::string_view value)
{
    const std::optional<std::uint64_t> limit = parseMemorySize(value);
    if (!limit)
        throw UsageError("--memory-limit needs a SIZE such as 512K, 256M or 2G, not \"" + std::string(value) + "\"");
    return *limit;
}

void setLineEnd(Invocation &invocation, LineEndChoice lineEnd)
{
    if (invocation.lineEnd != LineEndChoice::AsFirstInput && invocation.lineEnd != lineEnd)
        throw UsageError("--lf and --crlf cannot be given together");
    invocation.lineEnd = lineEnd;
}

void setText(Invocation &invocation, std::string_view value)
{
    if (invocation.text)
        throw UsageError("only one -e TEXT can be given");
    invocation.text = std::string(value);
}

void setKey(std::optional<std::string> &target, std::string_view option, std::string_view value)
{
    if (target)
        throw UsageError("only one " + std::string(option) + " can be given");
    if (value.empty())
        throw UsageError(std::string(option) + " needs a COLUMN that is not empty");
    target = std::string(value);
}

void setTableKind(Invocation &invocation, bool tabs)
{
    if ((tabs && invocation.csv) || (!tabs && invocation.tsv))
        throw UsageError("--csv and --tsv cannot be given together");
    (tabs ? invocation.tsv : invocation.csv) = true;
}

char delimiterFrom(std::string_view value)
{
    if (value == "tab" || value == "\\t")
        return '\t';
    if (value.size() != 1 || value == "\"" || value == "\r" || value == "\n")
        throw UsageError("--delimiter needs one character such as , ; | or tab, not \"" + std::string(value) + "\"");
    return value.front();
}

// Help wins over the version when both are asked for.
void setRequest(Invocation &invocation, Invocation::Request request)
{
    if (invocation.request != Invocation::Request::Help)
        invocation.request = request;
}

using Group = CliOption::Group;

constexpr std::array kOptions = {
    CliOption{"--ignore-case", 0, "", kTakesIgnoreCase, Group::Mode,
              "letter case does not count (Unicode case folding);\n"
              "also for remove-with and remove-without",
              [](Invocation &invocation, std::string_view) { invocation.mode.ignoreCase = true; }},
    CliOption{"--trim", 0, "", kTakesTrimAndEmail, Group::Mode,
              "spaces and other white space around a line do not count",
              [](Invocation &invocation, std::string_view) { invocation.mode.trim = true; }},
    CliOption{"--email", 0, "", kTakesTrimAndEmail, Group::Mode,
              "compare the addresses: 'Ann <ANN@x.org>', ' ann@x.org'\n"
              "and 'mailto:Ann@X.org' are the same address; domains\n"
              "compare in their ASCII form (xn--...), a line of\n"
              "several addresses as the list of them",
              [](Invocation &invocation, std::string_view) { invocation.mode.email = true; }},
    CliOption{"--common", 0, "", kTakesCommon, Group::Mode,
              "validate: also remove what mail services commonly\n"
              "refuse: quoted local parts, address literals,\n"
              "single-label domains, all-numeric top-level domains",
              [](Invocation &invocation, std::string_view) { invocation.mode.commonAddresses = true; }},
    CliOption{"--provider-aliases", 0, "", kTakesTrimAndEmail, Group::Mode,
              "compare the addresses as --email does, and as the\n"
              "mailbox they reach: googlemail.com is gmail.com, dots\n"
              "do not count at Gmail, nor a +tag at Gmail, Outlook.com,\n"
              "Fastmail and Proton",
              [](Invocation &invocation, std::string_view) { invocation.mode.providerAliases = true; }},
    CliOption{"--ascii", 0, "", kTakesAscii, Group::Mode,
              "normalize --email: write international domains in\n"
              "their ASCII form (xn--...), not in Unicode",
              [](Invocation &invocation, std::string_view) { invocation.mode.asciiDomains = true; }},
    CliOption{"--csv", 0, "", 0, Group::Table,
              "read every FILE as a table of rows (CSV): compare one\n"
              "column, keep or remove whole rows; the delimiter\n"
              "(, ; tab |) is found in the first row",
              [](Invocation &invocation, std::string_view) { setTableKind(invocation, false); }},
    CliOption{"--tsv", 0, "", 0, Group::Table, "as --csv, with fields separated by tabs",
              [](Invocation &invocation, std::string_view) { setTableKind(invocation, true); }},
    CliOption{"--key", 0, "COLUMN", 0, Group::Table,
              "compare the column with this header name (exact,\n"
              "else ignoring case and spaces) or number (1 is the\n"
              "first); default: the column that looks most like\n"
              "e-mail addresses",
              [](Invocation &invocation, std::string_view value) { setKey(invocation.key, "--key", value); }},
    CliOption{"--other-key", 0, "COLUMN", kTakesOther, Group::Table, "as --key, for the --other FILEs",
              [](Invocation &invocation, std::string_view value) {
                  setKey(invocation.otherKey, "--other-key", value);
              }},
    CliOption{"--delimiter", 0, "C", 0, Group::Table, "fields are separated by C (one character, or tab)",
              [](Invocation &invocation, std::string_view value) { invocation.delimiter = delimiterFrom(value); }},
    CliOption{"--no-header", 0, "", 0, Group::Table, "the first row is a row like the others, not a header",
              [](Invocation &invocation, std::string_view) { invocation.noHeader = true; }},
    CliOption{"--patterns", 0, "", kTakesPatterns, Group::Mode,
              "subtract, keep-matches: the --other files hold\n"
              "patterns: '@x.org' (that domain), '@*.x.org' (its\n"
              "subdomains), 'info@' (that local part), globs with\n"
              "* and ? ('*@*.ru'); lines starting with # are comments",
              [](Invocation &invocation, std::string_view) { invocation.mode.otherIsPatterns = true; }},
    CliOption{"--text", 'e', "TEXT", kTakesText, Group::Other,
              "remove-with, remove-without: search for TEXT, even one\n"
              "that starts with -; every argument that is not an\n"
              "option is then a FILE",
              setText},
    CliOption{"--other", 0, "FILE", kTakesOther, Group::Other,
              "read FILE into the second list (subtract, keep-matches,\n"
              "count, compare); repeat it to read several files in\n"
              "order",
              [](Invocation &invocation, std::string_view value) { invocation.others.emplace_back(value); }},
    CliOption{"--output", 'o', "OUT", kWritesList, Group::Other,
              "write the result to OUT, replacing it as a whole only\n"
              "once everything succeeded; standard output when\n"
              "OUT is - or the option is not given",
              [](Invocation &invocation, std::string_view value) { setOnce(invocation.output, "-o", value); }},
    CliOption{"--removed", 0, "FILE", kRemovesItems, Group::Other,
              "write the removed lines to FILE, in list order, as\n"
              "carefully as OUT; - is standard output",
              [](Invocation &invocation, std::string_view value) { setOnce(invocation.removed, "--removed", value); }},
    CliOption{"--only-list", 0, "FILE", kWritesParts, Group::Other,
              "compare: write the lines whose key the --other files\n"
              "lack to FILE, as carefully as OUT; - is standard output",
              [](Invocation &invocation, std::string_view value) { setOnce(invocation.onlyInList, "--only-list", value); }},
    CliOption{"--both", 0, "FILE", kWritesParts, Group::Other,
              "compare: write the lines whose key the --other files\n"
              "have too to FILE",
              [](Invocation &invocation, std::string_view value) { setOnce(invocation.inBoth, "--both", value); }},
    CliOption{"--only-other", 0, "FILE", kWritesParts, Group::Other,
              "compare: write the lines of the --other files whose\n"
              "key the list lacks to FILE",
              [](Invocation &invocation, std::string_view value) { setOnce(invocation.onlyInOther, "--only-other", value); }},
    CliOption{"--lf", 0, "", kWritesList | kWritesParts, Group::Other, "end every written line with a line feed",
              [](Invocation &invocation, std::string_view) { setLineEnd(invocation, LineEndChoice::LineFeed); }},
    CliOption{"--crlf", 0, "", kWritesList | kWritesParts, Group::Other,
              "end every written line with a carriage return and a\n"
              "line feed",
              [](Invocation &invocation, std::string_view) {
                  setLineEnd(invocation, LineEndChoice::CarriageReturnLineFeed);
              }},
    CliOption{"--memory-limit", 0, "SIZE", 0, Group::Other,
              "use about SIZE bytes of memory at most (K, M or G\n"
              "suffix); lists that need more are worked through\n"
              "in parts on disk, in $TMPDIR; default: half of the\n"
              "memory available when the run starts",
              [](Invocation &invocation, std::string_view value) { invocation.memoryLimit = memoryLimitFrom(value); }},
    CliOption{"--json", 0, "", kTakesJson, Group::Other, "count: print one JSON object",
              [](Invocation &invocation, std::string_view) { invocation.json = true; }},
    CliOption{"--quiet", 'q', "", 0, Group::Other, "print no summary and no note",
              [](Invocation &invocation, std::string_view) { invocation.quiet = true; }},
    CliOption{"--help", 'h', "", 0, Group::Other, "show this help",
              [](Invocation &invocation, std::string_view) { setRequest(invocation, Invocation::Request::Help); }},
    CliOption{"--version", 0, "", 0, Group::Other, "show the version",
              [](Invocation &invocation, std::string_view) { setRequest(invocation, Invocation::Request::Version); }},
};

} // namespace

std::span<const CliOption> cliOptions()
{
    return kOptions;
}

const CliOption *findLongOption(std::string_view name)
{
    const auto found = std::find_if(kOptions.begin(), kOptions.end(),
                                    [name](const CliOption &option) { return option.name == name; });
    return found == kOptions.end() ? nullptr : &*found;
}

const CliOption *findShortOption(char shortName)
{
    const auto found = std::find_if(kOptions.begin(), kOptions.end(),
                                    [shortName](const CliOption &option) { return option.shortName == shortName; });
    return shortName == 0 || found == kOptions.end() ? nullptr : &*found;
}

bool operationTakes(const OperationInfo &operation, const CliOption &option)
{
    return option.takenBy == 0 || (operation.takes & option.takenBy);
}

} // namespace Quorvane
