#pragma once

#include <string>

namespace Quorvane {

// An open file descriptor, closed when it goes.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor &&other) noexcept
        : m_descriptor(other.release())
    {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_descriptor; }
    bool isOpen() const { return m_descriptor >= 0; }
    // Hands the descriptor over (to a QFile, say) without closing it.
    int release();

private:
    int m_descriptor = -1;
};

// What a reader accepts at a path.
enum class Readable {
    // The window, the skin and the pointer: anything that could make the program wait
    // (a FIFO without a writer, a terminal) or never end (/dev/zero) is refused.
    RegularFileOnly,
    // The batch tool: a FIFO may wait for its writer and a device is read to its end.
    AnySource,
};

// Opens path for reading, close-on-exec. With RegularFileOnly the open cannot block (it is made
// with O_NONBLOCK, which is cleared only once the descriptor itself is known to be a regular
// file), so a FIFO swapped in after any earlier check is refused, never waited on. A folder is
// always refused. Throws ListFileError at Stage::Open: "Cannot open "<name>": <system's words>"
// or "Cannot read "<name>": it is a folder" (or "it is a pipe or a device, not a file").
FileDescriptor openForReading(const std::string &path, Readable readable);

// Throws the same refusals for an already open descriptor (standard input, say).
void refuseUnreadable(int descriptor, const std::string &name, Readable readable);

} // namespace Quorvane
