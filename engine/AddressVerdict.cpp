#include "AddressVerdict.h"

#include "Matching.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace Quorvane {

namespace {

// What follows the count of lines refused for each reason.
constexpr std::array<std::string_view, kAddressRefusalCount> kReasonPhrases = {
    "valid",
    "blank",
    "with several addresses",
    "without an @",
    "with an invalid local part",
    "with an invalid domain",
    "with an invalid address literal",
    "too long",
    "with a quoted local part",
    "with an address literal",
    "with a single-label domain",
    "with an all-numeric top-level domain",
};

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Whether line holds a comma or a semicolon anywhere. Most lines hold neither, so this looks at
// eight bytes at a time.
bool holdsSeparator(std::string_view line)
{
    constexpr std::uint64_t kEachByte = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    // Exact for whether any byte of word equals the byte that pattern repeats.
    const auto holdsByte = [](std::uint64_t word, std::uint64_t pattern) {
        const std::uint64_t zeroWhereEqual = word ^ pattern;
        return ((zeroWhereEqual - kEachByte) & ~zeroWhereEqual & kHighBits) != 0;
    };
    std::size_t i = 0;
    for (; line.size() - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, line.data() + i, sizeof word);
        if (holdsByte(word, kEachByte * ',') || holdsByte(word, kEachByte * ';'))
            return true;
    }
    return std::any_of(line.begin() + std::ptrdiff_t(i), line.end(), [](char c) { return c == ',' || c == ';'; });
}

std::string utf8FromLatin1(std::string_view text)
{
    std::string utf8;
    utf8.reserve(2 * text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += char(0xC0 | (byte >> 6));
            utf8 += char(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

AddressRefusal judgeUtf8Line(std::string_view line, bool common)
{
    if (holdsSeveralAddresses(line))
        return AddressRefusal::SeveralAddresses;
    // What the e-mail mode takes out once may still be wrapped ("'<ann@x.org>'"); its own
    // compared form is then unwrapped once more, and both are judged alike.
    std::string_view address = emailAddressIn(line);
    for (std::string_view inner = emailAddressIn(address); inner != address; inner = emailAddressIn(address))
        address = inner;
    return address.empty() ? AddressRefusal::Blank : judgeMailbox(address, common);
}

} // namespace

bool holdsSeveralAddresses(std::string_view line)
{
    if (!holdsSeparator(line))
        return false;
    int pieces = 0;
    bool filled = false; // the piece so far holds more than white space
    bool quoted = false;
    int angles = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            ++angles;
        } else if (c == '>' && angles > 0) {
            --angles;
        } else if ((c == ',' || c == ';') && angles == 0) {
            pieces += filled ? 1 : 0;
            filled = false;
            continue;
        } else if (isAsciiSpace(c)) {
            continue;
        }
        filled = true;
    }
    return pieces + (filled ? 1 : 0) > 1;
}

AddressRefusal judgeAddressLine(std::string_view line, bool common)
{
    if (!isValidUtf8(line))
        return judgeUtf8Line(utf8FromLatin1(line), common);
    return judgeUtf8Line(line, common);
}

RefusalCounts &RefusalCounts::operator+=(const RefusalCounts &other)
{
    for (std::size_t i = 0; i < m_counts.size(); ++i)
        m_counts[i] += other.m_counts[i];
    return *this;
}

std::uint64_t RefusalCounts::total() const
{
    return std::accumulate(m_counts.begin() + 1, m_counts.end(), std::uint64_t(0));
}

std::string RefusalCounts::described() const
{
    std::string text;
    for (std::size_t i = 1; i < m_counts.size(); ++i) {
        if (m_counts[i] == 0)
            continue;
        if (!text.empty())
            text += ", ";
        text += std::to_string(m_counts[i]) + ' ' + std::string(kReasonPhrases[i]);
    }
    return text;
}

} // namespace Quorvane
