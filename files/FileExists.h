#pragma once

#include <string>

namespace Quorvane {

// True when the last-change time of the named file (or folder) can be read; never throws.
bool FileExists(const std::string &path);

} // namespace Quorvane
