#pragma once

#include "CommandLine.h"
#include "Streams.h"
#include "files/LineSplitting.h"
#include "largelists/OutOfCoreInputs.h"

#include <memory>

namespace Quorvane {

class ListFileOutput;

// Where an out-of-core run's lists go, batch by batch: OUT (or standard output) and, with
// --removed, the removed items. Files change only at commit(): the removed items' file first,
// then OUT, as the in-memory run puts them in place; destroyed before, nothing changes.
class ResultOutputs
{
public:
    // Throws ListFileError when a file cannot be opened.
    ResultOutputs(const Invocation &invocation, const Streams &streams, LineEnd lineEnd);
    ~ResultOutputs();
    ResultOutputs(const ResultOutputs &) = delete;
    ResultOutputs &operator=(const ResultOutputs &) = delete;

    ResultSink &kept();
    // Null when the run keeps no removed items.
    ResultSink *removed();
    // Puts the files in place and says on standard error what they could not keep.
    void commit();

private:
    class Sink;
    std::unique_ptr<Sink> m_removed;
    std::unique_ptr<Sink> m_kept;
    const Streams &m_streams;
};

} // namespace Quorvane
