#include "ListFileReader.h"

#include "files/ListFileError.h"
#include "files/MappedFile.h"
#include "files/ReadInput.h"

#include "engine/Seams.h"
#include "engine/Workers.h"

#include <cstring>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

constexpr std::size_t kFirstPipeChunk = std::size_t(64) << 10;
constexpr std::size_t kWorthTwoReaders = std::size_t(16) << 20;
constexpr std::size_t kDecodePiece = std::size_t(64) << 10;

// A block that holds size bytes and no more: blocks live as long as their items.
std::unique_ptr<ByteBlock> exactBlock(std::unique_ptr<ByteBlock> block, std::size_t size)
{
    auto exact = std::make_unique<ByteBlock>(size);
    std::memcpy(exact->data(), block->data(), size);
    return exact;
}

// The whole UTF-8 text of UTF-16 bytes in a block of its own, or nothing when they do not
// decode cleanly. One pass into a block as large as any UTF-8 of that many bytes can be: the
// bytes may be a mapped file that another program rewrites meanwhile, so nothing may rely on
// two reads of them agreeing. The pages left unwritten cost nothing until the block shrinks.
std::unique_ptr<ByteBlock> decodeUtf16(std::string_view bytes, TextEncoding byteOrder)
{
    auto block = std::make_unique<ByteBlock>(Utf16Decoder::maxDecodedSize(bytes.size()));
    Utf16Decoder decoder(byteOrder);
    std::size_t size = 0;
    for (std::size_t at = 0; at < bytes.size(); at += kDecodePiece) {
        const std::optional<std::size_t> decoded = decoder.decode(bytes.substr(at, kDecodePiece), block->data() + size);
        if (!decoded)
            return nullptr;
        size += *decoded;
        if (at == 0)
            passSeam(Seam::BetweenDecodePieces);
    }
    if (!decoder.finish())
        return nullptr;
    return exactBlock(std::move(block), size);
}

ListFileContents parseFirstBytes(std::unique_ptr<ByteBlock> block, std::size_t size, Lines lines)
{
    ListFileContents contents;
    std::string_view text(block->data(), size);
    const EncodingGuess guess = guessEncoding(text);
    if (guess.encoding == TextEncoding::Bytes) {
        text.remove_prefix(guess.byteOrderMarkSize);
        contents.format.byteOrderMarkDropped = guess.byteOrderMarkSize > 0;
    } else if (auto decoded = decodeUtf16(text.substr(guess.byteOrderMarkSize), guess.encoding)) {
        block = std::move(decoded);
        text = std::string_view(block->data(), block->size());
        contents.format.encoding = guess.encoding;
        contents.format.byteOrderMarkDropped = guess.byteOrderMarkSize > 0;
    }
    contents.format.firstLineEnd = firstLineEnd(text);
    std::vector<std::string_view> items;
    if (lines == Lines::Split)
        items = splitLines(text);
    else if (!text.empty())
        items.push_back(text);
    contents.list.adopt(std::move(block), std::move(items));
    return contents;
}

// Reads size bytes of a regular file from the descriptor's offset as two halves at once, each
// thread filling its own fresh pages: the kernel zeroes a page before copying into it, and that
// is most of reading a large file. Leaves the offset after them and returns true; leaves it
// where it was and returns false when no thread can be had or the file got shorter meanwhile.
bool readHalves(int descriptor, char *bytes, std::size_t size, const std::string &name, const BytesRead &onRead)
{
    const off_t start = ::lseek(descriptor, 0, SEEK_CUR);
    if (start < 0)
        return false;
    const std::size_t half = size / 2;
    std::size_t firstGot = 0;
    std::size_t secondGot = 0;
    try {
        runSideBySide([&] { firstGot = readIntoAt(descriptor, bytes, half, start, name, onRead); }, [&] {
            secondGot = readIntoAt(descriptor, bytes + half, size - half, start + static_cast<off_t>(half), name, onRead);
        });
    } catch (const std::system_error &) {
        return false;
    }
    const bool whole = firstGot == half && secondGot == size - half;
    return ::lseek(descriptor, whole ? start + static_cast<off_t>(size) : start, SEEK_SET) >= 0 && whole;
}

// Reads a stream of unknown length, doubling the block whenever it fills up; what a pipe
// left unused is given back, so many small inputs cost what they hold.
ListFileContents readStream(int descriptor, std::size_t expectedSize, const std::string &name, const BytesRead &onRead,
                            Lines lines)
{
    auto block = std::make_unique<ByteBlock>(expectedSize > 0 ? expectedSize + 1 : kFirstPipeChunk);
    std::size_t filled = 0;
    if (expectedSize >= kWorthTwoReaders && readHalves(descriptor, block->data(), expectedSize, name, onRead))
        filled = expectedSize;
    for (;;) {
        filled += readInto(descriptor, block->data() + filled, block->size() - filled, name, onRead);
        if (filled < block->size())
            break;
        auto larger = std::make_unique<ByteBlock>(block->size() * 2);
        std::memcpy(larger->data(), block->data(), filled);
        block = std::move(larger);
    }
    if (block->size() - filled > filled / 4 + 1)
        block = exactBlock(std::move(block), filled);
    return parseFirstBytes(std::move(block), filled, lines);
}

} // namespace

ListFileContents parseListBytes(std::unique_ptr<ByteBlock> bytes, Lines lines)
{
    const std::size_t size = bytes->size();
    return parseFirstBytes(std::move(bytes), size, lines);
}

ListFileContents readListFile(const std::string &path, Readable readable, ReadBy by, const BytesRead &onRead)
{
    const FileDescriptor file = openForReading(path, readable);
    if (by == ReadBy::Mapping)
        return mapListFromDescriptor(file.get(), path);
    return readListFromDescriptor(file.get(), path, onRead);
}

ListFileContents mapListFromDescriptor(int descriptor, const std::string &displayName, const BytesMapped &mapped,
                                       Lines lines)
{
    if (auto bytes = mapFileBytes(descriptor, remainingFileSize(descriptor))) {
        const std::size_t size = bytes->size();
        if (mapped)
            mapped(bytes->data(), size);
        return parseFirstBytes(std::move(bytes), size, lines);
    }
    return readListFromDescriptor(descriptor, displayName, {}, lines);
}

ListFileContents readListFromDescriptor(int descriptor, const std::string &displayName, const BytesRead &onRead,
                                        Lines lines)
{
    refuseUnreadable(descriptor, displayName, Readable::AnySource);
    // A regular file is read in one go into a block one byte larger than what is left of
    // it, so the read that finds its end needs no second block.
    return readStream(descriptor, remainingFileSize(descriptor), displayName, onRead, lines);
}

} // namespace Quorvane
