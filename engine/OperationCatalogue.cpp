#include "OperationCatalogue.h"

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

const std::array kCatalogue = {
    OperationRow{.operation = Operation::DedupeFirst,
                 .commandName = "dedupe-first",
                 .description = "keep the first copy of every repeated line",
                 .comparison = Comparison::KeepsFirstCopy,
                 .change = [](const OperationCall &c) { RemoveDupesExceptFirst(c.list, c.host, c.mode); },
                 .status = {"Removed {removed} from {list}, first copies kept", "repeat", "repeats"}},
    OperationRow{.operation = Operation::DedupeLast,
                 .commandName = "dedupe-last",
                 .description = "keep the last copy of every repeated line",
                 .comparison = Comparison::KeepsLastCopy,
                 .change = [](const OperationCall &c) { RemoveDupesAll(c.list, c.host, c.mode); },
                 .status = {"Removed {removed} from {list}, last copies kept", "repeat", "repeats"}},
    OperationRow{.operation = Operation::RemoveBlanks,
                 .commandName = "remove-blanks",
                 .description = "remove the empty lines",
                 .modes = ModesHeeded::None,
                 .change = [](const OperationCall &c) { RemoveBlanksFromList(c.list, c.host); },
                 .status = {"Removed {removed} from {list}", "blank item", "blank items"}},
    OperationRow{.operation = Operation::RemoveWith,
                 .commandName = "remove-with",
                 .description = "remove the lines that contain TEXT",
                 .needsText = true,
                 .modes = ModesHeeded::CaseOnly,
                 .change = [](const OperationCall &c) { RemoveItemsWith(c.list, c.text, c.host, c.mode); },
                 .status = {"Removed {removed} containing {text} from {list}"}},
    OperationRow{.operation = Operation::RemoveWithout,
                 .commandName = "remove-without",
                 .description = "remove the lines that do not contain TEXT",
                 .needsText = true,
                 .modes = ModesHeeded::CaseOnly,
                 .change = [](const OperationCall &c) { RemoveItemsWithout(c.list, c.text, c.host, c.mode); },
                 .status = {"Removed {removed} not containing {text} from {list}"}},
    OperationRow{.operation = Operation::Subtract,
                 .commandName = "subtract",
                 .description = "remove the lines that occur in the --other files",
                 .needsOther = true,
                 .comparison = Comparison::KeepsAbsent,
                 .change = [](const OperationCall &c) { SubtractSecondListFromFirstList(c.list, c.other, c.host, c.mode); },
                 .changeByPatterns = [](ItemList &list, const PatternSet &patterns,
                                        const OperationHost &host) { SubtractSecondListFromFirstList(list, patterns, host); },
                 .status = {"Removed {removed} of {list} that {is} also in {other}"}},
    OperationRow{.operation = Operation::KeepMatches,
                 .commandName = "keep-matches",
                 .description = "keep only the lines that occur in the --other files",
                 .needsOther = true,
                 .comparison = Comparison::KeepsPresent,
                 .change = [](const OperationCall &c) { KeepOnlyMatchesInList(c.list, c.other, c.host, c.mode); },
                 .changeByPatterns = [](ItemList &list, const PatternSet &patterns,
                                        const OperationHost &host) { KeepOnlyMatchesInList(list, patterns, host); },
                 .status = {"Removed {removed} of {list} that {is} not in {other}"}},
    OperationRow{.operation = Operation::Normalize,
                 .commandName = "normalize",
                 .description = "write every line in the form the modes compare",
                 .needsMode = true,
                 .rewritesItems = true,
                 .change = [](const OperationCall &c) { replaceByKeys(c.list, c.mode); }},
    OperationRow{.operation = Operation::Count,
                 .commandName = "count",
                 .description = "count the lines, blanks, distinct lines and repeats",
                 .comparison = Comparison::CountsKeys},
    OperationRow{.operation = Operation::Validate,
                 .commandName = "validate",
                 .description = "remove the lines that do not hold exactly one valid address",
                 .modes = ModesHeeded::None,
                 .judgesAddresses = true,
                 .change = [](const OperationCall &c) { RemoveInvalidAddresses(c.list, c.host, c.mode); },
                 .status = {"Removed {removed} from {list}", "invalid address", "invalid addresses"}},
    OperationRow{.operation = Operation::Compare,
                 .commandName = "compare",
                 .description = "write the lines only in one list or in both",
                 .needsOther = true,
                 .comparison = Comparison::SplitsByPresence},
    OperationRow{.operation = Operation::SplitAddresses,
                 .commandName = "split-addresses",
                 .description = "write each address of a line of several as its own line",
                 .modes = ModesHeeded::None,
                 .rewritesItems = true,
                 .change = [](const OperationCall &c) { SplitAddresses(c.list, c.host); },
                 .status = {"Split the lines of several addresses in {list}: {added} now"}},
};

} // namespace

std::span<const OperationRow> operationCatalogue()
{
    return kCatalogue;
}

const OperationRow &operationRow(Operation operation)
{
    return *std::find_if(kCatalogue.begin(), kCatalogue.end(),
                         [operation](const OperationRow &row) { return row.operation == operation; });
}

const OperationRow *findOperationNamed(std::string_view commandName)
{
    const auto found = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                    [commandName](const OperationRow &row) { return row.commandName == commandName; });
    return found == kCatalogue.end() ? nullptr : &*found;
}

} // namespace Quorvane
