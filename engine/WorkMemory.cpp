#include "WorkMemory.h"

#include <algorithm>
#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace Quorvane {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kCacheLine = 64;

std::align_val_t alignmentFor(std::size_t bytes)
{
    return std::align_val_t(bytes < kHugePage ? kCacheLine : kHugePage);
}

} // namespace

void *allocateWorkMemory(std::size_t bytes)
{
    if (bytes < kHugePage)
        return ::operator new(std::max<std::size_t>(bytes, 1), alignmentFor(bytes));
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void *memory = ::operator new(rounded, alignmentFor(bytes));
    adviseHugePages(memory, rounded);
    return memory;
}

void releaseWorkMemory(void *memory, std::size_t bytes) noexcept
{
    ::operator delete(memory, alignmentFor(bytes));
}

void adviseHugePages(void *start, std::size_t bytes) noexcept
{
#ifdef __linux__
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t first = (address + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t end = (address + bytes) / kHugePage * kHugePage;
    if (end > first)
        madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}

} // namespace Quorvane
