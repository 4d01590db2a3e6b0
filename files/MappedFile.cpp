#include "MappedFile.h"

#include <sys/mman.h>

namespace Quorvane {

namespace {

class MappedBytes final : public ByteBlock
{
public:
    MappedBytes(char *mapped, std::size_t size)
        : ByteBlock(mapped, size)
    {}
    ~MappedBytes() override { ::munmap(data(), size()); }
};

} // namespace

std::unique_ptr<ByteBlock> mapFileBytes(int descriptor, std::size_t size)
{
    if (size == 0)
        return nullptr;
    void *mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    // Every operation reads the texts from first to last at least once.
    ::madvise(mapped, size, MADV_WILLNEED);
    return std::make_unique<MappedBytes>(static_cast<char *>(mapped), size);
}

} // namespace Quorvane
