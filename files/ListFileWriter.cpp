#include "ListFileWriter.h"

#include "files/ListFileError.h"
#include "files/ReplacementFile.h"

#include <csignal>

#include <pthread.h>

namespace Quorvane {

namespace {

// A FIFO whose reader went away answers EPIPE, to report, instead of killing the program by
// SIGPIPE. Only this thread's writes are concerned, so only its mask changes.
class BrokenPipeAsError
{
public:
    BrokenPipeAsError()
    {
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, &m_previous);
    }
    ~BrokenPipeAsError()
    {
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        const timespec now{};
        // Taken back unseen, unless it was waiting before.
        if (!sigismember(&m_previous, SIGPIPE))
            while (sigtimedwait(&pipeSignal, nullptr, &now) == SIGPIPE) {}
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    BrokenPipeAsError(const BrokenPipeAsError &) = delete;
    BrokenPipeAsError &operator=(const BrokenPipeAsError &) = delete;

private:
    sigset_t m_previous;
};

const WriteWarnings kNoWarnings;

} // namespace

ListFileOutput::ListFileOutput(const std::string &path, const WriteOptions &options)
    : m_path(path)
    , m_options(options)
    , m_target(findOutputTarget(path, options.writable))
{
    if (!m_target.writesInPlace())
        m_replacement = std::make_unique<ReplacementFile>(std::move(m_target), m_path);
}

ListFileOutput::~ListFileOutput() = default;

void ListFileOutput::write(std::span<const std::string_view> texts)
{
    if (m_replacement)
        return writeListToDescriptor(texts, m_replacement->descriptor(), m_path, m_options.lineEnd, m_options.onWritten,
                                     WriteBack::AsWritten);
    const BrokenPipeAsError brokenPipe;
    writeListToDescriptor(texts, m_target.inPlaceDescriptor, m_path, m_options.lineEnd, m_options.onWritten);
}

void ListFileOutput::prepare()
{
    if (m_replacement)
        m_replacement->prepare();
}

void ListFileOutput::publish()
{
    if (m_replacement)
        m_replacement->publish();
}

WriteWarnings ListFileOutput::commit()
{
    prepare();
    publish();
    return warnings();
}

const WriteWarnings &ListFileOutput::warnings() const
{
    return m_replacement ? m_replacement->warnings() : kNoWarnings;
}

WriteWarnings writeListFile(const ItemList &list, const std::string &path, const WriteOptions &options)
{
    ListFileOutput output(path, options);
    output.write(list.texts());
    return output.commit();
}

WriteWarnings writeListFiles(std::span<const ListToWrite> lists, const WriteOptions &options)
{
    std::vector<std::unique_ptr<ListFileOutput>> outputs;
    for (const ListToWrite &list : lists) {
        outputs.push_back(std::make_unique<ListFileOutput>(list.path, options));
        if (list.heading)
            outputs.back()->write(list.heading->texts());
        outputs.back()->write(list.list.texts());
        outputs.back()->prepare();
    }
    if (options.beforePublish)
        options.beforePublish();
    WriteWarnings warnings;
    for (const auto &output : outputs) {
        output->publish();
        warnings.insert(warnings.end(), output->warnings().begin(), output->warnings().end());
    }
    return warnings;
}

} // namespace Quorvane
