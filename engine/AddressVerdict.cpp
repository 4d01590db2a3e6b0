#include "AddressVerdict.h"

#include "AddressList.h"
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
    // A line parted by commas or semicolons is judged by its one address, as the e-mail mode
    // compares it ("ann@x.org;" is ann@x.org); one of several addresses is refused.
    if (maySeparateAddresses(line)) {
        const std::vector<std::string_view> addresses = addressesOf(line);
        if (addresses.size() > 1)
            return AddressRefusal::SeveralAddresses;
        if (addresses.size() == 1)
            line = addresses.front();
    }
    // What the e-mail mode takes out may still be wrapped ("'<ann@x.org>'") or parted
    // ("\"a@x.org;\""): the compared form is read again as a line, as it would be on its own.
    const std::string_view address = emailAddressIn(line);
    if (address != line)
        return judgeUtf8Line(address, common);
    return address.empty() ? AddressRefusal::Blank : judgeMailbox(address, common);
}

} // namespace

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
