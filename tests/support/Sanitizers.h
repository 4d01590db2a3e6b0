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
