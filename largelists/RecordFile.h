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

class SpillFolder;

// What a RecordWriter wrote to a file of the spill folder: all a reader may find there.
struct PartFile
{
    std::string path;
    std::uint64_t records = 0;
    std::uint64_t textBytes = 0;
    std::uint64_t positionEnd = 0; // past the largest position written
};

// Appends records to a new file of the folder through a buffer of a fixed size. Write failures
// (a full disk) throw ListFileError naming the temporary folder's file and the system's reason.
class RecordWriter
{
public:
    RecordWriter(const SpillFolder &folder, std::string path, std::size_t bufferSize);
    ~RecordWriter();
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    void append(const Record &record);
    // Writes what the buffer holds and closes the file.
    void finish();

    PartFile written() const { return {m_path, m_records, m_textBytes, m_positionEnd}; }

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
    std::uint64_t m_positionEnd = 0;
};

// Reads back, in order, the records of a file a RecordWriter finished, through the folder's
// descriptor. A record that is not what was written there (more records or text, a position
// past the largest written, fewer records) throws ListFileError rather than being used.
class RecordReader
{
public:
    RecordReader(const SpillFolder &folder, const PartFile &file, std::size_t bufferSize);
    ~RecordReader();
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    // The next record; its text stays valid until the next call. False at the end.
    bool next(Record &record);

private:
    // Makes at least size unread bytes available; false when the file ends first.
    bool want(std::size_t size);
    [[noreturn]] void throwNotWritten() const;

    PartFile m_expected;
    std::uint64_t m_recordsLeft;
    std::uint64_t m_textLeft;
    int m_descriptor = -1;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_start = 0;
    std::size_t m_end = 0;
};

} // namespace Quorvane
