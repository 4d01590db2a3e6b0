#pragma once

#include "engine/AddressKeys.h"
#include "engine/KeyField.h"
#include "engine/TextReading.h"

#include <cstddef>
#include <cstdint>
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
// The modes apply to the item's key field (KeyField.h): the whole item, or one column of a row.
// - otherIsPatterns: the second list of remove-matches and keep-matches holds patterns
//   (PatternSet.h) that items match by their keys; keys themselves do not change.
// The item that stays in a list is always the original text; only the comparison changes.
// - commonAddresses: changes no key; validate then also refuses what mail services commonly
//   refuse (MailboxGrammar.h).
struct MatchMode
{
    bool ignoreCase = false;
    bool trim = false;
    bool email = false;
    bool commonAddresses = false;
    bool providerAliases = false;
    bool asciiDomains = false;
    KeyField field = {};      // of the list itself
    KeyField otherField = {}; // of the list it is compared with
    bool otherIsPatterns = false;

    bool readsAddresses() const { return email || providerAliases; }
    bool isExact() const { return !ignoreCase && !trim && !readsAddresses() && field.isWholeItem(); }
    // The mode that makes the keys of the other list: its own key field.
    MatchMode forOtherList() const
    {
        MatchMode other = *this;
        other.field = otherField;
        return other;
    }
    // The with/without filters ignore case in both of these modes and never trim.
    bool foldsCase() const { return ignoreCase || readsAddresses(); }
};

// Whether items have the same keys under a as under b (which may still differ in what they do
// with the keys, such as reading the other list as patterns).
inline bool makesSameKeys(const MatchMode &a, const MatchMode &b)
{
    return a.ignoreCase == b.ignoreCase && a.trim == b.trim && a.email == b.email
           && a.providerAliases == b.providerAliases && a.field == b.field;
}

// Makes the comparable form of items (their key) under one mode: first the key field, then the
// modes applied to it. The key is a view of the item itself when only its ends are cut off or an
// unquoted field is taken, otherwise a view of a buffer that the next call reuses. A row with
// fewer fields than the key column has a blank key.
class KeyMaker
{
public:
    // Writing makes the form normalize writes, which differs only in how domains are spelt.
    explicit KeyMaker(const MatchMode &mode, AddressKeys::Use use = AddressKeys::Use::Comparing);

    std::string_view keyOf(std::string_view text);
    // The item's key field, unquoted, before any mode; empty for a row too short to have it.
    std::string_view fieldOf(std::string_view text)
    {
        if (m_mode.field.isWholeItem())
            return text;
        return fieldText(text, m_mode.field, m_fieldBuffer).value_or(text.substr(0, 0));
    }
    // The text with its case folded and nothing else changed, as the filters search it.
    std::string_view foldedOf(std::string_view text);
    // Whether key lies in this maker's buffer, so it must be copied to outlive the next call.
    bool isScratch(std::string_view key) const
    {
        return !key.empty() && (key.data() == m_buffer.data() || liesIn(key, m_fieldBuffer) || m_addresses.holds(key));
    }

private:
    // A key cut from the unquoted field may start anywhere in its buffer.
    static bool liesIn(std::string_view key, const std::string &buffer)
    {
        const auto at = reinterpret_cast<std::uintptr_t>(key.data());
        const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
        return at >= start && at < start + buffer.size();
    }

    // Folds text from its first byte that may change (first); what comes before stays as it is.
    std::string_view fold(std::string_view text, std::size_t first, bool latin1);

    MatchMode m_mode;
    std::string m_buffer;
    std::string m_fieldBuffer; // the key field when unquoting changed it
    AddressKeys m_addresses;
};

// The address that the e-mail mode takes out of text, before its case is folded: a view of text.
std::string_view emailAddressIn(std::string_view text);

// The key of one text, for callers outside the hot loops.
std::string matchKey(std::string_view text, const MatchMode &mode);

} // namespace Quorvane
