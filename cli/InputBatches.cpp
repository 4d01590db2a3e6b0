#include "InputBatches.h"

#include "files/ListFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

[[noreturn]] void throwFileFailure(ListFileError::Stage stage, const char *what, const std::string &path, int error)
{
    throw ListFileError(stage, std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

// Where the bytes can be cut so both sides split into the lines the whole would: after the last
// LF (it always ends a line), or after a CR whose next byte is known not to be LF. 0 when nowhere.
std::size_t safeCut(const char *bytes, std::size_t size)
{
    for (std::size_t i = size; i > 0; --i) {
        if (bytes[i - 1] == '\n')
            return i;
    }
    for (std::size_t i = size - 1; i > 0; --i) {
        if (bytes[i - 1] == '\r')
            return i;
    }
    return 0;
}

ItemList parseCopy(const char *bytes, std::size_t size)
{
    auto block = std::make_unique<ByteBlock>(size);
    std::memcpy(block->data(), bytes, size);
    return parseListBytes(std::move(block)).list;
}

} // namespace

InputBatches::InputBatches(std::vector<std::string> paths, std::size_t batchBytes)
    : m_paths(std::move(paths))
    , m_buffer(std::make_unique_for_overwrite<char[]>(batchBytes))
    , m_capacity(batchBytes)
{}

InputBatches::~InputBatches()
{
    closeFile();
}

void InputBatches::closeFile()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

bool InputBatches::openNextFile()
{
    if (m_nextPath == m_paths.size())
        return false;
    const std::string &path = m_paths[m_nextPath++];
    m_descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_descriptor < 0)
        throwFileFailure(ListFileError::Stage::Open, "Cannot open", path, errno);
    m_used = 0;
    m_fileEnded = false;
    return true;
}

// Reads until the buffer is full or the file ends; returns the bytes it holds.
std::size_t InputBatches::fill()
{
    while (!m_fileEnded && m_used < m_capacity) {
        const ssize_t got = ::read(m_descriptor, m_buffer.get() + m_used, m_capacity - m_used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throwFileFailure(ListFileError::Stage::Read, "Cannot read", m_paths[m_nextPath - 1], errno);
        m_fileEnded = got == 0;
        m_used += static_cast<std::size_t>(got);
        m_bytesRead += static_cast<std::size_t>(got);
    }
    return m_used;
}

ItemList InputBatches::next()
{
    for (;;) {
        if (m_descriptor < 0 && !openNextFile())
            return {};
        const std::size_t held = fill();
        if (m_fileEnded) {
            ItemList batch = parseCopy(m_buffer.get(), held);
            closeFile();
            if (!batch.isEmpty())
                return batch;
            continue;
        }
        const std::size_t cut = safeCut(m_buffer.get(), held);
        if (cut == 0) {
            // One line longer than the buffer: make room for more of it.
            auto larger = std::make_unique_for_overwrite<char[]>(m_capacity * 2);
            std::memcpy(larger.get(), m_buffer.get(), m_used);
            m_buffer = std::move(larger);
            m_capacity *= 2;
            continue;
        }
        ItemList batch = parseCopy(m_buffer.get(), cut);
        std::memmove(m_buffer.get(), m_buffer.get() + cut, m_used - cut);
        m_used -= cut;
        return batch;
    }
}

FileIdentity identify(const std::string &path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throwFileFailure(ListFileError::Stage::Open, "Cannot open", path, errno);
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::int64_t>(status.st_size), static_cast<std::int64_t>(status.st_ctim.tv_sec),
            static_cast<std::int64_t>(status.st_ctim.tv_nsec)};
}

} // namespace Quorvane
