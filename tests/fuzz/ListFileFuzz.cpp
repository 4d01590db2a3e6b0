// Feeds arbitrary bytes to the list file reader. Checks them against a byte-by-byte splitter,
// and that writing the items and reading them back gives the same items.

#include "tests/support/ListTexts.h"

#include "files/ListFile.h"

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

ItemList parse(const uint8_t *data, size_t size)
{
    auto block = std::make_unique<ByteBlock>(size);
    if (size)
        std::memcpy(block->data(), data, size);
    return parseListBytes(std::move(block));
}

std::string writtenBytes(const ItemList &list)
{
    const int descriptor = memfd_create("list", 0);
    if (descriptor < 0)
        std::abort();
    writeListToDescriptor(list, descriptor, "memory");
    std::string bytes(static_cast<size_t>(lseek(descriptor, 0, SEEK_END)), '\0');
    if (pread(descriptor, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    close(descriptor);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ItemList items = parse(data, size);
    if (textsOf(items) != splitByteByByte(data, size))
        std::abort();

    const std::string written = writtenBytes(items);
    const ItemList reread = parse(reinterpret_cast<const uint8_t *>(written.data()), written.size());
    if (textsOf(reread) != textsOf(items))
        std::abort();
    return 0;
}
