#include "Completions.h"

#include "CompletionWords.h"

namespace Quorvane::Completion {

namespace {

constexpr std::string_view kHelpers = R"(# Bash completion for quorvane-cli: the operation first, then the options that operation takes,
# and file names everywhere else. Written at build time from quorvane-cli's tables.

# One reply per line compgen prints for the word under the cursor: a name with spaces stays one
# word, and nothing in a name is taken for a pattern.
_quorvane_cli_reply()
{
    mapfile -t COMPREPLY < <(compgen "$@" -- "$cur")
}

_quorvane_cli_files()
{
    compopt -o filenames
    _quorvane_cli_reply -f
}
)";

std::string joined(const std::vector<std::string> &words, std::string_view separator)
{
    std::string line;
    for (const std::string &word : words)
        line += (line.empty() ? "" : std::string(separator)) + word;
    return line;
}

// -o and --output for an option with both names.
std::vector<std::string> switchesOf(const std::vector<const CliOption *> &options)
{
    std::vector<std::string> switches;
    for (const CliOption *option : options) {
        if (option->shortName)
            switches.push_back(std::string{'-', option->shortName});
        switches.emplace_back(option->name);
    }
    return switches;
}

std::string shortValueLetters()
{
    std::string letters;
    for (const CliOption *option : valueOptions())
        if (option->shortName)
            letters += option->shortName;
    return letters;
}

// Whether the word is an option whose value is the next word: a long one, or a bundle of short
// options that ends in one (-qo).
std::string wantsValueFunction()
{
    std::vector<std::string> longNames;
    for (const CliOption *option : valueOptions())
        longNames.emplace_back(option->name);
    const std::string letters = shortValueLetters();
    std::string function = "\n_quorvane_cli_wants_value()\n{\n    case $1 in\n        " + joined(longNames, " | ")
        + ") return 0 ;;\n        --*) return 1 ;;\n";
    if (!letters.empty())
        function += "        -*) local before=${1%%[" + letters
            + "]*} && [[ $before != \"$1\" && ${#before} -eq $((${#1} - 1)) ]] ;;\n";
    return function + "        *) return 1 ;;\n    esac\n}\n";
}

// True for a word that gives the TEXT by its option.
std::string givesTextTest()
{
    const CliOption &text = textOption();
    std::string test = "$word == " + std::string(text.name) + '*';
    if (text.shortName)
        test += " || $word == -" + std::string(1, text.shortName) + '*';
    return test;
}

// True when prev is an option whose value is no file name, such as a SIZE.
std::string valueIsNoFileTest()
{
    std::vector<std::string> tests;
    for (const CliOption *option : valueOptions()) {
        if (valueIsFileName(*option))
            continue;
        tests.push_back("$prev == " + std::string(option->name));
        if (option->shortName)
            tests.push_back("($prev != --* && $prev == *" + std::string(1, option->shortName) + ')');
    }
    return tests.empty() ? "" : "[[ " + joined(tests, " || ") + " ]] || ";
}

std::string operationCases()
{
    std::string cases;
    for (const OperationInfo &operation : batchOperations()) {
        cases += "        " + std::string(operation.name()) + ")\n";
        if (operation.takes & kTakesText)
            cases += "            needsText=1\n";
        cases += "            options='" + joined(switchesOf(optionsOf(operation)), " ") + " --'\n            ;;\n";
    }
    return cases;
}

std::string firstWords()
{
    std::vector<std::string> words;
    for (const OperationInfo &operation : batchOperations())
        words.emplace_back(operation.name());
    for (const CliOption *option : standAloneOptions())
        words.emplace_back(option->name);
    return joined(words, " ");
}

std::string completionFunction()
{
    return R"(
_quorvane_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local operation=${COMP_WORDS[1]}
    local index word ended= text=

    if ((COMP_CWORD == 1)); then
        _quorvane_cli_reply -W ')" + firstWords() + R"('
        return
    fi
    # What the words before the cursor said: whether -- ended the options and whether the TEXT
    # was given, by its option or as the first word that is no option and no option's value.
    for ((index = 2; index < COMP_CWORD; index++)); do
        word=${COMP_WORDS[index]}
        if [[ -z $ended ]] && _quorvane_cli_wants_value "${COMP_WORDS[index - 1]}"; then
            continue
        elif [[ -z $ended && $word == -- ]]; then
            ended=1
        elif [[ -n $ended || $word == - || $word != -* || )" + givesTextTest() + R"( ]]; then
            text=1
        fi
    done

    local options needsText=
    case $operation in
)" + operationCases() + R"(        *) return ;;
    esac

    if [[ -z $ended ]] && _quorvane_cli_wants_value "$prev"; then
        # A value that is no file name, such as a SIZE or a TEXT, is not completed.
        )" + valueIsNoFileTest() + R"(_quorvane_cli_files
        return
    fi
    if [[ -z $ended && $cur == -* ]]; then
        _quorvane_cli_reply -W "$options"
    elif [[ -z $needsText || -n $text ]]; then
        _quorvane_cli_files
    fi
}
complete -F _quorvane_cli quorvane-cli
)";
}

} // namespace

std::string bashCompletion()
{
    return std::string(kHelpers) + wantsValueFunction() + completionFunction();
}

} // namespace Quorvane::Completion
