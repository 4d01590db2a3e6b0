#include "ListSerialiser.h"

#include "files/ListFileError.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>

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

// Lays the items out as list file bytes in large chunks and hands each full chunk to flush,
// which throws to stop.
template<typename Flush>
void serialise(const ItemList &list, std::string_view lineEnd, Flush &&flush)
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
    for (const std::string_view text : list.texts()) {
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

} // namespace

void writeAllBytes(int descriptor, const char *bytes, std::size_t size, const std::string &displayName)
{
    ignoreFileSizeSignal();
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(ListFileError::Stage::Write, "Cannot write", displayName, errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void writeListToDescriptor(const ItemList &list, int descriptor, const std::string &displayName, LineEnd lineEnd)
{
    // A list file's lines always end: without a style to keep, they end as they always did.
    const LineEnd style = lineEnd == LineEnd::None ? LineEnd::CarriageReturnLineFeed : lineEnd;
    serialise(list, lineEndBytes(style),
              [&](const char *bytes, std::size_t size) { writeAllBytes(descriptor, bytes, size, displayName); });
}

} // namespace Quorvane
