#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Quorvane {

// A size such as 256M: a whole number of bytes, or of K, M or G (1024, 1024², 1024³ bytes;
// either case). Nothing for an empty text, zero, another suffix or a size past 64 bits.
std::optional<std::uint64_t> parseMemorySize(std::string_view text);

// The limit when none is given: half of what the kernel reports as available (MemAvailable in
// meminfo, a /proc/meminfo text), so a run leaves room for the page cache and other programs.
// 1 GiB when meminfo does not say.
std::uint64_t defaultMemoryLimitFrom(std::string_view meminfo);
std::uint64_t defaultMemoryLimit();

// What the in-memory run needs for lists read from this many bytes: the bytes themselves, the
// item views, the hashes and partitions and the removal flags come to about three times the
// input; keys under a matching mode add one more copy.
std::uint64_t inMemoryEstimate(std::uint64_t inputBytes, bool keysDiffer);
// How many input bytes the in-memory run can take on in spare bytes of memory.
std::uint64_t inputBytesWithin(std::uint64_t spare, bool keysDiffer);

} // namespace Quorvane
