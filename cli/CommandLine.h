#pragma once

#include "OperationTable.h"

#include "engine/Matching.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Quorvane {

enum class LineEndChoice {
    AsFirstInput, // the style of the first line end in the first input
    LineFeed,
    CarriageReturnLineFeed,
};

// What one run of the batch tool was asked to do.
struct Invocation
{
    enum class Request { Run, Help, Version };

    Request request = Request::Run;
    Operation operation = Operation::DedupeFirst;
    std::optional<std::string> text;    // remove-with, remove-without
    std::vector<std::string> files;     // into the first list, in order; "-" is standard input
    std::vector<std::string> others;    // into the second list, in order
    std::optional<std::string> output;  // standard output when absent or "-"
    std::optional<std::string> removed; // where the removed items go; "-" is standard output
    std::optional<std::string> onlyInList;  // compare: where each part goes; "-" is standard output
    std::optional<std::string> inBoth;
    std::optional<std::string> onlyInOther;
    MatchMode mode;
    // Rows of tables instead of lines (--csv, --tsv and the options that go with them).
    bool csv = false;
    bool tsv = false;
    std::optional<char> delimiter;
    bool noHeader = false;
    std::optional<std::string> key;      // of the FILEs: a header's name or a column number
    std::optional<std::string> otherKey; // of the --other FILEs
    LineEndChoice lineEnd = LineEndChoice::AsFirstInput;
    std::optional<std::uint64_t> memoryLimit; // bytes; a share of the available memory when absent
    bool quiet = false;
    bool json = false;

    std::string_view searchText() const { return text ? std::string_view(*text) : std::string_view(); }
    bool readsTables() const { return csv || tsv; }

    // A list the run writes, by the option that names it: "-o", "--removed", "--both", ...
    struct NamedOutput
    {
        std::string_view option;
        std::string name; // "-" for standard output
    };
    // Every list the run writes, in the order they are put in place.
    std::vector<NamedOutput> namedOutputs() const;
};

// A command line that does not say a complete, valid request.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kStandardStream = "-";

// The arguments after the program name. Throws UsageError.
Invocation parseCommandLine(std::span<const std::string_view> arguments);

} // namespace Quorvane
