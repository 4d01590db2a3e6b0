#pragma once

#include <cstddef>
#include <string_view>

namespace Quorvane {

// Why a text is not one valid mailbox, or Valid. The order is the order summaries name them in.
enum class AddressRefusal {
    Valid,
    Blank,             // no address at all
    SeveralAddresses,  // commas or semicolons outside quotes and angle brackets part addresses
    NoAtSign,
    BadLocalPart,
    BadDomain,
    BadAddressLiteral,
    TooLong,           // local part over 64 octets, domain over 255 (a label over 63), address over 254
    // Refused only under the common rules: valid, but what mail services commonly refuse.
    QuotedLocalPart,
    AddressLiteral,
    SingleLabelDomain,
    NumericTopLevelDomain,
};
inline constexpr std::size_t kAddressRefusalCount = 12;

// Judges one bare address, in UTF-8, by the mailbox grammar of SMTP with its UTF-8 extension:
// a dot-atom or quoted local part, "@", then a domain name or an address literal ([192.0.2.1],
// [IPv6:2001:db8::1]). With common, also refuses quoted local parts, address literals,
// single-label domains and all-numeric top-level domains.
AddressRefusal judgeMailbox(std::string_view address, bool common);

} // namespace Quorvane
