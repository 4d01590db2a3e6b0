#include "CompletionWords.h"

#include "cli/CommandLine.h"

#include <algorithm>

namespace Quorvane::Completion {

namespace {

std::vector<const CliOption *> optionsWhere(bool (*wanted)(const CliOption &option))
{
    std::vector<const CliOption *> options;
    for (const CliOption &option : cliOptions())
        if (wanted(option))
            options.push_back(&option);
    return options;
}

bool parserTakesAlone(const CliOption &option)
{
    const std::string_view arguments[] = {option.name};
    try {
        return parseCommandLine(arguments).request != Invocation::Request::Run;
    } catch (const UsageError &) {
        return false;
    }
}

} // namespace

std::vector<const CliOption *> optionsOf(const OperationInfo &operation)
{
    std::vector<const CliOption *> options;
    for (const CliOption &option : cliOptions())
        if (operationTakes(operation, option))
            options.push_back(&option);
    return options;
}

std::vector<const CliOption *> standAloneOptions()
{
    return optionsWhere(parserTakesAlone);
}

std::vector<const CliOption *> valueOptions()
{
    return optionsWhere([](const CliOption &option) { return option.takesValue(); });
}

bool valueIsFileName(const CliOption &option)
{
    return option.valueName == "FILE" || option.valueName == "OUT";
}

const CliOption &textOption()
{
    return *std::find_if(cliOptions().begin(), cliOptions().end(),
                          [](const CliOption &option) { return option.takenBy == kTakesText; });
}

std::string summaryOf(const CliOption &option)
{
    std::string summary(option.help.substr(0, option.help.find(';')));
    std::replace(summary.begin(), summary.end(), '\n', ' ');
    return summary;
}

std::string_view bareName(const CliOption &option)
{
    return option.name.substr(2);
}

} // namespace Quorvane::Completion
