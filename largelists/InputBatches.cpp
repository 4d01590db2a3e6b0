#include "InputBatches.h"

#include "SpillFolder.h"

namespace Quorvane {

FileDescriptor openListInput(const std::string &path, const SpillFolder *spills)
{
    if (spills && spills->holds(path))
        return spills->openFile(path);
    return openForReading(path, Readable::AnySource);
}

InputBatches::InputBatches(std::vector<std::string> paths, std::size_t batchBytes, const SpillFolder *spills,
                           std::optional<RowReading> rows)
    : m_paths(std::move(paths))
    , m_batchBytes(batchBytes)
    , m_spills(spills)
    , m_rows(rows)
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
            if (m_rows)
                m_reader->readRows(m_rows->field.delimiter, m_rows->longestRow);
            m_headerAhead = m_rows && m_rows->headerRow;
        }
        ItemList batch = m_reader->nextBatch();
        if (m_headerAhead && !batch.isEmpty()) {
            m_bytesHandedOut += batch.text(0).size() + 1;
            batch.removeAt(0);
            m_headerAhead = false;
        }
        if (m_reader->atEnd()) {
            if (m_reader->format().decodedFromUtf16())
                m_decodedFromUtf16.push_back(m_nextPath - 1);
            m_reader.reset();
        }
        if (batch.isEmpty())
            continue;
        std::string scratch;
        for (const std::string_view text : batch.texts()) {
            m_bytesHandedOut += text.size() + 1;
            m_shortRows += m_rows && !fieldText(text, m_rows->field, scratch) ? 1 : 0;
        }
        return batch;
    }
}

} // namespace Quorvane
