#include "UnexpectedErrors.h"

#include <gtest/gtest.h>

namespace Quorvane::Samples {

void UnexpectedErrors::report(const ErrorReport &report)
{
    ADD_FAILURE() << "unexpected error report: " << formatErrorReport(report);
}

OperationHost quietHost(ItemList *removed)
{
    static NullProgress progress;
    static UnexpectedErrors reporter;
    return {progress, reporter, removed};
}

} // namespace Quorvane::Samples
