#pragma once

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
//   double or single quotes and a leading "mailto:" (any case), and its case is folded.
// - otherIsPatterns: the second list of remove-matches and keep-matches holds patterns
//   (PatternSet.h) that items match by their keys; keys themselves do not change.
// The item that stays in a list is always the original text; only the comparison changes.
struct MatchMode
{
    bool ignoreCase = false;
    bool trim = false;
    bool email = false;
    bool otherIsPatterns = false;

    bool isExact() const { return !ignoreCase && !trim && !email; }
    // The with/without filters ignore case in both of these modes and never trim.
    bool foldsCase() const { return ignoreCase || email; }
};

// Whether text is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text);

// Makes the comparable form of items (their key) under one mode. The key is a view of the item
// itself when only its ends are cut off, otherwise a view of a buffer that the next call reuses.
class KeyMaker
{
public:
    explicit KeyMaker(const MatchMode &mode);

    std::string_view keyOf(std::string_view text);
    // The text with its case folded and nothing else changed, as the filters search it.
    std::string_view foldedOf(std::string_view text);
    // Whether key lies in this maker's buffer, so it must be copied to outlive the next call.
    bool isScratch(std::string_view key) const { return !key.empty() && key.data() == m_buffer.data(); }

private:
    // Folds text from its first byte that may change (first); what comes before stays as it is.
    std::string_view fold(std::string_view text, std::size_t first, bool latin1);

    MatchMode m_mode;
    std::string m_buffer;
};

// The key of one text, for callers outside the hot loops.
std::string matchKey(std::string_view text, const MatchMode &mode);

} // namespace Quorvane
