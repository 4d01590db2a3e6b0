#pragma once

#include <span>
#include <string_view>

namespace Quorvane {

struct Invocation;
struct OperationInfo;

// One option of quorvane-cli: what the parser takes, what --help says of it and what the
// completions offer all come from this one row.
struct CliOption
{
    using Setter = void (*)(Invocation &invocation, std::string_view value);
    enum class Group { Mode, Table, Other };

    std::string_view name;      // --name
    char shortName;             // 'o' for -o; 0 for none
    std::string_view valueName; // empty for an option without a value
    unsigned takenBy;           // the Takes bits an operation needs one of for it; 0 for every operation
    Group group;
    std::string_view help;      // one line per line of the help, after the option's column
    Setter set;

    bool takesValue() const { return !valueName.empty(); }
};

// In the order of the help.
std::span<const CliOption> cliOptions();

// Null when there is no such option.
const CliOption *findLongOption(std::string_view name);
const CliOption *findShortOption(char shortName);

// Whether operation takes option: the parser refuses the others, the completions never offer them.
bool operationTakes(const OperationInfo &operation, const CliOption &option);

} // namespace Quorvane
