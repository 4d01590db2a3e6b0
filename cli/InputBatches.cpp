#include "InputBatches.h"

namespace Quorvane {

InputBatches::InputBatches(std::vector<std::string> paths, std::size_t batchBytes)
    : m_paths(std::move(paths))
    , m_batchBytes(batchBytes)
{}

ItemList InputBatches::next()
{
    for (;;) {
        if (!m_reader) {
            if (m_nextPath == m_paths.size())
                return {};
            m_reader = std::make_unique<ListStreamReader>(m_paths[m_nextPath++], Readable::AnySource, m_batchBytes);
        }
        ItemList batch = m_reader->nextBatch();
        if (m_reader->atEnd()) {
            if (m_nextPath == 1)
                m_firstFormat = m_reader->format();
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
