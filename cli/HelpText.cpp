#include "HelpText.h"

#include "OperationTable.h"
#include "OptionTable.h"

#include "Version.h"

namespace Quorvane {

namespace {

constexpr std::string_view kUsageLine =
    "Usage: quorvane-cli OPERATION [TEXT] [OPTION]... [--other FILE]... [FILE]...\n";
constexpr std::size_t kNameColumn = 22;

// One entry of a list in the help: the name, then the text beside it, its later lines indented
// to the same column.
std::string helpEntry(const std::string &name, std::string_view text)
{
    std::string entry = "  " + name + std::string(name.size() < kNameColumn ? kNameColumn - name.size() : 1, ' ');
    for (const char character : text)
        entry += character == '\n' ? "\n  " + std::string(kNameColumn, ' ') : std::string(1, character);
    return entry + '\n';
}

std::string operationLines()
{
    std::string lines;
    for (const OperationInfo &operation : batchOperations())
        lines += helpEntry(std::string(operation.name()) + std::string(operation.synopsis()), operation.description());
    return lines;
}

std::string optionLines(CliOption::Group group)
{
    std::string lines;
    for (const CliOption &option : cliOptions()) {
        if (option.group != group)
            continue;
        std::string name = option.shortName ? std::string{'-', option.shortName, ',', ' '} : std::string();
        name += std::string(option.name) + (option.takesValue() ? ' ' + std::string(option.valueName) : "");
        lines += helpEntry(name, option.help);
    }
    return lines;
}

} // namespace

std::string usageText()
{
    std::string usage = std::string(kUsageLine) + "Operations:";
    for (const OperationInfo &operation : batchOperations())
        usage += ' ' + std::string(operation.name());
    return usage + "\nTry 'quorvane-cli --help' for more.\n";
}

std::string versionText()
{
    return std::string("quorvane-cli ") + kVersion + "\n"
        + "Copyright (c) 2026 The Quorvane developers\n"
          "License: MIT <https://opensource.org/licenses/MIT>\n"
          "This is free software: you are free to change and redistribute it.\n"
          "There is NO WARRANTY, to the extent permitted by law.\n";
}

std::string helpText()
{
    return std::string(kUsageLine)
        + "Cleans or compares lists of lines, such as lists of e-mail addresses.\n"
          "The FILEs are read in order into one list; - reads standard input, and so\n"
          "does a run without FILE. Lines are compared byte for byte unless a mode says\n"
          "otherwise. TEXT is the first argument after remove-with or remove-without\n"
          "that is not an option (-e TEXT gives one that starts with -). Options may\n"
          "stand before and after the TEXT and the FILEs.\n"
          "\n"
          "Operations:\n"
        + operationLines()
        + "\n"
          "Modes (they combine):\n"
        + optionLines(CliOption::Group::Mode)
        + "The modes work with dedupe-first, dedupe-last, subtract, keep-matches, normalize\n"
          "and count. The line kept is always the original line; normalize writes the\n"
          "compared form instead.\n"
          "\n"
          "Tables:\n"
        + optionLines(CliOption::Group::Table)
        + "With --csv or --tsv every operation compares one field of each row, after\n"
          "unquoting, with the modes applied to it, and keeps or removes whole rows,\n"
          "exactly as they were written. The header row is written once, at the top of\n"
          "OUT and of --removed; several FILEs must have the same header. A row with\n"
          "fewer fields than the key column is kept and compared as blank; standard\n"
          "error says how many there were. normalize rewrites only the key field.\n"
          "\n"
          "Count:\n"
          "  count prints how many lines the list has (items), how many are empty\n"
          "  (blanks), how many differ (distinct) and items minus distinct (repeats); with\n"
          "  --other also how many distinct lines are in both lists (shared), only in the\n"
          "  list (only in list) and only in the other list (only in other). Under --trim\n"
          "  or --email a line of white space counts as blank. Under --email it also\n"
          "  counts the lines that hold several addresses (several addresses). --json\n"
          "  prints the keys items, blanks, distinct, repeats, shared, only_in_list,\n"
          "  only_in_other and several_addresses, and with --other the items as compare\n"
          "  parts them: items_only_in_list, items_in_both and items_only_in_other.\n"
          "  Under --email count also prints how many lines validate would remove\n"
          "  (invalid; the key invalid in JSON).\n"
          "\n"
          "Validate:\n"
          "  validate removes the lines that do not hold exactly one valid address: the\n"
          "  address --email compares (a display name, mailto:, quotes and angle brackets\n"
          "  around it are fine), with a local part of atoms joined by dots or a quoted\n"
          "  string, then @ and a domain name or an address literal ([192.0.2.1],\n"
          "  [IPv6:2001:db8::1]); UTF-8 local parts and international domains are fine.\n"
          "  The summary says how many lines went for each reason.\n"
          "\n"
          "Compare:\n"
          "  compare parts the list and the --other files in one pass: the lines of the\n"
          "  list whose key the other files lack (--only-list), the lines of the list\n"
          "  whose key they have (--both) and the lines of the other files whose key the\n"
          "  list lacks (--only-other); repeats stay. Standard error gets the three\n"
          "  counts instead of the summary line: 2 items only in the list, 3 in both, 1\n"
          "  only in the other.\n"
          "\n"
          "Summary and exit status:\n"
          "  Standard error gets one summary line, such as: 3 items in, 1 item out.\n"
          "  Under --email it adds how many lines held several addresses.\n"
          "  The exit status is 0 on success; 1 when a file cannot be read or written,\n"
          "  or an input changed while it was being read (OUT is then left as it was);\n"
          "  2 when the command line is wrong.\n"
          "\n"
          "Options:\n"
        + optionLines(CliOption::Group::Other)
        + "  --                    every later argument is a FILE\n"
          "\n"
          "Files:\n"
          "A carriage return, a carriage return and line feed, or a line feed alone ends a\n"
          "line; the last line counts with or without a line end. A UTF-8 byte-order mark\n"
          "is not part of the first line, and UTF-16 files are decoded (standard error\n"
          "gets a note). Lines are written in UTF-8 with the line ends of the first input:\n"
          "LF stays LF; CR LF, a lone CR and a file without line ends give CR LF. --lf and\n"
          "--crlf choose one. With --removed, the removed file is put in place first, then\n"
          "OUT; a failure before that changes neither.\n"
          "\n"
          "Examples:\n"
          "  $ quorvane-cli dedupe-first --email -o clean.txt list.txt\n"
          "  $ quorvane-cli subtract --ignore-case --other unsubscribed.txt list.txt\n"
          "  $ quorvane-cli count --email --json --other old.txt new.txt\n"
          "  $ quorvane-cli subtract --csv --email --other-key email --other unsub.csv \\\n"
          "      contacts.csv -o mailing.csv\n"
          "  $ cat *.txt | quorvane-cli remove-with -e -noreply -qo out.txt\n"
          "\n"
          "Report bugs at: <" + std::string(kHomePageUrl) + ">\n"
          "Quorvane home page: <" + std::string(kHomePageUrl) + ">\n";
}

} // namespace Quorvane
