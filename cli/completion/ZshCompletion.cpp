#include "Completions.h"

#include "CompletionWords.h"

namespace Quorvane::Completion {

namespace {

// text in single quotes, for the shell.
std::string zshQuoted(std::string_view text)
{
    std::string quoted = "'";
    for (const char character : text)
        quoted += character == '\'' ? std::string("'\\''") : std::string(1, character);
    return quoted + '\'';
}

// text inside an _arguments explanation, whose brackets end at the first unescaped ].
std::string explanation(std::string_view text)
{
    std::string escaped;
    for (const char character : text) {
        if (character == '[' || character == ']' || character == '\\')
            escaped += '\\';
        escaped += character;
    }
    return '[' + escaped + ']';
}

// The value of an option: a file name, or a word such as a SIZE that is not completed.
std::string valueSpec(const CliOption &option)
{
    if (!option.takesValue())
        return "";
    return ':' + std::string(option.valueName) + ':' + (valueIsFileName(option) ? "_files" : " ");
}

// Every option may be repeated, as the parser decides which repeats are errors; the one that
// gives the TEXT leaves the first argument a FILE.
std::string optionSpecs(const CliOption &option)
{
    const std::string exclusions = option.takenBy == kTakesText ? "(1)" : "";
    const std::string help = explanation(summaryOf(option)) + valueSpec(option);
    std::string specs = zshQuoted(exclusions + '*' + std::string(option.name) + (option.takesValue() ? "=" : "") + help);
    if (option.shortName)
        specs += ' ' + zshQuoted(exclusions + "*-" + std::string(1, option.shortName) + (option.takesValue() ? "+" : "") + help);
    return specs;
}

std::string operationCase(const OperationInfo &operation)
{
    std::string specs;
    for (const CliOption *option : optionsOf(operation))
        specs += "\n                " + optionSpecs(*option);
    if (operation.takes & kTakesText)
        specs += "\n                '1:TEXT: '";
    specs += "\n                '*:FILE:_files'";
    return "        (" + std::string(operation.name()) + ")\n            specs=(" + specs + "\n            )\n            ;;\n";
}

std::string operationList()
{
    std::string list;
    for (const OperationInfo &operation : batchOperations())
        list += "\n        " + zshQuoted(std::string(operation.name()) + ':' + std::string(operation.description()));
    return list;
}

std::string standAloneList()
{
    std::string list;
    for (const CliOption *option : standAloneOptions())
        list += ' ' + std::string(option->name);
    return list;
}

} // namespace

std::string zshCompletion()
{
    std::string cases;
    for (const OperationInfo &operation : batchOperations())
        cases += operationCase(operation);
    return R"(#compdef quorvane-cli
# Zsh completion for quorvane-cli: the operation first, then the options that operation takes,
# and file names everywhere else. Written at build time from quorvane-cli's tables.

_quorvane-cli()
{
    local -a operations specs
    operations=()" + operationList() + R"(
    )
    if ((CURRENT == 2)); then
        _describe -t operations operation operations
        compadd --)" + standAloneList() + R"(
        return
    fi
    case $words[2] in
)" + cases + R"(        (*)
            return 1
            ;;
    esac
    # The options follow the operation's name, as a command's follow its name.
    shift words
    ((CURRENT--))
    _arguments -s -S : $specs
}

_quorvane-cli "$@"
)";
}

} // namespace Quorvane::Completion
