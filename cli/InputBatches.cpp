#include "InputBatches.h"

#include "files/ListFileError.h"

#include <cerrno>

#include <sys/stat.h>

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

FileIdentity identify(const std::string &path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throwFileError(ListFileError::Stage::Open, "Cannot open", path, errno);
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::int64_t>(status.st_size), static_cast<std::int64_t>(status.st_ctim.tv_sec),
            static_cast<std::int64_t>(status.st_ctim.tv_nsec)};
}

} // namespace Quorvane
