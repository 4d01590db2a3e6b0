#include "ListSerialiser.h"

#include "files/ListFileError.h"
#include "files/RetryingCalls.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>

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

std::uint64_t sizeOf(std::span<const std::string_view> texts, std::string_view lineEnd)
{
    std::uint64_t size = texts.size() * lineEnd.size();
    for (const std::string_view text : texts)
        size += text.size();
    return size;
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
    if (const int error = writeFully(descriptor, bytes, size))
        throwFileError(ListFileError::Stage::Write, "Cannot write", displayName, error);
}

std::uint64_t serialisedSize(const ItemList &list, LineEnd lineEnd)
{
    return sizeOf(list.texts(), lineEndBytes(styleOf(lineEnd)));
}

void writeListToDescriptor(const ItemList &list, int descriptor, const std::string &displayName, LineEnd lineEnd,
                           const BytesWritten &onWritten)
{
    const std::string_view lineEndText = lineEndBytes(styleOf(lineEnd));
    ignoreFileSizeSignal();
    // One thread writes: Linux serialises buffered writes to one file, so a second writer
    // saved less wall time than the processor time it cost.
    serialise(list.texts(), lineEndText, [&](const char *bytes, std::size_t size) {
        writeAllBytes(descriptor, bytes, size, displayName);
        if (onWritten)
            onWritten(size);
    });
}

} // namespace Quorvane
