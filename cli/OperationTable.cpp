#include "OperationTable.h"

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

constexpr unsigned kComparing = kTakesIgnoreCase | kTakesTrimAndEmail | kWritesList | kRemovesItems;
constexpr unsigned kFiltering = kTakesIgnoreCase | kWritesList | kRemovesItems;

// In the catalogue's order; what an operation needs (a TEXT, --other) follows from its row.
constexpr std::array kOperations = {
    OperationInfo{Operation::DedupeFirst, kComparing},
    OperationInfo{Operation::DedupeLast, kComparing},
    OperationInfo{Operation::RemoveBlanks, kWritesList | kRemovesItems},
    OperationInfo{Operation::RemoveWith, kFiltering},
    OperationInfo{Operation::RemoveWithout, kFiltering},
    OperationInfo{Operation::Subtract, kComparing},
    OperationInfo{Operation::KeepMatches, kComparing},
    OperationInfo{Operation::Normalize, kTakesIgnoreCase | kTakesTrimAndEmail | kNeedsMode | kWritesList},
    OperationInfo{Operation::Count, kTakesIgnoreCase | kTakesTrimAndEmail | kTakesOther | kTakesJson},
};

} // namespace

std::span<const OperationInfo> batchOperations()
{
    return kOperations;
}

const OperationInfo &operationInfo(Operation operation)
{
    return *std::find_if(kOperations.begin(), kOperations.end(),
                         [operation](const OperationInfo &entry) { return entry.operation == operation; });
}

const OperationInfo *findOperation(std::string_view name)
{
    const auto found = std::find_if(kOperations.begin(), kOperations.end(),
                                    [name](const OperationInfo &entry) { return entry.name() == name; });
    return found == kOperations.end() ? nullptr : &*found;
}

} // namespace Quorvane
