#include "UnexpectedErrors.h"

#include <gtest/gtest.h>

namespace Quorvane::Samples {

void UnexpectedErrors::report(const ErrorReport &report)
{
    ADD_FAILURE() << "unexpected error report: " << formatErrorReport(report);
}

} // namespace Quorvane::Samples
