#include "CommandLine.h"

#include "MemoryLimit.h"

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

using Setter = void (*)(Invocation &invocation, std::string_view value);

struct Option
{
    std::string_view name;
    std::string_view shortName;
    std::string_view valueName; // empty for an option without a value
    unsigned takenBy;           // the Takes bit an operation needs for it; 0 for every operation
    Setter set;
};

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

// Help wins over the version when both are asked for.
void setRequest(Invocation &invocation, Invocation::Request request)
{
    if (invocation.request != Invocation::Request::Help)
        invocation.request = request;
}

std::optional<Invocation::Request> requestOf(std::string_view argument)
{
    if (argument == "--help" || argument == "-h")
        return Invocation::Request::Help;
    if (argument == "--version")
        return Invocation::Request::Version;
    return {};
}

constexpr std::array kOptions = {
    Option{"--other", "", "FILE", kTakesOther,
           [](Invocation &invocation, std::string_view value) { invocation.others.emplace_back(value); }},
    Option{"--output", "-o", "OUT", kWritesList,
           [](Invocation &invocation, std::string_view value) { setOnce(invocation.output, "-o", value); }},
    Option{"--removed", "", "FILE", kRemovesItems,
           [](Invocation &invocation, std::string_view value) { setOnce(invocation.removed, "--removed", value); }},
    Option{"--ignore-case", "", "", kTakesIgnoreCase,
           [](Invocation &invocation, std::string_view) { invocation.mode.ignoreCase = true; }},
    Option{"--trim", "", "", kTakesTrimAndEmail,
           [](Invocation &invocation, std::string_view) { invocation.mode.trim = true; }},
    Option{"--email", "", "", kTakesTrimAndEmail,
           [](Invocation &invocation, std::string_view) { invocation.mode.email = true; }},
    Option{"--lf", "", "", kWritesList,
           [](Invocation &invocation, std::string_view) { setLineEnd(invocation, LineEndChoice::LineFeed); }},
    Option{"--crlf", "", "", kWritesList,
           [](Invocation &invocation, std::string_view) {
               setLineEnd(invocation, LineEndChoice::CarriageReturnLineFeed);
           }},
    Option{"--json", "", "", kTakesJson, [](Invocation &invocation, std::string_view) { invocation.json = true; }},
    Option{"--memory-limit", "", "SIZE", 0,
           [](Invocation &invocation, std::string_view value) { invocation.memoryLimit = memoryLimitFrom(value); }},
    Option{"--quiet", "-q", "", 0, [](Invocation &invocation, std::string_view) { invocation.quiet = true; }},
    Option{"--help", "-h", "", 0,
           [](Invocation &invocation, std::string_view) { setRequest(invocation, Invocation::Request::Help); }},
    Option{"--version", "", "", 0,
           [](Invocation &invocation, std::string_view) { setRequest(invocation, Invocation::Request::Version); }},
};

struct FoundOption
{
    const Option *option = nullptr;
    std::optional<std::string_view> attachedValue; // from --name=value
};

FoundOption findOption(std::string_view argument)
{
    for (const Option &option : kOptions) {
        if (argument == option.name || (!option.shortName.empty() && argument == option.shortName))
            return {&option, {}};
        if (!option.valueName.empty() && argument.starts_with(option.name)
            && argument.substr(option.name.size()).starts_with('='))
            return {&option, argument.substr(option.name.size() + 1)};
    }
    return {};
}

// An option that takes a value, right after remove-with or remove-without, means TEXT was
// forgotten; an option without a value there is the TEXT searched for (a search for "-h").
bool looksLikeForgottenText(std::string_view argument)
{
    const FoundOption found = findOption(argument);
    return argument == "--" || (found.option && !found.option->valueName.empty());
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
    std::string_view takeValueOf(const Option &option)
    {
        if (atEnd())
            throw UsageError(std::string(option.name) + " needs " + std::string(option.valueName));
        return take();
    }

private:
    std::span<const std::string_view> m_arguments;
    std::size_t m_next = 0;
};

void readFilesAndOptions(ArgumentReader &reader, const OperationInfo &operation, Invocation &invocation)
{
    bool optionsEnded = false;
    while (!reader.atEnd()) {
        const std::string_view argument = reader.take();
        if (optionsEnded || argument == kStandardStream || !argument.starts_with('-')) {
            invocation.files.emplace_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const FoundOption found = findOption(argument);
        if (!found.option)
            throw UsageError("unknown option \"" + std::string(argument) + "\"");
        const Option &option = *found.option;
        if (option.takenBy != 0 && !(operation.takes & option.takenBy))
            throw UsageError(std::string(operation.name()) + " takes no " + std::string(option.name));
        const std::string_view value = option.valueName.empty() ? std::string_view()
            : found.attachedValue                               ? *found.attachedValue
                                                                : reader.takeValueOf(option);
        option.set(invocation, value);
    }
}

void checkComplete(const OperationInfo &operation, const Invocation &invocation)
{
    if ((operation.takes & kNeedsOther) && invocation.others.empty())
        throw UsageError(std::string(operation.name()) + " needs at least one --other FILE");
    if ((operation.takes & kNeedsMode) && invocation.mode.isExact())
        throw UsageError(std::string(operation.name()) + " needs --trim, --ignore-case or --email");
    if (invocation.files.empty())
        throw UsageError("no input FILE given (use - for standard input)");

    const auto readsStandardInput = [](const std::vector<std::string> &names) {
        return std::count(names.begin(), names.end(), kStandardStream);
    };
    if (readsStandardInput(invocation.files) + readsStandardInput(invocation.others) > 1)
        throw UsageError("standard input (-) can be read only once");
    if (invocation.removed && *invocation.removed == kStandardStream
        && (!invocation.output || *invocation.output == kStandardStream))
        throw UsageError("--removed - needs -o OUT: both lists would go to standard output");
}

} // namespace

Invocation parseCommandLine(std::span<const std::string_view> arguments)
{
    Invocation invocation;
    // Help and version are options like the others: never TEXT and never after --, so that a
    // search for "-h" runs as asked instead of printing the help and succeeding without output.
    if (!arguments.empty() && requestOf(arguments.front())) {
        invocation.request = *requestOf(arguments.front());
        return invocation;
    }
    ArgumentReader reader(arguments);
    if (reader.atEnd())
        throw UsageError("no operation given");
    const std::string_view name = reader.take();
    const OperationInfo *operation = findOperation(name);
    if (!operation)
        throw UsageError("unknown operation \"" + std::string(name) + "\"");
    invocation.operation = operation->operation;
    if (operation->takes & kTakesText) {
        if (reader.atEnd())
            throw UsageError(std::string(name) + " needs a TEXT");
        invocation.text = reader.take();
        if (looksLikeForgottenText(invocation.text))
            throw UsageError(std::string(name) + " needs a TEXT before " + invocation.text);
        if (invocation.text.empty())
            throw UsageError(std::string(name) + " needs a TEXT that is not empty");
    }
    readFilesAndOptions(reader, *operation, invocation);
    if (invocation.request == Invocation::Request::Run)
        checkComplete(*operation, invocation);
    return invocation;
}

} // namespace Quorvane
