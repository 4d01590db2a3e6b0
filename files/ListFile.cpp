#include "ListFile.h"

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

#ifdef __linux__
#include <sys/mman.h>
#endif

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Quorvane {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kFirstPipeChunk = std::size_t(64) << 10;
constexpr std::size_t kWriteChunk = std::size_t(1) << 20;

// The whole-page, 2 MB aligned middle of a fresh allocation is asked to be backed by huge
// pages: on these virtual machines each small-page fault costs far more than the bytes.
void adviseHugePages(void *start, std::size_t size)
{
#ifdef __linux__
    const auto first = (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) / kHugePage * kHugePage;
    const auto end = (reinterpret_cast<std::uintptr_t>(start) + size) / kHugePage * kHugePage;
    if (end > first)
        madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#else
    (void)start;
    (void)size;
#endif
}

#ifdef __SSE2__
// 0xFF in each of the 16 bytes at bytes that is CR or LF, 0 elsewhere.
__m128i lineEndBytes(const char *bytes)
{
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    return _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(kCarriageReturn)),
                        _mm_cmpeq_epi8(chunk, _mm_set1_epi8(kLineFeed)));
}
// One bit per byte of the 16 at bytes: set where the byte is CR or LF.
unsigned lineEndMask(const char *bytes)
{
    return static_cast<unsigned>(_mm_movemask_epi8(lineEndBytes(bytes)));
}
constexpr std::size_t kMaskWidth = 16;
#else
constexpr std::size_t kMaskWidth = 0;
#endif

bool isLineEndByte(char byte)
{
    return byte == kCarriageReturn || byte == kLineFeed;
}

// Calls found(position) for every CR or LF byte, in rising order.
template<typename Found>
void forEachLineEndByte(const char *bytes, std::size_t size, Found &&found)
{
    std::size_t position = 0;
#ifdef __SSE2__
    for (; position + kMaskWidth <= size; position += kMaskWidth) {
        for (unsigned mask = lineEndMask(bytes + position); mask != 0; mask &= mask - 1)
            found(position + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
#endif
    for (; position < size; ++position) {
        if (isLineEndByte(bytes[position]))
            found(position);
    }
}

std::size_t countLineEndBytes(const char *bytes, std::size_t size)
{
    std::size_t count = 0;
    std::size_t position = 0;
#ifdef __SSE2__
    // Each byte lane counts up to 255 matches before the lanes are summed.
    constexpr std::size_t kChunksPerSum = 255;
    const __m128i zero = _mm_setzero_si128();
    while (position + kMaskWidth <= size) {
        const std::size_t chunks = std::min((size - position) / kMaskWidth, kChunksPerSum);
        __m128i perLane = zero;
        for (std::size_t i = 0; i < chunks; ++i, position += kMaskWidth)
            perLane = _mm_sub_epi8(perLane, lineEndBytes(bytes + position));
        const __m128i sums = _mm_sad_epu8(perLane, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    }
#endif
    for (; position < size; ++position)
        count += isLineEndByte(bytes[position]) ? 1 : 0;
    return count;
}

std::vector<std::string_view> splitLines(const char *bytes, std::size_t size)
{
    std::vector<std::string_view> lines;
    const std::size_t atMost = countLineEndBytes(bytes, size) + 1;
    lines.reserve(atMost);
    adviseHugePages(lines.data(), atMost * sizeof(std::string_view));

    std::size_t lineStart = 0;
    forEachLineEndByte(bytes, size, [&](std::size_t position) {
        // The LF of a CR LF pair: its CR already ended the line.
        if (bytes[position] == kLineFeed && position > 0 && bytes[position - 1] == kCarriageReturn) {
            lineStart = position + 1;
            return;
        }
        lines.emplace_back(bytes + lineStart, position - lineStart);
        lineStart = position + 1;
    });
    if (lineStart < size)
        lines.emplace_back(bytes + lineStart, size - lineStart);
    return lines;
}

ItemList parseFirstBytes(std::unique_ptr<ByteBlock> block, std::size_t size)
{
    ItemList list;
    std::vector<std::string_view> lines = splitLines(block->data(), size);
    list.adopt(std::move(block), std::move(lines));
    return list;
}

// Reads until the end or until the block is full; returns the bytes read.
std::size_t readInto(int descriptor, char *bytes, std::size_t capacity, const std::string &name)
{
    std::size_t filled = 0;
    while (filled < capacity) {
        const ssize_t got = ::read(descriptor, bytes + filled, capacity - filled);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(ListFileError::Stage::Read, "Cannot read", name, errno);
        }
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

// Reads a stream of unknown length, doubling the block whenever it fills up.
ItemList readStream(int descriptor, std::size_t expectedSize, const std::string &name)
{
    auto block = std::make_unique<ByteBlock>(std::max(expectedSize + 1, kFirstPipeChunk));
    std::size_t filled = 0;
    for (;;) {
        filled += readInto(descriptor, block->data() + filled, block->size() - filled, name);
        if (filled < block->size())
            return parseFirstBytes(std::move(block), filled);
        auto larger = std::make_unique<ByteBlock>(block->size() * 2);
        std::memcpy(larger->data(), block->data(), filled);
        block = std::move(larger);
    }
}

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
    static constexpr char kLineEnd[] = {kCarriageReturn, kLineFeed};
    for (const std::string_view text : list.texts()) {
        // Most items fit whole: copy them and store the line end without a second call.
        if (kWriteChunk - used >= text.size() + sizeof kLineEnd) {
            std::memcpy(chunk.get() + used, text.data(), text.size());
            used += text.size();
            chunk[used++] = kCarriageReturn;
            chunk[used++] = kLineFeed;
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

ItemList parseListBytes(std::unique_ptr<ByteBlock> bytes)
{
    const std::size_t size = bytes->size();
    return parseFirstBytes(std::move(bytes), size);
}

ItemList readListFile(const std::string &path, Readable readable)
{
    const FileDescriptor file = openForReading(path, readable);
    return readListFromDescriptor(file.get(), path);
}

ItemList readListFromDescriptor(int descriptor, const std::string &displayName)
{
    refuseUnreadable(descriptor, displayName, Readable::AnySource);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        throwFileError(ListFileError::Stage::Read, "Cannot read", displayName, errno);
    // A regular file is read in one go into a block one byte larger than what is left of
    // it, so the read that finds its end needs no second block.
    std::size_t expectedSize = 0;
    if (S_ISREG(status.st_mode)) {
        const off_t offset = ::lseek(descriptor, 0, SEEK_CUR);
        if (offset >= 0 && offset < status.st_size)
            expectedSize = static_cast<std::size_t>(status.st_size - offset);
    }
    return readStream(descriptor, expectedSize, displayName);
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
