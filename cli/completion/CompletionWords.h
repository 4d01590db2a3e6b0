#pragma once

#include "cli/OperationTable.h"
#include "cli/OptionTable.h"

#include <string>
#include <vector>

namespace Quorvane::Completion {

// What every shell's completion says, read from the operation and option tables, so that an
// operation or an option added there is completed without an edit here.

// The options operation takes, in the order of the help.
std::vector<const CliOption *> optionsOf(const OperationInfo &operation);
// The options the parser takes in place of an operation, such as --help.
std::vector<const CliOption *> standAloneOptions();
std::vector<const CliOption *> valueOptions();
// Whether the value of option names a file, which the completions then offer.
bool valueIsFileName(const CliOption &option);
// The option that gives the TEXT of remove-with and remove-without.
const CliOption &textOption();
// The help of option up to its first ';', on one line.
std::string summaryOf(const CliOption &option);
// The option's name without its leading dashes.
std::string_view bareName(const CliOption &option);

} // namespace Quorvane::Completion
