#include "ListFileWriter.h"

#include "files/ListFileError.h"
#include "files/LineSplitting.h"
#include "files/OpenFile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace Quorvane {

namespace {

constexpr std::size_t kWriteChunk = std::size_t(1) << 20;

// A file-size limit must end a write with EFBIG, which is reported, not kill the program.
void ignoreFileSizeSignal()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

// Lays the items out as list file bytes in large chunks and hands each full chunk to flush.
template<typename Flush>
void serialise(const ItemList &list, Flush &&flush)
{
    if (list.isEmpty())
        return;
    // Not zero-filled: a small list touches only the pages it uses.
    const auto chunk = std::make_unique_for_overwrite<char[]>(kWriteChunk);
    std::size_t used = 0;
    auto put = [&](const char *bytes, std::size_t size) {
        while (size > 0) {
            if (used == kWriteChunk) {
                flush(chunk.get(), used);
                used = 0;
            }
            const std::size_t part = std::min(size, kWriteChunk - used);
            std::memcpy(chunk.get() + used, bytes, part);
            used += part;
            bytes += part;
            size -= part;
        }
    };
    static constexpr char kLineEnd[] = {'\r', '\n'};
    for (const std::string_view text : list.texts()) {
        // Most items fit whole: copy them and store the line end without a second call.
        if (kWriteChunk - used >= text.size() + sizeof kLineEnd) {
            std::memcpy(chunk.get() + used, text.data(), text.size());
            used += text.size();
            chunk[used++] = '\r';
            chunk[used++] = '\n';
            continue;
        }
        put(text.data(), text.size());
        put(kLineEnd, sizeof kLineEnd);
    }
    if (used > 0)
        flush(chunk.get(), used);
}

void writeAll(int descriptor, const char *bytes, std::size_t size, const std::string &name)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(ListFileError::Stage::Write, "Cannot write", name, errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

// The descriptor that /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N stands for. Such a
// name leads to whatever the descriptor is open on, perhaps a file opened for appending, which
// only the descriptor itself writes to the right place.
std::optional<int> descriptorNamedBy(const std::string_view path)
{
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    for (const std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!path.starts_with(folder))
            continue;
        const std::string_view number = path.substr(folder.size());
        int descriptor = -1;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), descriptor);
        if (error == std::errc() && end == number.data() + number.size() && !number.empty())
            return descriptor;
    }
    return std::nullopt;
}

void writeListInPlace(const ItemList &list, const std::string &path)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        throwFileError(ListFileError::Stage::Open, "Cannot write", path, errno);
    const FileDescriptor file(descriptor);
    writeListToDescriptor(list, file.get(), path);
}

bool isPipeOrDevice(const std::string &path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

} // namespace

void refusePipeOrDevice(const std::string &path, const char *action)
{
    if (isPipeOrDevice(path))
        throw ListFileError(ListFileError::Stage::Open,
                            describeFileFailure(action, path, "it is a pipe or a device, not a file"));
}

void writeListFile(const ItemList &list, const std::string &path)
{
    if (const std::optional<int> descriptor = descriptorNamedBy(path))
        return writeListToDescriptor(list, *descriptor, path);
    // Renaming a new file over a pipe or a device would destroy it: it is written to in place.
    if (isPipeOrDevice(path))
        return writeListInPlace(list, path);
    ignoreFileSizeSignal();
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw ListFileError(ListFileError::Stage::Open,
                            describeFileFailure("Cannot write", path, file.errorString().toStdString()));
    bool written = true;
    serialise(list, [&](const char *bytes, std::size_t size) {
        if (written)
            written = file.write(bytes, static_cast<qint64>(size)) == static_cast<qint64>(size);
    });
    if (!written || !file.commit()) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw ListFileError(ListFileError::Stage::Write, describeFileFailure("Cannot write", path, reason));
    }
}

void writeListToDescriptor(const ItemList &list, int descriptor, const std::string &displayName)
{
    ignoreFileSizeSignal();
    serialise(list, [&](const char *bytes, std::size_t size) { writeAll(descriptor, bytes, size, displayName); });
}

} // namespace Quorvane
