#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Quorvane {

// One item as it is spilled to disk: its position in its list and its text.
struct Record
{
    std::uint64_t position;
    std::string_view text;
};

// Appends records to a new file through a buffer of a fixed size. Write failures (a full disk)
// throw ListFileError naming the temporary folder's file and the system's reason.
class RecordWriter
{
public:
    RecordWriter(std::string path, std::size_t bufferSize);
    ~RecordWriter();
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    void append(const Record &record);
    // Writes what the buffer holds and closes the file.
    void finish();

    const std::string &path() const { return m_path; }
    std::uint64_t recordCount() const { return m_records; }
    std::uint64_t textBytes() const { return m_textBytes; }

private:
    void put(const void *bytes, std::size_t size);
    void flush();

    std::string m_path;
    int m_descriptor = -1;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_used = 0;
    std::uint64_t m_records = 0;
    std::uint64_t m_textBytes = 0;
};

// Reads back, in order, the records of a file a RecordWriter finished.
class RecordReader
{
public:
    RecordReader(const std::string &path, std::size_t bufferSize);
    ~RecordReader();
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    // The next record; its text stays valid until the next call. False at the end.
    bool next(Record &record);

private:
    // Makes at least size unread bytes available; false when the file ends first.
    bool want(std::size_t size);

    std::string m_path;
    int m_descriptor = -1;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_start = 0;
    std::size_t m_end = 0;
};

} // namespace Quorvane
