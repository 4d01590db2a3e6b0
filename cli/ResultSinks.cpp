#include "ResultSinks.h"

#include "BatchOutput.h"
#include "files/ListFileWriter.h"
#include "files/ListSerialiser.h"

namespace Quorvane {

// One destination: a list file written through the files layer, or standard output.
class ResultOutputs::Sink final : public ResultSink
{
public:
    Sink(const std::string &path, const Streams &streams, LineEnd lineEnd)
        : m_streams(streams)
        , m_lineEnd(lineEnd)
    {
        if (path != kStandardStream)
            m_file = std::make_unique<ListFileOutput>(path, WriteOptions{lineEnd});
    }

    void write(std::span<const std::string_view> batch) override
    {
        if (m_file)
            return m_file->write(batch);
        toStandardOutput(m_streams, [&] { writeListToDescriptor(batch, m_streams.output, "standard output", m_lineEnd); });
    }
    ListFileOutput *file() { return m_file.get(); }

private:
    const Streams &m_streams;
    LineEnd m_lineEnd;
    std::unique_ptr<ListFileOutput> m_file;
};

ResultOutputs::ResultOutputs(const Invocation &invocation, const Streams &streams, LineEnd lineEnd)
    : m_streams(streams)
{
    if (invocation.removed)
        m_removed = std::make_unique<Sink>(*invocation.removed, streams, lineEnd);
    m_kept = std::make_unique<Sink>(invocation.output.value_or(std::string(kStandardStream)), streams, lineEnd);
}

ResultOutputs::~ResultOutputs() = default;

ResultSink &ResultOutputs::kept()
{
    return *m_kept;
}

ResultSink *ResultOutputs::removed()
{
    return m_removed.get();
}

void ResultOutputs::commit()
{
    std::vector<ListFileOutput *> files;
    for (Sink *sink : {m_removed.get(), m_kept.get()}) {
        if (sink && sink->file())
            files.push_back(sink->file());
    }
    for (ListFileOutput *file : files)
        file->prepare();
    for (ListFileOutput *file : files)
        file->publish();
    for (ListFileOutput *file : files) {
        for (const std::string &warning : file->warnings())
            printProblem(m_streams, warning);
    }
}

} // namespace Quorvane
