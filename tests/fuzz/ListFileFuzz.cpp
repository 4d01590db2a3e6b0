// Feeds arbitrary bytes to the list file reader. Checks bytes kept as they are against a
// byte-by-byte splitter, decoded UTF-16 for valid UTF-8 without line ends, the streaming
// reader (in batches of a size the input chooses) against the whole read, and that writing the
// items and reading them back gives the same items.

#include "tests/support/ListTexts.h"

#include "files/ListFile.h"
#include "files/ListStreamReader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Quorvane;
using Samples::textsOf;

namespace {

std::vector<std::string> splitByteByByte(const uint8_t *data, size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    bool lineOpen = false;
    for (size_t i = 0; i < size; ++i) {
        const char byte = static_cast<char>(data[i]);
        if (byte == '\r' || byte == '\n') {
            lines.push_back(line);
            line.clear();
            lineOpen = false;
            if (byte == '\r' && i + 1 < size && data[i + 1] == '\n')
                ++i;
        } else {
            line += byte;
            lineOpen = true;
        }
    }
    if (lineOpen)
        lines.push_back(line);
    return lines;
}

ListFileContents parse(const uint8_t *data, size_t size)
{
    auto block = std::make_unique<ByteBlock>(size);
    if (size)
        std::memcpy(block->data(), data, size);
    return parseListBytes(std::move(block));
}

int memoryFile(const uint8_t *data, size_t size)
{
    const int descriptor = memfd_create("list", 0);
    if (descriptor < 0 || (size > 0 && pwrite(descriptor, data, size, 0) != static_cast<ssize_t>(size)))
        std::abort();
    return descriptor;
}

std::string writtenBytes(const ItemList &list)
{
    const int descriptor = memfd_create("list", 0);
    if (descriptor < 0)
        std::abort();
    writeListToDescriptor(list.texts(), descriptor, "memory");
    std::string bytes(static_cast<size_t>(lseek(descriptor, 0, SEEK_END)), '\0');
    if (pread(descriptor, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    close(descriptor);
    return bytes;
}

bool isUtf8WithoutLineEnds(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size() || lead == '\r' || lead == '\n')
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

void checkStreamedEqualsWhole(const uint8_t *data, size_t size, const ListFileContents &whole)
{
    const int descriptor = memoryFile(data, size);
    const size_t batchBytes = size > 0 ? 16 + data[size - 1] % 64 : 16;
    ListStreamReader reader(descriptor, "memory", batchBytes);
    std::vector<std::string> streamed;
    while (!reader.atEnd()) {
        const ItemList batch = reader.nextBatch();
        for (const std::string_view text : batch.texts())
            streamed.emplace_back(text);
    }
    close(descriptor);
    const ListFileFormat &format = reader.format();
    if (streamed != textsOf(whole.list) || format.encoding != whole.format.encoding
        || format.byteOrderMarkDropped != whole.format.byteOrderMarkDropped
        || format.firstLineEnd != whole.format.firstLineEnd)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ListFileContents contents = parse(data, size);
    const ItemList &items = contents.list;
    if (contents.format.decodedFromUtf16()) {
        for (const std::string_view text : items.texts()) {
            if (!isUtf8WithoutLineEnds(text))
                std::abort();
        }
    } else {
        const size_t dropped = contents.format.byteOrderMarkDropped ? 3 : 0;
        if (textsOf(items) != splitByteByByte(data + dropped, size - dropped))
            std::abort();
    }
    checkStreamedEqualsWhole(data, size, contents);

    // A first item that itself starts as a mark would be taken for one when read back.
    const std::string written = writtenBytes(items);
    const EncodingGuess guess = guessEncoding(written);
    if (guess.encoding != TextEncoding::Bytes || guess.byteOrderMarkSize > 0)
        return 0;
    const ListFileContents reread = parse(reinterpret_cast<const uint8_t *>(written.data()), written.size());
    if (textsOf(reread.list) != textsOf(items))
        std::abort();
    return 0;
}
