#pragma once

#include "engine/ErrorTrap.h"
#include "engine/ItemList.h"
#include "ListTexts.h"

#include <string>
#include <vector>

// Small helpers for tests that build lists and show them when a check fails.
namespace Quorvane::Samples {

// The texts quoted, with every byte outside printable ASCII written as \xNN, so blanks,
// spaces, NUL and non-ASCII bytes are all visible in a failure message.
std::string describe(const std::vector<std::string> &texts);

// Fails the running test when an operation reports an error that nothing provoked.
class UnexpectedErrors final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override;
};

} // namespace Quorvane::Samples
