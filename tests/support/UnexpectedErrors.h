#pragma once

#include "engine/ErrorTrap.h"
#include "engine/Operations.h"

namespace Quorvane::Samples {

// Fails the running test when an operation reports an error that nothing provoked.
class UnexpectedErrors final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override;
};

// A host that shows no progress and fails the test on any error; removed items go to removed.
OperationHost quietHost(ItemList *removed = nullptr);

} // namespace Quorvane::Samples
