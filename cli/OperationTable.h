#pragma once

#include "engine/OperationCatalogue.h"

#include <span>
#include <string_view>

namespace Quorvane {

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
    kTakesCommon = 1u << 9,      // --common
    kTakesAscii = 1u << 10,      // --ascii
    kTakesPatterns = 1u << 11,   // --patterns
    kWritesParts = 1u << 12,     // --only-list, --both, --only-other, --lf, --crlf
};

// An operation of the catalogue on the command line: the options it takes follow from its row.
struct OperationInfo
{
    Operation operation;
    unsigned takes; // Takes

    std::string_view name() const { return operationRow(operation).commandName; }
    std::string_view description() const { return operationRow(operation).description; }
    // What follows the name in the help.
    std::string_view synopsis() const { return operationRow(operation).needsText ? " TEXT" : ""; }
};

// Every operation of the catalogue, in its order.
std::span<const OperationInfo> batchOperations();

const OperationInfo &operationInfo(Operation operation);
// Null when name is no operation.
const OperationInfo *findOperation(std::string_view name);

} // namespace Quorvane
