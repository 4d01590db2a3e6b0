#include "BatchOutput.h"

#include "files/NameIdentity.h"
#include "files/ListFileError.h"
#include "files/ListFileWriter.h"
#include "files/ListSerialiser.h"

#include <cerrno>
#include <vector>

namespace Quorvane {

namespace {

constexpr const char *kStandardOutputName = "standard output";

bool goesToStandardOutput(const std::optional<std::string> &path)
{
    return !path || *path == kStandardStream;
}

std::optional<NameIdentity> outputIdentity(const std::optional<std::string> &path, const Streams &streams)
{
    return goesToStandardOutput(path) ? identityOfDescriptor(streams.output) : identityOfName(*path);
}

} // namespace

void refuseOneFileForBothLists(const Invocation &invocation, const Streams &streams)
{
    if (!invocation.removed)
        return;
    const std::optional<NameIdentity> removed = outputIdentity(invocation.removed, streams);
    if (*invocation.removed == invocation.output.value_or(std::string(kStandardStream))
        || (removed && removed == outputIdentity(invocation.output, streams)))
        throw UsageError("--removed and -o name the same file");
}

LineEnd outputLineEnd(LineEndChoice choice, LineEnd firstInputLineEnd)
{
    switch (choice) {
    case LineEndChoice::LineFeed:
        return LineEnd::LineFeed;
    case LineEndChoice::CarriageReturnLineFeed:
        return LineEnd::CarriageReturnLineFeed;
    case LineEndChoice::AsFirstInput:
        break;
    }
    return firstInputLineEnd == LineEnd::LineFeed ? LineEnd::LineFeed : LineEnd::CarriageReturnLineFeed;
}

BatchOutput::BatchOutput(const Invocation &invocation, const Streams &streams, LineEnd lineEnd)
    : m_invocation(invocation)
    , m_streams(streams)
    , m_lineEnd(lineEnd)
{}

void BatchOutput::writeLists(const ItemList &kept, const ItemList *removed,
                             const std::function<void()> &beforePublish, const ItemList *heading) const
{
    std::vector<ListToWrite> files;
    if (removed) {
        if (goesToStandardOutput(m_invocation.removed))
            writeToStandardOutput(*removed, heading);
        else
            files.push_back({*removed, *m_invocation.removed, heading});
    }
    if (goesToStandardOutput(m_invocation.output))
        writeToStandardOutput(kept, heading);
    else
        files.push_back({kept, *m_invocation.output, heading});
    if (files.empty())
        return beforePublish();
    WriteOptions options{m_lineEnd};
    options.beforePublish = beforePublish;
    for (const std::string &warning : writeListFiles(files, options))
        printProblem(m_streams, warning);
}

void BatchOutput::writeText(std::string_view text) const
{
    toStandardOutput(m_streams, [&] {
        if (!writeAll(m_streams.output, text))
            throwFileError(ListFileError::Stage::Write, "Cannot write", kStandardOutputName, errno);
    });
}

void BatchOutput::writeToStandardOutput(const ItemList &list, const ItemList *heading) const
{
    toStandardOutput(m_streams, [&] {
        if (heading)
            writeListToDescriptor(*heading, m_streams.output, kStandardOutputName, m_lineEnd);
        writeListToDescriptor(list, m_streams.output, kStandardOutputName, m_lineEnd);
    });
}

} // namespace Quorvane
