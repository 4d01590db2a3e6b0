#include "OperationTable.h"

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

constexpr unsigned kComparing = kTakesIgnoreCase | kTakesTrimAndEmail | kWritesList | kRemovesItems;
constexpr unsigned kFiltering = kTakesText | kTakesIgnoreCase | kWritesList | kRemovesItems;
constexpr unsigned kCrossList = kComparing | kTakesOther | kNeedsOther;

constexpr std::array kOperations = {
    OperationInfo{"dedupe-first", BatchOperation::DedupeFirst, kComparing, "",
                  "keep the first copy of every repeated line"},
    OperationInfo{"dedupe-last", BatchOperation::DedupeLast, kComparing, "",
                  "keep the last copy of every repeated line"},
    OperationInfo{"remove-blanks", BatchOperation::RemoveBlanks, kWritesList | kRemovesItems, "",
                  "remove the empty lines"},
    OperationInfo{"remove-with", BatchOperation::RemoveWith, kFiltering, " TEXT",
                  "remove the lines that contain TEXT"},
    OperationInfo{"remove-without", BatchOperation::RemoveWithout, kFiltering, " TEXT",
                  "remove the lines that do not contain TEXT"},
    OperationInfo{"subtract", BatchOperation::Subtract, kCrossList, "",
                  "remove the lines that occur in the --other files"},
    OperationInfo{"keep-matches", BatchOperation::KeepMatches, kCrossList, "",
                  "keep only the lines that occur in the --other files"},
    OperationInfo{"normalize", BatchOperation::Normalize,
                  kTakesIgnoreCase | kTakesTrimAndEmail | kNeedsMode | kWritesList, "",
                  "write every line in the form the modes compare"},
    OperationInfo{"count", BatchOperation::Count,
                  kTakesIgnoreCase | kTakesTrimAndEmail | kTakesOther | kTakesJson, "",
                  "count the lines, blanks, distinct lines and repeats"},
};

} // namespace

std::span<const OperationInfo> batchOperations()
{
    return kOperations;
}

const OperationInfo &operationInfo(BatchOperation operation)
{
    return *std::find_if(kOperations.begin(), kOperations.end(),
                         [operation](const OperationInfo &entry) { return entry.operation == operation; });
}

const OperationInfo *findOperation(std::string_view name)
{
    const auto found = std::find_if(kOperations.begin(), kOperations.end(),
                                    [name](const OperationInfo &entry) { return entry.name == name; });
    return found == kOperations.end() ? nullptr : &*found;
}

} // namespace Quorvane
