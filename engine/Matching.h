#pragma once

#include "engine/AddressKeys.h"
#include "engine/TextReading.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Quorvane {

// How two items compare. Exact (all off) compares the bytes; the modes combine.
//
// An item that is valid UTF-8 is read as UTF-8; any other item is read as Latin-1, the way the
// window shows it, so what the user sees and what matches agree.
// - ignoreCase: full Unicode case folding (so "Straße" matches "STRASSE"). The folded form of a
//   Latin-1 item is written in UTF-8, so "caf\xE9" and "café" match when case is ignored.
// - trim: white space at both ends does not count: space, tab, CR, LF, VT, FF, the Unicode
//   space separators (U+00A0 no-break space among them), U+200B and U+FEFF.
// - email: trim, then the address is taken out of "Display Name <addr>", "<addr>", surrounding
//   double or single quotes and a leading "mailto:" (any case). Its local part (before the last
//   "@") is composed (NFC) and simply case folded, so it keeps its length ("Straße" is not
//   "strasse"); with ignoreCase it is fully folded. Its domain is compared in its ASCII form
//   after UTS #46 processing ("bücher.de" is "xn--bcher-kva.de"; one that does not map, as its
//   text, case folded). A line of several addresses (AddressList.h) compares as the list of them.
// - providerAliases (with email): the mailbox a few large providers deliver to (ProviderAliases.h).
// - asciiDomains: normalize writes domains in their ASCII form rather than in lower-case
//   Unicode; comparisons do not change.
// The item that stays in a list is always the original text; only the comparison changes.
struct MatchMode
{
    bool ignoreCase = false;
    bool trim = false;
    bool email = false;
    bool providerAliases = false;
    bool asciiDomains = false;

    bool readsAddresses() const { return email || providerAliases; }
    bool isExact() const { return !ignoreCase && !trim && !readsAddresses(); }
    // The with/without filters ignore case in both of these modes and never trim.
    bool foldsCase() const { return ignoreCase || readsAddresses(); }
};

// Makes the comparable form of items (their key) under one mode. The key is a view of the item
// itself when only its ends are cut off, otherwise a view of a buffer that the next call reuses.
class KeyMaker
{
public:
    // Writing makes the form normalize writes, which differs only in how domains are spelt.
    explicit KeyMaker(const MatchMode &mode, AddressKeys::Use use = AddressKeys::Use::Comparing);

    std::string_view keyOf(std::string_view text);
    // The text with its case folded and nothing else changed, as the filters search it.
    std::string_view foldedOf(std::string_view text);
    // Whether key lies in this maker's buffer, so it must be copied to outlive the next call.
    bool isScratch(std::string_view key) const
    {
        return !key.empty() && (key.data() == m_buffer.data() || m_addresses.holds(key));
    }

private:
    // Folds text from its first byte that may change (first); what comes before stays as it is.
    std::string_view fold(std::string_view text, std::size_t first, bool latin1);

    MatchMode m_mode;
    std::string m_buffer;
    AddressKeys m_addresses;
};

// The key of one text, for callers outside the hot loops.
std::string matchKey(std::string_view text, const MatchMode &mode);

} // namespace Quorvane
