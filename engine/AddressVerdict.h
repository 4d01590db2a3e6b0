#pragma once

#include "engine/MailboxGrammar.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace Quorvane {

// Judges the address that the e-mail mode compares in line (Matching.h), so display names,
// "mailto:", quotes and angle brackets around it are accepted, also wrapped in each other in any
// order; a line that holds several addresses is refused for that. A line that is not UTF-8 is read as Latin-1, as matching reads it.
AddressRefusal judgeAddressLine(std::string_view line, bool common);

// How many lines were refused, by reason.
class RefusalCounts
{
public:
    void add(AddressRefusal refusal) { ++m_counts[std::size_t(refusal)]; }
    RefusalCounts &operator+=(const RefusalCounts &other);

    std::uint64_t of(AddressRefusal refusal) const { return m_counts[std::size_t(refusal)]; }
    std::uint64_t total() const;
    // "2 without an @, 1 too long", in the order of the reasons; empty when none was refused.
    std::string described() const;

private:
    std::array<std::uint64_t, kAddressRefusalCount> m_counts{};
};

} // namespace Quorvane
