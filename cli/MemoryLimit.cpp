#include "MemoryLimit.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace Quorvane {

namespace {

constexpr std::uint64_t kFallbackLimit = std::uint64_t(1) << 30;
constexpr std::uint64_t kFixedOverhead = std::uint64_t(16) << 20;

std::optional<unsigned> shiftOfSuffix(char suffix)
{
    switch (suffix) {
    case 'K': case 'k': return 10;
    case 'M': case 'm': return 20;
    case 'G': case 'g': return 30;
    default: return std::nullopt;
    }
}

std::uint64_t bytesPerInputByte(bool keysDiffer)
{
    return keysDiffer ? 4 : 3;
}

} // namespace

std::optional<std::uint64_t> parseMemorySize(std::string_view text)
{
    unsigned shift = 0;
    if (!text.empty() && !(text.back() >= '0' && text.back() <= '9')) {
        const std::optional<unsigned> suffixShift = shiftOfSuffix(text.back());
        if (!suffixShift)
            return std::nullopt;
        shift = *suffixShift;
        text.remove_suffix(1);
    }
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number == 0)
        return std::nullopt;
    if (number > (std::numeric_limits<std::uint64_t>::max() >> shift))
        return std::nullopt;
    return number << shift;
}

std::uint64_t defaultMemoryLimitFrom(std::string_view meminfo)
{
    constexpr std::string_view kKey = "MemAvailable:";
    const std::size_t at = meminfo.find(kKey);
    if (at == std::string_view::npos)
        return kFallbackLimit;
    std::string_view rest = meminfo.substr(at + kKey.size());
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    std::uint64_t kibibytes = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), kibibytes);
    if (error != std::errc() || kibibytes == 0 || !std::string_view(end, rest.data() + rest.size()).starts_with(" kB"))
        return kFallbackLimit;
    return kibibytes * 1024 / 2;
}

std::uint64_t defaultMemoryLimit()
{
    std::ifstream file("/proc/meminfo");
    const std::string meminfo{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return defaultMemoryLimitFrom(meminfo);
}

std::uint64_t inMemoryEstimate(std::uint64_t inputBytes, bool keysDiffer)
{
    return bytesPerInputByte(keysDiffer) * inputBytes + kFixedOverhead;
}

std::uint64_t inputBytesWithin(std::uint64_t spare, bool keysDiffer)
{
    return spare / bytesPerInputByte(keysDiffer);
}

} // namespace Quorvane
