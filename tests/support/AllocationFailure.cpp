#include "AllocationFailure.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace Quorvane::AllocationFailure {

namespace {

int s_countdown = -1;
std::size_t s_smallest = kLargeAllocation;
bool s_failed = false;

bool shouldFail(std::size_t size)
{
    if (size < s_smallest || s_countdown < 0)
        return false;
    if (s_countdown-- > 0)
        return false;
    s_failed = true;
    return true;
}

void *allocate(std::size_t size, std::size_t alignment)
{
    if (shouldFail(size))
        throw std::bad_alloc();
    const std::size_t rounded = (std::max<std::size_t>(size, 1) + alignment - 1) / alignment * alignment;
    void *memory = alignment <= alignof(std::max_align_t) ? std::malloc(rounded)
                                                          : std::aligned_alloc(alignment, rounded);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

} // namespace

void arm(int skipped, std::size_t smallest)
{
    s_countdown = skipped;
    s_smallest = smallest;
    s_failed = false;
}

bool disarm()
{
    s_countdown = -1;
    return s_failed;
}

} // namespace Quorvane::AllocationFailure

using Quorvane::AllocationFailure::allocate;

void *operator new(std::size_t size)
{
    return allocate(size, alignof(std::max_align_t));
}

void *operator new[](std::size_t size)
{
    return allocate(size, alignof(std::max_align_t));
}

void *operator new(std::size_t size, std::align_val_t alignment)
{
    return allocate(size, static_cast<std::size_t>(alignment));
}

void *operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void *memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}
