#pragma once

namespace Quorvane {

// How a run of quorvane-cli ends: success, a file that could not be read or written (or an
// input that changed meanwhile), or a command line that does not say a complete, valid request.
enum ExitStatus : int { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

} // namespace Quorvane
