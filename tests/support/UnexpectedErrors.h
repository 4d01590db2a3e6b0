#pragma once

#include "engine/ErrorTrap.h"

namespace Quorvane::Samples {

// Fails the running test when an operation reports an error that nothing provoked.
class UnexpectedErrors final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override;
};

} // namespace Quorvane::Samples
