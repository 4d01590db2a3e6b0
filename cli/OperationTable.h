#pragma once

#include <span>
#include <string_view>

namespace Quorvane {

enum class BatchOperation {
    DedupeFirst,
    DedupeLast,
    RemoveBlanks,
    RemoveWith,
    RemoveWithout,
    Subtract,
    KeepMatches,
    Normalize,
    Count,
};

// What an operation takes besides its FILEs; an option it does not take is a usage error.
enum Takes : unsigned {
    kTakesText = 1u << 0,        // TEXT, right after the operation's name
    kTakesOther = 1u << 1,       // --other FILE
    kNeedsOther = 1u << 2,       // at least one --other FILE
    kTakesIgnoreCase = 1u << 3,  // --ignore-case
    kTakesTrimAndEmail = 1u << 4, // --trim, --email
    kNeedsMode = 1u << 5,        // at least one of the three modes
    kWritesList = 1u << 6,       // -o, --lf, --crlf
    kTakesJson = 1u << 7,        // --json
    kRemovesItems = 1u << 8,     // --removed FILE
};

struct OperationInfo
{
    std::string_view name;
    BatchOperation operation;
    unsigned takes;
    std::string_view synopsis; // what follows the name in the help
    std::string_view description;
};

std::span<const OperationInfo> batchOperations();

const OperationInfo &operationInfo(BatchOperation operation);
// Null when name is no operation.
const OperationInfo *findOperation(std::string_view name);

} // namespace Quorvane
