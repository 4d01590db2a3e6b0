#include "CommandLine.h"

#include "NameSuggestion.h"
#include "OptionTable.h"

#include <algorithm>
#include <vector>

namespace Quorvane {

namespace {

std::optional<Invocation::Request> requestOf(std::string_view argument)
{
    if (argument == "--help" || argument == "-h")
        return Invocation::Request::Help;
    if (argument == "--version")
        return Invocation::Request::Version;
    return {};
}

std::string didYouMean(std::optional<std::string_view> suggestion)
{
    return suggestion ? "; did you mean \"" + std::string(*suggestion) + "\"?" : std::string();
}

[[noreturn]] void throwUnknownOperation(std::string_view name)
{
    std::vector<std::string_view> known;
    for (const OperationInfo &operation : batchOperations())
        known.push_back(operation.name());
    throw UsageError("unknown operation \"" + std::string(name) + "\"" + didYouMean(closestName(name, known)));
}

// The arguments after the operation's name, read as getopt_long reads them with permutation:
// options wherever they stand until --, a value attached (-oOUT, --output=OUT) or in the next
// argument, short options without a value bundled (-qo OUT).
class ArgumentReader
{
public:
    ArgumentReader(std::span<const std::string_view> arguments, const OperationInfo &operation, Invocation &invocation)
        : m_arguments(arguments)
        , m_operation(operation)
        , m_invocation(invocation)
    {}

    // The arguments that are not options, in order.
    std::vector<std::string_view> read()
    {
        std::vector<std::string_view> operands;
        bool optionsEnded = false;
        while (!atEnd()) {
            const std::string_view argument = take();
            if (optionsEnded || argument == kStandardStream || !argument.starts_with('-'))
                operands.push_back(argument);
            else if (argument == "--")
                optionsEnded = true;
            else if (argument.starts_with("--"))
                readLongOption(argument);
            else
                readShortOptions(argument);
        }
        return operands;
    }

private:
    bool atEnd() const { return m_next == m_arguments.size(); }
    std::string_view take() { return m_arguments[m_next++]; }

    void readLongOption(std::string_view argument)
    {
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const CliOption *option = findLongOption(name);
        if (!option)
            throwUnknownOption(name);
        if (equals == std::string_view::npos)
            apply(*option, option->takesValue() ? takeValueOf(*option) : std::string_view());
        else if (option->takesValue())
            apply(*option, argument.substr(equals + 1));
        else
            throw UsageError(std::string(name) + " takes no value");
    }

    void readShortOptions(std::string_view argument)
    {
        for (std::size_t index = 1; index < argument.size(); ++index) {
            const CliOption *option = findShortOption(argument[index]);
            if (!option)
                throwUnknownOption(std::string{'-', argument[index]});
            if (!option->takesValue()) {
                apply(*option, {});
            } else {
                const std::string_view attached = argument.substr(index + 1);
                apply(*option, attached.empty() ? takeValueOf(*option) : attached);
                return;
            }
        }
    }

    std::string_view takeValueOf(const CliOption &option)
    {
        if (atEnd())
            throw UsageError(std::string(option.name) + " needs " + std::string(option.valueName));
        return take();
    }

    void apply(const CliOption &option, std::string_view value)
    {
        if (!operationTakes(m_operation, option))
            throw UsageError(std::string(m_operation.name()) + " takes no " + std::string(option.name));
        option.set(m_invocation, value);
    }

    // A suggestion only among the options this operation takes: another would be refused too.
    [[noreturn]] void throwUnknownOption(std::string_view name) const
    {
        std::vector<std::string_view> known;
        for (const CliOption &option : cliOptions())
            if (operationTakes(m_operation, option))
                known.push_back(option.name);
        throw UsageError("unknown option \"" + std::string(name) + "\""
                         + (name.starts_with("--") ? didYouMean(closestName(name, known)) : std::string()));
    }

    std::span<const std::string_view> m_arguments;
    const OperationInfo &m_operation;
    Invocation &m_invocation;
    std::size_t m_next = 0;
};

// Without -e, the first argument that is not an option is the TEXT, as grep takes its pattern.
void takeText(const OperationInfo &operation, std::vector<std::string_view> &operands, Invocation &invocation)
{
    if (!invocation.text) {
        if (operands.empty())
            throw UsageError(std::string(operation.name()) + " needs a TEXT");
        invocation.text = std::string(operands.front());
        operands.erase(operands.begin());
    }
    if (invocation.text->empty())
        throw UsageError(std::string(operation.name()) + " needs a TEXT that is not empty");
}

void checkComplete(const OperationInfo &operation, const Invocation &invocation)
{
    if ((operation.takes & kNeedsOther) && invocation.others.empty())
        throw UsageError(std::string(operation.name()) + " needs at least one --other FILE");
    // In a table, normalize unquotes the key field even without a mode.
    if ((operation.takes & kNeedsMode) && invocation.mode.isExact() && !invocation.readsTables())
        throw UsageError(std::string(operation.name()) + " needs --trim, --ignore-case or --email");
    if (invocation.mode.asciiDomains && !invocation.mode.readsAddresses())
        throw UsageError("--ascii needs --email");
    const bool tableOptions = invocation.key || invocation.otherKey || invocation.delimiter || invocation.noHeader;
    if (tableOptions && !invocation.readsTables())
        throw UsageError("--key, --other-key, --delimiter and --no-header need --csv or --tsv");

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

std::vector<Invocation::NamedOutput> Invocation::namedOutputs() const
{
    std::vector<NamedOutput> outputs;
    const auto add = [&](std::string_view option, const std::optional<std::string> &name) {
        if (name)
            outputs.push_back({option, *name});
    };
    add("--removed", removed);
    if (operation == Operation::Compare) {
        add("--only-list", onlyInList);
        add("--both", inBoth);
        add("--only-other", onlyInOther);
    } else {
        outputs.push_back({"-o", output.value_or(std::string(kStandardStream))});
    }
    return outputs;
}

Invocation parseCommandLine(std::span<const std::string_view> arguments)
{
    Invocation invocation;
    if (!arguments.empty() && requestOf(arguments.front())) {
        invocation.request = *requestOf(arguments.front());
        return invocation;
    }
    if (arguments.empty())
        throw UsageError("no operation given");
    const OperationInfo *operation = findOperation(arguments.front());
    if (!operation)
        throwUnknownOperation(arguments.front());
    invocation.operation = operation->operation;
    std::vector<std::string_view> operands = ArgumentReader(arguments.subspan(1), *operation, invocation).read();
    if (invocation.request != Invocation::Request::Run)
        return invocation;
    if (operation->takes & kTakesText)
        takeText(*operation, operands, invocation);
    invocation.files.assign(operands.begin(), operands.end());
    // With no FILE the list comes from standard input, as with sort, uniq and grep.
    if (invocation.files.empty())
        invocation.files.emplace_back(kStandardStream);
    checkComplete(*operation, invocation);
    return invocation;
}

} // namespace Quorvane
