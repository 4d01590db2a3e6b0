#include "InputBatches.h"

#include "SpillFolder.h"

namespace Quorvane {

FileDescriptor openListInput(const std::string &path, const SpillFolder *spills)
{
    if (spills && spills->holds(path))
        return spills->openFile(path);
    return openForReading(path, Readable::AnySource);
}

InputBatches::InputBatches(std::vector<std::string> paths, std::size_t batchBytes, const SpillFolder *spills)
    : m_paths(std::move(paths))
    , m_batchBytes(batchBytes)
    , m_spills(spills)
{}

ItemList InputBatches::next()
{
    for (;;) {
        if (!m_reader) {
            if (m_nextPath == m_paths.size())
                return {};
            const std::string &path = m_paths[m_nextPath++];
            m_file = openListInput(path, m_spills);
            m_reader = std::make_unique<ListStreamReader>(m_file.get(), path, m_batchBytes);
        }
        ItemList batch = m_reader->nextBatch();
        if (m_reader->atEnd()) {
            if (m_reader->format().decodedFromUtf16())
                m_decodedFromUtf16.push_back(m_nextPath - 1);
            m_reader.reset();
        }
        if (batch.isEmpty())
            continue;
        for (const std::string_view text : batch.texts())
            m_bytesHandedOut += text.size() + 1;
        return batch;
    }
}

} // namespace Quorvane
