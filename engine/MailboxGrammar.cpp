#include "MailboxGrammar.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>

namespace Quorvane {

namespace {

constexpr std::size_t kMaxLocalPart = 64;
constexpr std::size_t kMaxDomain = 255;
constexpr std::size_t kMaxLabel = 63;
constexpr std::size_t kMaxAddress = 254;
constexpr std::size_t kNone = std::string_view::npos;

using Byte = unsigned char;

constexpr bool isAsciiLetter(Byte c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

constexpr bool isDigit(Byte c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(Byte c)
{
    return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

bool isAllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return isDigit(Byte(c)); });
}

// What an unquoted local part may hold in ASCII besides the dots between atoms, one flag a byte.
constexpr std::array<bool, 128> kAtomCharacters = [] {
    std::array<bool, 128> characters{};
    for (const char c : std::string_view("!#$%&'*+-/=?^_`{|}~"))
        characters[Byte(c)] = true;
    for (int c = 0; c < 128; ++c)
        characters[c] = characters[c] || isAsciiLetter(Byte(c)) || isDigit(Byte(c));
    return characters;
}();

// The length of the well-formed UTF-8 character at text[at] (and the character), 0 when there is none.
std::size_t characterAt(std::string_view text, std::size_t at, utf8proc_int32_t &character)
{
    const auto *bytes = reinterpret_cast<const utf8proc_uint8_t *>(text.data() + at);
    const utf8proc_ssize_t length = utf8proc_iterate(bytes, utf8proc_ssize_t(text.size() - at), &character);
    return length > 0 ? std::size_t(length) : 0;
}

std::size_t nonAsciiAt(std::string_view text, std::size_t at)
{
    utf8proc_int32_t character = 0;
    return characterAt(text, at, character);
}

// A letter, mark or decimal digit of any script: what a label of an international domain is made of.
bool isLabelCharacter(utf8proc_int32_t character)
{
    switch (utf8proc_category(character)) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_MC:
    case UTF8PROC_CATEGORY_ME:
    case UTF8PROC_CATEGORY_ND:
        return true;
    default:
        return false;
    }
}

// Whether every character of text is well-formed and passes its test: acceptsAscii(byte) below
// 0x80, acceptsOther(code point) beyond.
template<typename AcceptsAscii, typename AcceptsOther>
bool everyCharacter(std::string_view text, AcceptsAscii &&acceptsAscii, AcceptsOther &&acceptsOther)
{
    for (std::size_t i = 0; i < text.size();) {
        const Byte c = Byte(text[i]);
        utf8proc_int32_t character = c;
        const std::size_t length = c < 0x80 ? (acceptsAscii(c) ? 1 : 0) : characterAt(text, i, character);
        if (length == 0 || (c >= 0x80 && !acceptsOther(character)))
            return false;
        i += length;
    }
    return true;
}

// Atoms of letters, digits, the atom symbols and any non-ASCII character, joined by single dots.
bool isDotString(std::string_view local)
{
    if (local.empty() || local.front() == '.' || local.back() == '.' || local.find("..") != kNone)
        return false;
    return everyCharacter(
        local, [](Byte c) { return c == '.' || kAtomCharacters[c]; }, [](utf8proc_int32_t) { return true; });
}

// Where the quoted string that starts text ends, after its closing quote; kNone when it is not one.
// Inside, any printable ASCII character but the quote and the backslash stands for itself, as does
// a space or a non-ASCII character; a backslash takes the printable character or space after it.
std::size_t quotedStringEnd(std::string_view text)
{
    for (std::size_t i = 1; i < text.size();) {
        const Byte c = Byte(text[i]);
        std::size_t length = 1;
        if (c == '"')
            return i + 1;
        if (c == '\\')
            length = i + 1 < text.size() && Byte(text[i + 1]) >= 32 && Byte(text[i + 1]) <= 126 ? 2 : 0;
        else if (c >= 0x80)
            length = nonAsciiAt(text, i);
        else if (c < 32 || c == 127)
            length = 0;
        if (length == 0)
            return kNone;
        i += length;
    }
    return kNone;
}

// Letters, digits and hyphens, not at either end; a label of an international domain may also
// hold letters, marks and digits of other scripts.
bool isLabel(std::string_view label)
{
    if (label.empty() || label.front() == '-' || label.back() == '-')
        return false;
    return everyCharacter(
        label, [](Byte c) { return isAsciiLetter(c) || isDigit(c) || c == '-'; }, isLabelCharacter);
}

AddressRefusal judgeDomainName(std::string_view domain)
{
    bool labelTooLong = false;
    std::size_t from = 0;
    for (;;) {
        const std::size_t dot = domain.find('.', from);
        const std::string_view label = domain.substr(from, dot == kNone ? kNone : dot - from);
        if (!isLabel(label))
            return AddressRefusal::BadDomain;
        labelTooLong = labelTooLong || label.size() > kMaxLabel;
        if (dot == kNone)
            break;
        from = dot + 1;
    }
    return labelTooLong || domain.size() > kMaxDomain ? AddressRefusal::TooLong : AddressRefusal::Valid;
}

// A decimal number from 0 to 255 in one to three digits.
bool isIpv4Part(std::string_view part)
{
    if (part.empty() || part.size() > 3 || !isAllDigits(part))
        return false;
    int value = 0;
    for (const char digit : part)
        value = value * 10 + (digit - '0');
    return value <= 255;
}

bool isIpv4(std::string_view text)
{
    for (int part = 0; part < 3; ++part) {
        const std::size_t dot = text.find('.');
        if (dot == kNone || !isIpv4Part(text.substr(0, dot)))
            return false;
        text.remove_prefix(dot + 1);
    }
    return isIpv4Part(text);
}

// How many groups of one to four hex digits, joined by colons, text holds; -1 when it holds
// anything else. Empty text holds none.
int hexGroups(std::string_view text)
{
    if (text.empty())
        return 0;
    int groups = 0;
    for (;;) {
        const std::size_t colon = text.find(':');
        const std::string_view group = text.substr(0, colon);
        const bool hex = std::all_of(group.begin(), group.end(), [](char c) { return isHexDigit(Byte(c)); });
        if (group.empty() || group.size() > 4 || !hex)
            return -1;
        ++groups;
        if (colon == kNone)
            return groups;
        text.remove_prefix(colon + 1);
    }
}

// Eight groups, or fewer with "::" standing for at least two groups of zeros; an IPv4 address
// may stand for the last two.
bool isIpv6(std::string_view text)
{
    int groups = 8;
    const std::size_t lastColon = text.rfind(':');
    if (lastColon != kNone && text.find('.', lastColon) != kNone) {
        if (!isIpv4(text.substr(lastColon + 1)))
            return false;
        text = text.substr(0, lastColon + 1);
        if (!text.ends_with("::"))
            text.remove_suffix(1);
        groups = 6;
    }
    const std::size_t compression = text.find("::");
    if (compression == kNone)
        return hexGroups(text) == groups;
    if (text.find("::", compression + 1) != kNone)
        return false;
    const int before = hexGroups(text.substr(0, compression));
    const int after = hexGroups(text.substr(compression + 2));
    return before >= 0 && after >= 0 && before + after <= groups - 2;
}

bool startsWithIpv6Tag(std::string_view text)
{
    constexpr std::string_view kTag = "ipv6:";
    if (text.size() < kTag.size())
        return false;
    for (std::size_t i = 0; i < kTag.size(); ++i) {
        const Byte c = Byte(text[i]);
        if ((c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : char(c)) != kTag[i])
            return false;
    }
    return true;
}

// "[192.0.2.1]" or "[IPv6:2001:db8::1]"; other tags are registered for none.
AddressRefusal judgeAddressLiteral(std::string_view domain)
{
    if (domain.size() < 2 || domain.back() != ']')
        return AddressRefusal::BadAddressLiteral;
    const std::string_view inside = domain.substr(1, domain.size() - 2);
    const bool valid = startsWithIpv6Tag(inside) ? isIpv6(inside.substr(5)) : isIpv4(inside);
    return valid ? AddressRefusal::Valid : AddressRefusal::BadAddressLiteral;
}

// Where the local part ends (at its "@"), or the refusal when it is not well-formed.
AddressRefusal findLocalPartEnd(std::string_view address, std::size_t &at)
{
    if (address.front() == '"') {
        at = quotedStringEnd(address);
        if (at != kNone && at < address.size() && address[at] == '@')
            return AddressRefusal::Valid;
        const std::size_t anyAt = address.find('@', at == kNone ? 0 : at);
        return anyAt == kNone ? AddressRefusal::NoAtSign : AddressRefusal::BadLocalPart;
    }
    at = address.find('@');
    if (at == kNone)
        return AddressRefusal::NoAtSign;
    return isDotString(address.substr(0, at)) ? AddressRefusal::Valid : AddressRefusal::BadLocalPart;
}

AddressRefusal commonRefusal(std::string_view address, std::string_view domain)
{
    if (address.front() == '"')
        return AddressRefusal::QuotedLocalPart;
    if (domain.front() == '[')
        return AddressRefusal::AddressLiteral;
    const std::size_t lastDot = domain.rfind('.');
    if (lastDot == kNone)
        return AddressRefusal::SingleLabelDomain;
    return isAllDigits(domain.substr(lastDot + 1)) ? AddressRefusal::NumericTopLevelDomain : AddressRefusal::Valid;
}

} // namespace

AddressRefusal judgeMailbox(std::string_view address, bool common)
{
    if (address.empty())
        return AddressRefusal::Blank;
    std::size_t at = 0;
    if (const AddressRefusal local = findLocalPartEnd(address, at); local != AddressRefusal::Valid)
        return local;
    const std::string_view domain = address.substr(at + 1);
    if (domain.empty())
        return AddressRefusal::BadDomain;
    const AddressRefusal verdict = domain.front() == '[' ? judgeAddressLiteral(domain) : judgeDomainName(domain);
    if (verdict != AddressRefusal::Valid)
        return verdict;
    if (at > kMaxLocalPart || address.size() > kMaxAddress)
        return AddressRefusal::TooLong;
    return common ? commonRefusal(address, domain) : AddressRefusal::Valid;
}

} // namespace Quorvane
