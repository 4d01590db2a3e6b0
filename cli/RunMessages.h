#pragma once

#include "CommandLine.h"
#include "Streams.h"

#include "engine/Overlap.h"

#include <cstdint>
#include <exception>
#include <string>

// What a run says on standard error besides its failures, in memory and out of core alike.

namespace Quorvane {

class RefusalCounts;

// The line standard error gets after a run, unless it is quiet: "1 item in, 0 items out"; when
// the mode reads addresses and some lines of the inputs held several, "..., 2 lines with
// several addresses".
void printSummary(const Invocation &invocation, const Streams &streams, std::uint64_t itemsIn,
                  std::uint64_t itemsOut, std::uint64_t severalAddresses);

// The line standard error gets after the summary, unless the run is quiet, when lines were
// refused as addresses: "3 items removed: 2 without an @, 1 too long".
void printRefusals(const Invocation &invocation, const Streams &streams, const RefusalCounts &refusals);
// compare's line on standard error, unless the run is quiet: "2 items only in the list, 3 in
// both, 1 only in the other".
void printOverlapCounts(const Invocation &invocation, const Streams &streams, const OverlapCounts &counts);

// Says on standard error, unless the run is quiet, that the input shown as name was decoded from UTF-16.
void printDecodedFromUtf16(const Invocation &invocation, const Streams &streams, const std::string &name);

// How an input is named in messages: "standard input", or its readable name in quotes.
std::string shownInputName(const std::string &name);

// What standard error gets for the failure that ended a run: for a file named on the command
// line, "name: reason" as the shell's tools say it; else the failure's own sentence.
std::string failureMessage(const Invocation &invocation, const std::exception &error);

} // namespace Quorvane
