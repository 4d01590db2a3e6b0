#pragma once

// QUORVANE_ADDRESS_SANITIZER is 1 in a build under AddressSanitizer, whichever compiler made it:
// GCC says so with __SANITIZE_ADDRESS__, clang only through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define QUORVANE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVANE_ADDRESS_SANITIZER 1
#endif
#endif

#ifndef QUORVANE_ADDRESS_SANITIZER
#define QUORVANE_ADDRESS_SANITIZER 0
#endif

#include <cstddef>

namespace Quorvane::Testing {

// How many items make work last long enough to be watched (a bar that moves, a window that
// breathes meanwhile): under AddressSanitizer every step takes several times as long, so a
// quarter of the items last about as long as the whole in an optimised build.
constexpr std::size_t itemsForLongWork(std::size_t optimised)
{
    return QUORVANE_ADDRESS_SANITIZER ? optimised / 4 : optimised;
}

} // namespace Quorvane::Testing
