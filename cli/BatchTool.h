#pragma once

#include "ExitStatus.h"
#include "Streams.h"

#include <span>
#include <string_view>

namespace Quorvane {

// Runs one command line of quorvane-cli (the arguments after the program's name) on streams.
// Returns kExitSuccess, kExitFailure when a file could not be read or written, or kExitUsage
// when the command line does not say a complete, valid request.
int runBatchTool(std::span<const std::string_view> arguments, const Streams &streams);

} // namespace Quorvane
