#pragma once

#include <string>
#include <string_view>

namespace Quorvane {

// A file name as it may be printed: valid UTF-8 stays as it is; control characters, bytes that
// are not UTF-8 and backslashes are written as \xHH or \\, so a name can neither garble a
// terminal nor pass for another name.
std::string readableName(std::string_view bytes);

} // namespace Quorvane
