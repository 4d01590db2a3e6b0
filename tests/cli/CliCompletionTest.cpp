// The completions, written from the tables at build time, offer what the parser takes: bash's
// is driven operation by operation; zsh's and fish's must at least name everything.
#include "cli/CommandLine.h"
#include "cli/OptionTable.h"
#include "cli/completion/CompletionWords.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace Quorvane {
namespace {

const std::string kCompletionFolder = QUORVANE_COMPLETION_FOLDER;

// What the completion function offers for words, the last one being the word under the cursor,
// in folder.
std::set<std::string> completionsOf(const std::vector<std::string> &words, const std::string &folder = ".")
{
    std::string array;
    for (const std::string &word : words)
        array += " '" + word + "'";
    const std::string script = "cd '" + folder + "' && source '" + kCompletionFolder + "/quorvane-cli'; compopt() { :; }; "
                               "COMP_WORDS=(quorvane-cli"
        + array + "); COMP_CWORD=" + std::to_string(words.size())
        + "; _quorvane_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
    FILE *pipe = popen(("bash 2>&1 <<'EOF'\n" + script + "\nEOF\n").c_str(), "r");
    std::string printed;
    char buffer[512];
    while (const std::size_t got = fread(buffer, 1, sizeof buffer, pipe))
        printed.append(buffer, got);
    pclose(pipe);
    std::set<std::string> offered;
    std::istringstream lines(printed);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            offered.insert(line);
    return offered;
}

bool parserTakes(const OperationInfo &operation, const std::string &option)
{
    std::vector<std::string> arguments{std::string(operation.name())};
    if (operation.takes & kTakesText)
        arguments.emplace_back("x");
    arguments.push_back(option);
    if (option == "--memory-limit")
        arguments.emplace_back("1G");
    else if (option == "-o" || option == "--output" || option == "--other" || option == "--removed"
             || option == "-e" || option == "--text")
        arguments.emplace_back("value");
    arguments.emplace_back("file");
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    try {
        parseCommandLine(views);
        return true;
    } catch (const UsageError &error) {
        const std::string message = error.what();
        return message.find(" takes no ") == std::string::npos && message.find("unknown option") == std::string::npos;
    }
}

TEST(CliCompletion, OffersTheOperationsFirst)
{
    const std::set<std::string> offered = completionsOf({""});
    for (const OperationInfo &operation : batchOperations())
        EXPECT_TRUE(offered.count(std::string(operation.name()))) << operation.name();
    EXPECT_TRUE(offered.count("--version"));
    EXPECT_EQ(completionsOf({"sub"}), std::set<std::string>{"subtract"});
}

TEST(CliCompletion, OffersExactlyTheOptionsTheParserTakes)
{
    std::vector<std::string> everyOption;
    for (const CliOption &option : cliOptions()) {
        everyOption.emplace_back(option.name);
        if (option.shortName)
            everyOption.push_back(std::string{'-', option.shortName});
    }
    for (const OperationInfo &operation : batchOperations()) {
        std::vector<std::string> words{std::string(operation.name())};
        if (operation.takes & kTakesText)
            words.emplace_back("x");
        words.emplace_back("-");
        const std::set<std::string> offered = completionsOf(words);
        for (const std::string &option : everyOption)
            EXPECT_EQ(offered.count(option) == 1, parserTakes(operation, option)) << operation.name() << ' ' << option;
    }
}

// Options may stand before the TEXT, so that only a word that is no option is taken for it.
TEST(CliCompletion, OffersNothingForTheTextAndFilesAfterFileOptions)
{
    EXPECT_TRUE(completionsOf({"remove-with", ""}).empty());
    EXPECT_TRUE(completionsOf({"remove-with", "--ignore-case", "-o", "out", ""}).empty());
    EXPECT_TRUE(completionsOf({"remove-with", "-qe", ""}).empty());
    EXPECT_EQ(completionsOf({"remove-with", "--ign"}), std::set<std::string>{"--ignore-case"});
    EXPECT_FALSE(completionsOf({"remove-with", "-e", "x", "/"}).empty());
    EXPECT_FALSE(completionsOf({"remove-with", "--", "-x", "/"}).empty());
    const std::set<std::string> afterOther = completionsOf({"subtract", "--other", "/"});
    EXPECT_FALSE(afterOther.empty());
    EXPECT_TRUE(std::all_of(afterOther.begin(), afterOther.end(),
                            [](const std::string &name) { return name.starts_with('/'); }));
}

// Wherever a file can stand, a name is offered as one word, as it is: not cut at its spaces, and
// not taken for a pattern that other names match.
TEST(CliCompletion, FileNamesWithSpacesOrPatternCharactersStayWhole)
{
    Testing::TemporaryFolder folder;
    for (const char *name : {"my list.txt", "a*b.txt", "axb.txt"})
        Testing::writeBytes(folder.file(name), "a\n");
    const std::set<std::string> everyName = {"my list.txt", "a*b.txt", "axb.txt"};
    const std::vector<std::pair<std::vector<std::string>, std::set<std::string>>> cases = {
        {{"dedupe-first", ""}, everyName},
        {{"subtract", "--other", ""}, everyName},
        {{"dedupe-first", "-o", ""}, everyName},
        {{"dedupe-first", "-qo", ""}, everyName},
        {{"remove-with", "-q", "x", ""}, everyName},
        {{"dedupe-first", "--", "-q", ""}, everyName},
        {{"dedupe-first", "a*"}, {"a*b.txt"}},
        {{"dedupe-first", "my"}, {"my list.txt"}},
    };
    for (const auto &[words, offered] : cases)
        EXPECT_EQ(completionsOf(words, folder.path().string()), offered)
            << words[words.size() - 2] << ' ' << words.back();
}

// The line of text that holds what, or an empty one.
std::string lineWith(const std::string &text, const std::string &what)
{
    const std::size_t at = text.find(what);
    if (at == std::string::npos)
        return {};
    const std::size_t start = text.rfind('\n', at) + 1;
    return text.substr(start, text.find('\n', at) - start);
}

// Every operation and option of the tables, an option's value included, appears in each script
// as that shell writes it.
TEST(CliCompletion, ZshAndFishNameEveryOperationAndOption)
{
    for (const std::string script : {"_quorvane-cli", "quorvane-cli.fish"}) {
        std::ifstream file(kCompletionFolder + '/' + script);
        const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        const bool fish = script.ends_with(".fish");
        for (const OperationInfo &operation : batchOperations())
            EXPECT_NE(text.find(std::string(operation.name())), std::string::npos) << script << ' ' << operation.name();
        for (const CliOption &option : cliOptions()) {
            const std::string longName(option.name);
            const std::string line = fish ? lineWith(text, "-l " + longName.substr(2) + ' ')
                                          : lineWith(text, '*' + longName + (option.takesValue() ? "=[" : "["));
            const std::string value = fish ? (Completion::valueIsFileName(option) ? " -r -F " : " -x ")
                                           : ':' + std::string(option.valueName) + ':';
            EXPECT_FALSE(line.empty()) << script << ' ' << longName;
            EXPECT_EQ(line.find(value) != std::string::npos, option.takesValue()) << script << ' ' << line;
            if (option.shortName) {
                EXPECT_NE(text.find((fish ? "-s " : "*-") + std::string(1, option.shortName)), std::string::npos)
                    << script << ' ' << option.shortName;
            }
        }
    }
}

} // namespace
} // namespace Quorvane
