#pragma once

#include "OutOfCore.h"
#include "Streams.h"

#include "files/LineSplitting.h"

#include <memory>
#include <optional>
#include <string>

namespace Quorvane {

class SpillFolder;

// Where an out-of-core result goes: written batch by batch, in place only once commit() is
// called. Destroyed without commit(), it leaves the destination as it was.
class ResultOutput
{
public:
    virtual ~ResultOutput() = default;
    virtual ResultSink &sink() = 0;
    virtual void commit() = 0;
};

// Standard output when output is absent or "-"; else the file at output, replaced atomically
// (a pipe or a device written in place), every item followed by lineEnd. Throws ListFileError
// when it cannot be opened.
std::unique_ptr<ResultOutput> openResultOutput(const std::optional<std::string> &output, const Streams &streams,
                                               SpillFolder &folder, LineEnd lineEnd);

} // namespace Quorvane
