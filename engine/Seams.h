#pragma once

#include <functional>

namespace Quorvane {

// Points between two steps that read what another process can change (a first and a second
// read, a check and its use), where a test can act to make a race happen every time. The
// programs set none: passing an unset seam costs one test of an empty function.
enum class Seam {
    BetweenHashPasses,   // TextPartitions: the texts were hashed and counted, not placed yet
    BetweenDecodePieces, // a UTF-16 file: its first piece is decoded, the rest not yet
    PartitionsSpread,    // quorvane-cli out of core: the partition files are written, not yet read
    InputsRead,          // quorvane-cli: the inputs are read (or partitioned), not yet read again
    Count
};

// Sets (or, with an empty action, clears) what passing the seam does. Not for use while a
// run is going on.
void setSeamAction(Seam seam, std::function<void()> action);
void passSeam(Seam seam);

} // namespace Quorvane
