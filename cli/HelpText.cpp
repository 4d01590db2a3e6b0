#include "HelpText.h"

#include "OperationTable.h"

#include "Version.h"

namespace Quorvane {

namespace {

constexpr std::string_view kUsageLine =
    "Usage: quorvane-cli OPERATION [TEXT] [OPTION]... [--other FILE]... FILE...\n";

std::string operationLines()
{
    std::string lines;
    for (const OperationInfo &operation : batchOperations()) {
        const std::string name = std::string(operation.name()) + std::string(operation.synopsis());
        lines += "  " + name + std::string(name.size() < 22 ? 22 - name.size() : 1, ' ')
            + std::string(operation.description()) + '\n';
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
    return std::string("quorvane-cli ") + kVersion + '\n';
}

std::string helpText()
{
    return std::string(kUsageLine)
        + "Cleans or compares lists of lines, such as lists of e-mail addresses.\n"
          "The FILEs are read in order into one list; - reads standard input.\n"
          "Lines are compared byte for byte unless a mode says otherwise.\n"
          "TEXT is the argument right after remove-with or remove-without.\n"
          "\n"
          "Operations:\n"
        + operationLines()
        + "\n"
          "Modes (they combine):\n"
          "  --ignore-case         letter case does not count (Unicode case folding);\n"
          "                        also for remove-with and remove-without\n"
          "  --trim                spaces and other white space around a line do not count\n"
          "  --email               compare the addresses: 'Ann <ANN@x.org>', ' ann@x.org'\n"
          "                        and 'mailto:Ann@X.org' are the same address\n"
          "The modes work with dedupe-first, dedupe-last, subtract, keep-matches, normalize\n"
          "and count. The line kept is always the original line; normalize writes the\n"
          "compared form instead.\n"
          "\n"
          "Count:\n"
          "  count prints how many lines the list has (items), how many are empty\n"
          "  (blanks), how many differ (distinct) and items minus distinct (repeats); with\n"
          "  --other also how many distinct lines are in both lists (shared), only in the\n"
          "  list (only in list) and only in the other list (only in other). Under --trim\n"
          "  or --email a line of white space counts as blank. --json prints the keys\n"
          "  items, blanks, distinct, repeats, shared, only_in_list and only_in_other.\n"
          "\n"
          "Summary and exit status:\n"
          "  Standard error gets one summary line, such as: 3 items in, 1 item out.\n"
          "  The exit status is 0 on success; 1 when a file cannot be read or written,\n"
          "  or an input changed while it was being read (OUT is then left as it was);\n"
          "  2 when the command line is wrong.\n"
          "\n"
          "Options:\n"
          "  --other FILE          read FILE into the second list (subtract, keep-matches,\n"
          "                        count); repeat it to read several files in order\n"
          "  -o, --output OUT      write the result to OUT, replacing it as a whole only\n"
          "                        once everything succeeded; standard output when\n"
          "                        OUT is - or the option is not given\n"
          "  --removed FILE        write the removed lines to FILE, in list order, as\n"
          "                        carefully as OUT; - is standard output\n"
          "  --lf                  end every written line with a line feed\n"
          "  --crlf                end every written line with a carriage return and a\n"
          "                        line feed\n"
          "  --memory-limit SIZE   use about SIZE bytes of memory at most (K, M or G\n"
          "                        suffix); lists that need more are worked through\n"
          "                        in parts on disk, in $TMPDIR; default: half of the\n"
          "                        memory available when the run starts\n"
          "  --json                count: print one JSON object\n"
          "  -q, --quiet           print no summary and no note\n"
          "  -h, --help            show this help\n"
          "  --version             show the version\n"
          "  --                    every later argument is a FILE\n"
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
          "  $ quorvane-cli count --email --json --other old.txt new.txt\n";
}

} // namespace Quorvane
