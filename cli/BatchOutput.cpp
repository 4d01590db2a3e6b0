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

std::optional<NameIdentity> outputIdentity(const std::string &path, const Streams &streams)
{
    return path == kStandardStream ? identityOfDescriptor(streams.output) : identityOfName(path);
}

} // namespace

void refuseOneFileForTwoLists(const Invocation &invocation, const Streams &streams)
{
    const std::vector<Invocation::NamedOutput> outputs = invocation.namedOutputs();
    std::vector<std::optional<NameIdentity>> identities;
    for (const Invocation::NamedOutput &output : outputs)
        identities.push_back(outputIdentity(output.name, streams));
    for (std::size_t later = 1; later < outputs.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            if (outputs[earlier].name == outputs[later].name
                || (identities[earlier] && identities[earlier] == identities[later]))
                throw UsageError(std::string(outputs[earlier].option) + " and " + std::string(outputs[later].option)
                                 + " name the same file");
        }
    }
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
    std::vector<ListOutput> lists;
    if (removed)
        lists.push_back({*removed, m_invocation.removed, heading});
    lists.push_back({kept, m_invocation.output, heading});
    writeListsTo(lists, beforePublish);
}

void BatchOutput::writeListsTo(std::span<const ListOutput> lists, const std::function<void()> &beforePublish) const
{
    std::vector<ListToWrite> files;
    for (const ListOutput &list : lists) {
        if (goesToStandardOutput(list.path))
            writeToStandardOutput(list.list, list.heading);
        else
            files.push_back({list.list, *list.path, list.heading});
    }
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
            writeListToDescriptor(heading->texts(), m_streams.output, kStandardOutputName, m_lineEnd);
        writeListToDescriptor(list.texts(), m_streams.output, kStandardOutputName, m_lineEnd);
    });
}

} // namespace Quorvane
