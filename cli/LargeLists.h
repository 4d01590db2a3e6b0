#pragma once

#include "CommandLine.h"
#include "InputWatch.h"
#include "Streams.h"
#include "engine/ItemList.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace Quorvane {

// The bytes of standard input or of a pipe, already read whole, by the name the command line
// gave it, for the in-memory run to take instead of reading again what can be read only once.
using PrereadSources = std::map<std::string, std::unique_ptr<ByteBlock>>;

// The bytes of the regular files among the invocation's inputs.
std::uint64_t regularFileBytes(const Invocation &invocation);

// Runs the invocation out of core when its lists would need more memory than the limit allows
// and returns the exit status. Returns nothing when they fit, having read into preread whatever
// standard input or pipes it had to measure. Throws what reading, running and writing throw, and
// InputChanged, before any file is replaced, when the watch finds an input changed.
std::optional<int> runIfLargerThanMemory(const Invocation &invocation, const Streams &streams,
                                         const InputWatch &watch, PrereadSources &preread);

} // namespace Quorvane
