#include "OpenFile.h"

#include "ListFileError.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

FileDescriptor::~FileDescriptor()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = other.release();
    }
    return *this;
}

int FileDescriptor::release()
{
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    return descriptor;
}

void refuseUnreadable(int descriptor, const std::string &name, Readable readable)
{
    constexpr const char *action = "Cannot read";
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        throwFileError(ListFileError::Stage::Open, action, name, errno);
    if (S_ISDIR(status.st_mode))
        throw ListFileError(ListFileError::Stage::Open, action, name, "it is a folder");
    if (readable == Readable::RegularFileOnly && !S_ISREG(status.st_mode))
        throw ListFileError(ListFileError::Stage::Open, action, name, "it is a pipe or a device, not a file");
}

FileDescriptor openForReading(const std::string &path, Readable readable)
{
    constexpr const char *action = "Cannot open";
    // The system would read the name only up to a NUL: that is another file.
    if (path.find('\0') != std::string::npos)
        throwFileError(ListFileError::Stage::Open, action, path, EINVAL);
    const bool mayBlock = readable == Readable::AnySource;
    // O_NOCTTY: opening a terminal must never make it the program's controlling terminal.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (mayBlock ? 0 : O_NONBLOCK);
    FileDescriptor file(::open(path.c_str(), flags));
    if (!file.isOpen())
        throwFileError(ListFileError::Stage::Open, action, path, errno);
    refuseUnreadable(file.get(), path, readable);
    if (!mayBlock && ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK) != 0)
        throwFileError(ListFileError::Stage::Open, action, path, errno);
    return file;
}

} // namespace Quorvane
