#include "RecordFile.h"

#include "SpillFolder.h"

#include "files/ListFileError.h"
#include "files/RetryingCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace Quorvane {

namespace {

[[noreturn]] void throwTemporaryFailure(ListFileError::Stage stage, const char *what, const std::string &path,
                                        int error)
{
    throwFileError(stage, (std::string(what) + " the temporary file").c_str(), path, error);
}

struct RecordHeader
{
    std::uint64_t position;
    std::uint64_t size;
};

} // namespace

RecordWriter::RecordWriter(const SpillFolder &folder, std::string path, std::size_t bufferSize)
    : m_path(std::move(path))
    , m_descriptor(folder.createFile(m_path).release())
    , m_buffer(std::make_unique_for_overwrite<char[]>(bufferSize))
    , m_capacity(bufferSize)
{}

RecordWriter::~RecordWriter()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void RecordWriter::append(const Record &record)
{
    const RecordHeader header{record.position, record.text.size()};
    put(&header, sizeof header);
    put(record.text.data(), record.text.size());
    ++m_records;
    m_textBytes += record.text.size();
    m_positionEnd = std::max(m_positionEnd, record.position + 1);
}

void RecordWriter::put(const void *bytes, std::size_t size)
{
    const char *from = static_cast<const char *>(bytes);
    while (size > 0) {
        if (m_used == m_capacity)
            flush();
        const std::size_t part = std::min(size, m_capacity - m_used);
        std::memcpy(m_buffer.get() + m_used, from, part);
        m_used += part;
        from += part;
        size -= part;
    }
}

void RecordWriter::flush()
{
    if (const int error = writeFully(m_descriptor, m_buffer.get(), m_used))
        throwTemporaryFailure(ListFileError::Stage::Write, "Cannot write", m_path, error);
    m_used = 0;
}

void RecordWriter::finish()
{
    flush();
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    if (::close(descriptor) != 0)
        throwTemporaryFailure(ListFileError::Stage::Write, "Cannot write", m_path, errno);
}

RecordReader::RecordReader(const SpillFolder &folder, const PartFile &file, std::size_t bufferSize)
    : m_expected(file)
    , m_recordsLeft(file.records)
    , m_textLeft(file.textBytes)
    , m_descriptor(folder.openFile(file.path).release())
    , m_buffer(std::make_unique_for_overwrite<char[]>(bufferSize))
    , m_capacity(bufferSize)
{}

void RecordReader::throwNotWritten() const
{
    throw ListFileError(ListFileError::Stage::Read,
                        describeFileFailure("Cannot read the temporary file", m_expected.path,
                                            "it is not what this run wrote there"));
}

RecordReader::~RecordReader()
{
    ::close(m_descriptor);
}

bool RecordReader::want(std::size_t size)
{
    if (m_end - m_start >= size)
        return true;
    if (size > m_capacity) {
        auto larger = std::make_unique_for_overwrite<char[]>(size);
        std::memcpy(larger.get(), m_buffer.get() + m_start, m_end - m_start);
        m_buffer = std::move(larger);
        m_capacity = size;
    } else {
        std::memmove(m_buffer.get(), m_buffer.get() + m_start, m_end - m_start);
    }
    m_end -= m_start;
    m_start = 0;
    while (m_end < size) {
        const ssize_t got = readOnce(m_descriptor, m_buffer.get() + m_end, m_capacity - m_end);
        if (got < 0)
            throwTemporaryFailure(ListFileError::Stage::Read, "Cannot read", m_expected.path, errno);
        if (got == 0)
            return false;
        m_end += static_cast<std::size_t>(got);
    }
    return true;
}

bool RecordReader::next(Record &record)
{
    if (!want(sizeof(RecordHeader))) {
        if (m_recordsLeft != 0 || m_end != m_start)
            throwNotWritten();
        return false;
    }
    RecordHeader header;
    std::memcpy(&header, m_buffer.get() + m_start, sizeof header);
    if (m_recordsLeft == 0 || header.size > m_textLeft || header.position >= m_expected.positionEnd)
        throwNotWritten();
    --m_recordsLeft;
    m_textLeft -= header.size;
    if (!want(sizeof header + header.size))
        throwNotWritten();
    record.position = header.position;
    record.text = std::string_view(m_buffer.get() + m_start + sizeof header, header.size);
    m_start += sizeof header + header.size;
    return true;
}

} // namespace Quorvane
