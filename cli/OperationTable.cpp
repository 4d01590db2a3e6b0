#include "OperationTable.h"

#include <algorithm>
#include <vector>

namespace Quorvane {

namespace {

unsigned modeOptions(ModesHeeded modes)
{
    switch (modes) {
    case ModesHeeded::All:
        return kTakesIgnoreCase | kTakesTrimAndEmail;
    case ModesHeeded::CaseOnly:
        return kTakesIgnoreCase;
    case ModesHeeded::None:
        return 0;
    }
    return 0;
}

// Count writes figures, against --other FILEs when given; compare writes the parts of both lists;
// every other operation writes a list.
unsigned outputOptions(const OperationRow &row)
{
    if (row.comparison == Comparison::CountsKeys)
        return kTakesOther | kTakesJson;
    if (row.comparison == Comparison::SplitsByPresence)
        return kWritesParts;
    if (row.rewritesItems)
        return kWritesList | (row.modes == ModesHeeded::All ? kTakesAscii : 0u);
    return kWritesList | kRemovesItems;
}

unsigned optionsOf(const OperationRow &row)
{
    return modeOptions(row.modes) | outputOptions(row) | (row.needsMode ? kNeedsMode : 0u)
        | (row.needsText ? kTakesText : 0u) | (row.needsOther ? kTakesOther | kNeedsOther : 0u)
        | (row.judgesAddresses ? kTakesCommon : 0u) | (row.takesPatterns() ? kTakesPatterns : 0u);
}

std::vector<OperationInfo> operationsOfTheCatalogue()
{
    std::vector<OperationInfo> operations;
    for (const OperationRow &row : operationCatalogue())
        operations.push_back({row.operation, optionsOf(row)});
    return operations;
}

const std::vector<OperationInfo> &operations()
{
    static const std::vector<OperationInfo> table = operationsOfTheCatalogue();
    return table;
}

} // namespace

std::span<const OperationInfo> batchOperations()
{
    return operations();
}

const OperationInfo &operationInfo(Operation operation)
{
    return *std::find_if(operations().begin(), operations().end(),
                         [operation](const OperationInfo &entry) { return entry.operation == operation; });
}

const OperationInfo *findOperation(std::string_view name)
{
    const auto found = std::find_if(operations().begin(), operations().end(),
                                    [name](const OperationInfo &entry) { return entry.name() == name; });
    return found == operations().end() ? nullptr : &*found;
}

} // namespace Quorvane
