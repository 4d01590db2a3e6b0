#include "CommandLine.h"

#include "MemoryLimit.h"

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

enum class Needs { ListOnly, Text, OtherList };

struct OperationName
{
    std::string_view name;
    BatchOperation operation;
    Needs needs;
    std::string_view description;
};

constexpr std::array kOperations = {
    OperationName{"dedupe-first", BatchOperation::DedupeFirst, Needs::ListOnly,
                  "keep the first copy of every repeated line"},
    OperationName{"dedupe-last", BatchOperation::DedupeLast, Needs::ListOnly,
                  "keep the last copy of every repeated line"},
    OperationName{"remove-blanks", BatchOperation::RemoveBlanks, Needs::ListOnly,
                  "remove the empty lines"},
    OperationName{"remove-with", BatchOperation::RemoveWith, Needs::Text,
                  "remove the lines that contain TEXT"},
    OperationName{"remove-without", BatchOperation::RemoveWithout, Needs::Text,
                  "remove the lines that do not contain TEXT"},
    OperationName{"subtract", BatchOperation::Subtract, Needs::OtherList,
                  "remove the lines that occur in the --other files"},
    OperationName{"keep-matches", BatchOperation::KeepMatches, Needs::OtherList,
                  "keep only the lines that occur in the --other files"},
};

const OperationName &findOperation(std::string_view name)
{
    const auto found = std::find_if(kOperations.begin(), kOperations.end(),
                                    [name](const OperationName &entry) { return entry.name == name; });
    if (found == kOperations.end())
        throw UsageError("unknown operation \"" + std::string(name) + "\"");
    return *found;
}

bool isHelpOption(std::string_view argument)
{
    return argument == "--help" || argument == "-h";
}

// An option right after remove-with or remove-without means TEXT was forgotten.
constexpr std::string_view kMemoryLimitOption = "--memory-limit";

std::uint64_t memoryLimitFrom(std::string_view value)
{
    const std::optional<std::uint64_t> limit = parseMemorySize(value);
    if (!limit)
        throw UsageError("--memory-limit needs a SIZE such as 512K, 256M or 2G, not \"" + std::string(value) + "\"");
    return *limit;
}

bool isOption(std::string_view argument)
{
    return argument == "-o" || argument == "--output" || argument == "--other" || argument == "--"
        || argument.starts_with("--other=") || argument == kMemoryLimitOption
        || argument.starts_with(std::string(kMemoryLimitOption) + '=');
}

// Walks the arguments once, handing out option values as it goes.
class ArgumentReader
{
public:
    explicit ArgumentReader(std::span<const std::string_view> arguments)
        : m_arguments(arguments)
    {}
    bool atEnd() const { return m_next == m_arguments.size(); }
    std::string_view take() { return m_arguments[m_next++]; }
    std::string_view takeValueOf(std::string_view option)
    {
        if (atEnd())
            throw UsageError(std::string(option) + " needs a file name");
        return take();
    }

private:
    std::span<const std::string_view> m_arguments;
    std::size_t m_next = 0;
};

void readFilesAndOptions(ArgumentReader &reader, Invocation &invocation)
{
    bool optionsEnded = false;
    while (!reader.atEnd()) {
        const std::string_view argument = reader.take();
        if (optionsEnded || argument == kStandardStream || !argument.starts_with('-')) {
            invocation.files.emplace_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (isHelpOption(argument)) {
            invocation.helpWanted = true;
        } else if (argument == "--other") {
            invocation.others.emplace_back(reader.takeValueOf(argument));
        } else if (argument.starts_with("--other=")) {
            invocation.others.emplace_back(argument.substr(std::string_view("--other=").size()));
        } else if (argument == kMemoryLimitOption) {
            if (reader.atEnd())
                throw UsageError("--memory-limit needs a SIZE");
            invocation.memoryLimit = memoryLimitFrom(reader.take());
        } else if (argument.starts_with(std::string(kMemoryLimitOption) + '=')) {
            invocation.memoryLimit = memoryLimitFrom(argument.substr(kMemoryLimitOption.size() + 1));
        } else if (argument == "-o" || argument == "--output") {
            if (invocation.output)
                throw UsageError("only one output file can be given");
            invocation.output = std::string(reader.takeValueOf(argument));
        } else {
            throw UsageError("unknown option \"" + std::string(argument) + "\"");
        }
    }
}

void checkComplete(const OperationName &operation, const Invocation &invocation)
{
    if (operation.needs == Needs::OtherList && invocation.others.empty())
        throw UsageError(std::string(operation.name) + " needs at least one --other FILE");
    if (operation.needs != Needs::OtherList && !invocation.others.empty())
        throw UsageError(std::string(operation.name) + " takes no --other FILE");
    if (invocation.files.empty())
        throw UsageError("no input FILE given (use - for standard input)");
    if (invocation.output && invocation.output->empty())
        throw UsageError("the output file name is empty");

    const auto readsStandardInput = [](const std::vector<std::string> &names) {
        return std::count(names.begin(), names.end(), kStandardStream);
    };
    if (readsStandardInput(invocation.files) + readsStandardInput(invocation.others) > 1)
        throw UsageError("standard input (-) can be read only once");
}

} // namespace

Invocation parseCommandLine(std::span<const std::string_view> arguments)
{
    Invocation invocation;
    // Help is an option like the others: never TEXT and never after --, so that a search for
    // "-h" runs as asked instead of printing the help and succeeding without output.
    if (!arguments.empty() && isHelpOption(arguments.front())) {
        invocation.helpWanted = true;
        return invocation;
    }
    ArgumentReader reader(arguments);
    if (reader.atEnd())
        throw UsageError("no operation given");
    const OperationName &operation = findOperation(reader.take());
    invocation.operation = operation.operation;
    if (operation.needs == Needs::Text) {
        if (reader.atEnd())
            throw UsageError(std::string(operation.name) + " needs a TEXT");
        invocation.text = reader.take();
        if (isOption(invocation.text))
            throw UsageError(std::string(operation.name) + " needs a TEXT before " + invocation.text);
        if (invocation.text.empty())
            throw UsageError(std::string(operation.name) + " needs a TEXT that is not empty");
    }
    readFilesAndOptions(reader, invocation);
    if (!invocation.helpWanted)
        checkComplete(operation, invocation);
    return invocation;
}

std::string usageText()
{
    std::string usage = "Usage: quorvane-cli OPERATION [TEXT] [--other FILE]... [-o OUT] FILE...\n"
                        "Operations:";
    for (const OperationName &operation : kOperations)
        usage += ' ' + std::string(operation.name);
    return usage + "\nTry 'quorvane-cli --help' for more.\n";
}

std::string helpText()
{
    std::string help =
        "Usage: quorvane-cli OPERATION [TEXT] [--other FILE]... [-o OUT] FILE...\n"
        "\n"
        "Cleans or compares lists of lines, such as lists of e-mail addresses.\n"
        "The FILEs are read in order into one list; - reads standard input.\n"
        "Lines are compared byte for byte: case, spaces and every other byte count.\n"
        "TEXT is the argument right after remove-with or remove-without.\n"
        "\n"
        "Operations:\n";
    for (const OperationName &operation : kOperations) {
        std::string name(operation.name);
        if (operation.needs == Needs::Text)
            name += " TEXT";
        help += "  " + name + std::string(name.size() < 22 ? 22 - name.size() : 1, ' ')
            + std::string(operation.description) + '\n';
    }
    help +=
        "\n"
        "Options:\n"
        "  --other FILE          read FILE into the second list (subtract, keep-matches);\n"
        "                        repeat it to read several files in order\n"
        "  -o, --output OUT      write the result to OUT, replacing it as a whole only\n"
        "                        once everything succeeded; standard output when\n"
        "                        OUT is - or the option is not given\n"
        "  --memory-limit SIZE   use about SIZE bytes of memory at most (K, M or G\n"
        "                        suffix); lists that need more are worked through\n"
        "                        in parts on disk, in $TMPDIR; default: half of the\n"
        "                        memory available when the run starts\n"
        "  -h, --help            show this help\n"
        "  --                    every later argument is a FILE\n"
        "\n"
        "Files: a carriage return, a carriage return and line feed, or a line feed alone\n"
        "ends a line; the last line counts with or without a line end. The result is\n"
        "written with a carriage return and line feed after every line.\n"
        "\n"
        "Standard error gets one summary line: N items in, M items out.\n"
        "\n"
        "Exit status: 0 on success; 1 when a file cannot be read or written (OUT is then\n"
        "left as it was); 2 when the command line is wrong.\n";
    return help;
}

} // namespace Quorvane
