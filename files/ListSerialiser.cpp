#include "ListSerialiser.h"

#include "files/ListFileError.h"
#include "files/RetryingCalls.h"

#include "engine/Workers.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <system_error>

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

// Lays the texts out as list file bytes in large chunks and hands each full chunk to flush,
// which throws to stop.
template<typename Flush>
void serialise(std::span<const std::string_view> texts, std::string_view lineEnd, Flush &&flush)
{
    if (texts.empty())
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
    for (const std::string_view text : texts) {
        // Most items fit whole: copy them and the line end without going through put().
        if (kWriteChunk - used >= text.size() + lineEnd.size()) {
            std::memcpy(chunk.get() + used, text.data(), text.size());
            used += text.size();
            for (const char byte : lineEnd)
                chunk[used++] = byte;
            continue;
        }
        put(text.data(), text.size());
        put(lineEnd.data(), lineEnd.size());
    }
    if (used > 0)
        flush(chunk.get(), used);
}

// Starts the disk writing what was just written at offset, without waiting for it. Only a hint:
// the sync that follows reports any failure.
void startWriteBack(int descriptor, off_t offset, std::size_t size, WriteBack writeBack)
{
    if (writeBack == WriteBack::AsWritten && offset >= 0)
        ::sync_file_range(descriptor, offset, static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
}

// Writes every byte, from offset on when it is not negative; a failure names the file.
void writeWhole(int descriptor, const char *bytes, std::size_t size, off_t offset, const std::string &displayName)
{
    if (const int error = writeFully(descriptor, bytes, size, offset))
        throwFileError(ListFileError::Stage::Write, "Cannot write", displayName, error);
}

// Where a long list may be written as two halves at once: a regular file written from its
// current offset, not appended to. Copying into the page cache is most of a large write.
std::optional<off_t> offsetForHalves(int descriptor, std::size_t itemCount)
{
    struct stat status {};
    if (workersFor(itemCount) < 2 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    const int flags = ::fcntl(descriptor, F_GETFL);
    const off_t offset = ::lseek(descriptor, 0, SEEK_CUR);
    if (flags < 0 || (flags & O_APPEND) || offset < 0)
        return std::nullopt;
    return offset;
}

std::uint64_t sizeOf(std::span<const std::string_view> texts, std::string_view lineEnd)
{
    std::uint64_t size = texts.size() * lineEnd.size();
    for (const std::string_view text : texts)
        size += text.size();
    return size;
}

void writeTextsAt(std::span<const std::string_view> texts, std::string_view lineEnd, int descriptor, off_t offset,
                  const std::string &displayName, const BytesWritten &onWritten, WriteBack writeBack)
{
    serialise(texts, lineEnd, [&](const char *bytes, std::size_t size) {
        writeWhole(descriptor, bytes, size, offset, displayName);
        startWriteBack(descriptor, offset, size, writeBack);
        offset += static_cast<off_t>(size);
        if (onWritten)
            onWritten(size);
    });
}

// The second half is written by a thread of its own, from where the first half's bytes end;
// the descriptor's offset is left after the last byte, as one sequential write leaves it.
void writeHalvesAt(std::span<const std::string_view> texts, std::string_view lineEnd, int descriptor, off_t offset,
                   const std::string &displayName, const BytesWritten &onWritten, WriteBack writeBack)
{
    const std::size_t half = texts.size() / 2;
    const auto firstSize = static_cast<off_t>(sizeOf(texts.first(half), lineEnd));
    const auto secondSize = static_cast<off_t>(sizeOf(texts.subspan(half), lineEnd));
    const auto writeHalf = [&](std::span<const std::string_view> part, off_t at) {
        writeTextsAt(part, lineEnd, descriptor, at, displayName, onWritten, writeBack);
    };
    runSideBySide([&] { writeHalf(texts.first(half), offset); },
                  [&] { writeHalf(texts.subspan(half), offset + firstSize); });
    if (::lseek(descriptor, offset + firstSize + secondSize, SEEK_SET) < 0)
        throwFileError(ListFileError::Stage::Write, "Cannot write", displayName, errno);
}

// A list file's lines always end: without a style to keep, they end as they always did.
LineEnd styleOf(LineEnd lineEnd)
{
    return lineEnd == LineEnd::None ? LineEnd::CarriageReturnLineFeed : lineEnd;
}

} // namespace

void writeAllBytes(int descriptor, const char *bytes, std::size_t size, const std::string &displayName)
{
    ignoreFileSizeSignal();
    writeWhole(descriptor, bytes, size, -1, displayName);
}

std::uint64_t serialisedSize(const ItemList &list, LineEnd lineEnd)
{
    return sizeOf(list.texts(), lineEndBytes(styleOf(lineEnd)));
}

void writeListToDescriptor(std::span<const std::string_view> texts, int descriptor, const std::string &displayName,
                           LineEnd lineEnd, const BytesWritten &onWritten, WriteBack writeBack)
{
    const std::string_view lineEndText = lineEndBytes(styleOf(lineEnd));
    ignoreFileSizeSignal();
    if (const std::optional<off_t> offset = offsetForHalves(descriptor, texts.size())) {
        try {
            return writeHalvesAt(texts, lineEndText, descriptor, *offset, displayName, onWritten, writeBack);
        } catch (const std::system_error &) {
            // No thread to be had: one sequential write from the same offset will do.
            if (::lseek(descriptor, *offset, SEEK_SET) < 0)
                throwFileError(ListFileError::Stage::Write, "Cannot write", displayName, errno);
        }
    }
    // Where the bytes land, for the write-back; a stream has no offset and is left alone.
    off_t offset = writeBack == WriteBack::AsWritten ? ::lseek(descriptor, 0, SEEK_CUR) : -1;
    serialise(texts, lineEndText, [&](const char *bytes, std::size_t size) {
        writeAllBytes(descriptor, bytes, size, displayName);
        startWriteBack(descriptor, offset, size, writeBack);
        if (offset >= 0)
            offset += static_cast<off_t>(size);
        if (onWritten)
            onWritten(size);
    });
}

} // namespace Quorvane
