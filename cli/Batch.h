#pragma once

#include "CommandLine.h"
#include "InputWatch.h"
#include "Streams.h"

#include <cstdint>
#include <string>

namespace Quorvane {

// Reads the lists, runs the operation and writes the result. Returns kExitSuccess, or
// kExitFailure when a file could not be read or written, the operation failed or the watch
// found an input changed. Nothing is written before everything else succeeded.
int runBatch(const Invocation &invocation, const Streams &streams, const InputWatch &watch);

// The line standard error gets after a run, unless it is quiet: "1 item in, 0 items out".
void printSummary(const Invocation &invocation, const Streams &streams, std::uint64_t itemsIn,
                  std::uint64_t itemsOut);

// Says on standard error, unless the run is quiet, that the input shown as name was decoded from UTF-16.
void printDecodedFromUtf16(const Invocation &invocation, const Streams &streams, const std::string &name);

// How an input is named in messages: "standard input", or its readable name in quotes.
std::string shownInputName(const std::string &name);

} // namespace Quorvane
