#pragma once

#include <string>

namespace Quorvane::Completion {

// The completion scripts of quorvane-cli, each made from the operation and option tables.
std::string bashCompletion();
std::string zshCompletion();
std::string fishCompletion();

} // namespace Quorvane::Completion
