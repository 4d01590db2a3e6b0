#pragma once

#include "CommandLine.h"

#include "engine/Operations.h"
#include "largelists/OutOfCoreInputs.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Quorvane {

// Whether the run is one of the filters that decide each line alone (remove-with, remove-without,
// remove-blanks) on lines, not rows, whose inputs of inputBytes are small enough to go straight
// from their text to the outputs. One output is written by one thread: past this size the
// kernel's limit of dirty pages makes it wait, where the in-memory run's two writers keep going.
bool filtersLinesAlone(const Invocation &invocation, std::uint64_t inputBytes);

struct LineCounts
{
    std::uint64_t itemsIn = 0;
    std::uint64_t itemsOut = 0;
};

// Decides each line alone for one run of such a filter. A search for plain bytes (no case to
// fold, no line end in them, short) goes through the whole text once and tells the lines that
// hold them by where it finds them: a step per copy found, not a search per line.
class LineFilter
{
public:
    explicit LineFilter(const Invocation &invocation);

    // Splits text into lines piece by piece and hands each piece's kept lines to kept, and its
    // removed lines to removed when given: no list of all the lines is built. The lines are
    // those the reader would give (see appendLines).
    LineCounts filter(std::string_view text, ResultSink &kept, ResultSink *removed) const;

private:
    RemovalTest m_removes;
    std::string m_plainPart; // what the plain search looks for; empty when each line is tested
    bool m_removesHolders = false;
};

} // namespace Quorvane
