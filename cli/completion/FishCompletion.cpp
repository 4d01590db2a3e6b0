#include "Completions.h"

#include "CompletionWords.h"

namespace Quorvane::Completion {

namespace {

constexpr std::string_view kCommand = "complete -c quorvane-cli";

// text in single quotes, for fish.
std::string fishQuoted(std::string_view text)
{
    std::string quoted = "'";
    for (const char character : text) {
        if (character == '\'' || character == '\\')
            quoted += '\\';
        quoted += character;
    }
    return quoted + '\'';
}

// The names of option, then what its value is: a file (-r -F), or a word that is not completed.
std::string optionArguments(const CliOption &option)
{
    std::string arguments = " -l " + std::string(bareName(option));
    if (option.shortName)
        arguments += " -s " + std::string(1, option.shortName);
    if (option.takesValue())
        arguments += valueIsFileName(option) ? " -r -F" : " -x";
    return arguments + " -d " + fishQuoted(summaryOf(option));
}

std::string operationLines(const OperationInfo &operation)
{
    const std::string condition = " -n " + fishQuoted("__fish_seen_subcommand_from " + std::string(operation.name()));
    std::string lines = std::string(kCommand) + condition + " -F\n";
    for (const CliOption *option : optionsOf(operation))
        lines += std::string(kCommand) + condition + optionArguments(*option) + '\n';
    return lines;
}

} // namespace

std::string fishCompletion()
{
    std::string lines = "# Fish completion for quorvane-cli: the operation first, then the options that operation\n"
                        "# takes, and file names everywhere else. Written at build time from quorvane-cli's tables.\n"
                        + std::string(kCommand) + " -f\n";
    for (const OperationInfo &operation : batchOperations())
        lines += std::string(kCommand) + " -n __fish_use_subcommand -a " + std::string(operation.name()) + " -d "
            + fishQuoted(operation.description()) + '\n';
    for (const CliOption *option : standAloneOptions())
        lines += std::string(kCommand) + " -n __fish_use_subcommand -l " + std::string(bareName(*option)) + " -d "
            + fishQuoted(summaryOf(*option)) + '\n';
    for (const OperationInfo &operation : batchOperations())
        lines += operationLines(operation);
    return lines;
}

} // namespace Quorvane::Completion
