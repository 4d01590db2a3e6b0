#include "ListFileError.h"

#include "ReadableName.h"

#include <cstring>

namespace Quorvane {

std::string describeFileFailure(const char *what, const std::string &name, const std::string &reason)
{
    return std::string(what) + " \"" + readableName(name) + "\": " + reason;
}

void throwFileError(ListFileError::Stage stage, const char *what, const std::string &name, int error)
{
    throw ListFileError(stage, what, name, std::strerror(error));
}

} // namespace Quorvane
