#include "ReferenceAddresses.h"

#include "ReferenceKeys.h"

#include <utf8proc.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace Quorvane::Reference {

namespace {

// The placeholders of the shape: a non-ASCII letter, mark or decimal digit; any other non-ASCII
// character; an ASCII control character (valid nowhere).
constexpr char kWordCharacter = '\x01';
constexpr char kOtherCharacter = '\x02';
constexpr char kControl = '\x03';

struct Shape
{
    std::string shape;
    std::vector<std::size_t> octets; // of the UTF-8 text before each place of the shape, and at its end
};

Shape shapeOf(const std::string &utf8)
{
    Shape shape;
    const auto *bytes = reinterpret_cast<const utf8proc_uint8_t *>(utf8.data());
    utf8proc_ssize_t at = 0;
    while (at < static_cast<utf8proc_ssize_t>(utf8.size())) {
        shape.octets.push_back(static_cast<std::size_t>(at));
        utf8proc_int32_t c = 0;
        at += utf8proc_iterate(bytes + at, static_cast<utf8proc_ssize_t>(utf8.size()) - at, &c);
        if (c < 0x20 || c == 0x7F) {
            shape.shape += kControl;
        } else if (c < 0x80) {
            shape.shape += static_cast<char>(c);
        } else {
            const utf8proc_category_t category = utf8proc_category(c);
            const bool word = (category >= UTF8PROC_CATEGORY_LU && category <= UTF8PROC_CATEGORY_ME)
                || category == UTF8PROC_CATEGORY_ND;
            shape.shape += word ? kWordCharacter : kOtherCharacter;
        }
    }
    shape.octets.push_back(utf8.size());
    return shape;
}

std::string repeatedGroups(int count, const std::string &hex)
{
    std::string groups;
    for (int i = 0; i < count; ++i)
        groups += i > 0 ? ":" + hex : hex;
    return groups;
}

// Every way of writing groups of an IPv6 address around "::": at most most groups besides it.
std::string compressed(int most, const std::string &hex, const std::string &tail)
{
    std::string ways;
    for (int before = 0; before <= most; ++before) {
        for (int after = 0; before + after <= most; ++after) {
            const std::string right = tail.empty() ? repeatedGroups(after, hex)
                                                   : repeatedGroups(after, hex) + (after > 0 ? ":" : "") + tail;
            if (!ways.empty())
                ways += '|';
            ways += repeatedGroups(before, hex);
            ways += "::";
            ways += right;
        }
    }
    return ways;
}

const std::regex &mailboxPattern()
{
    static const std::regex pattern = [] {
        const std::string atom = "[A-Za-z0-9!#$%&'*+/=?^_`{|}~\\x01\\x02-]+";
        const std::string dotString = atom + "(?:\\." + atom + ")*";
        const std::string quoted = "\"(?:[ !#-\\[\\]-~\\x01\\x02]|\\\\[ -~])*\"";
        const std::string label = "[A-Za-z0-9\\x01](?:[A-Za-z0-9\\x01-]*[A-Za-z0-9\\x01])?";
        const std::string domain = label + "(?:\\." + label + ")*";
        const std::string part = "(?:25[0-5]|2[0-4][0-9]|1[0-9][0-9]|0?[1-9][0-9]|0{0,2}[0-9])";
        const std::string ipv4 = part + "\\." + part + "\\." + part + "\\." + part;
        const std::string hex = "[0-9A-Fa-f]{1,4}";
        const std::string ipv6 = repeatedGroups(8, hex) + "|" + compressed(6, hex, "") + "|"
            + repeatedGroups(6, hex) + ":" + ipv4 + "|" + compressed(4, hex, ipv4);
        const std::string literal = "\\[(?:" + ipv4 + "|[Ii][Pp][Vv]6:(?:" + ipv6 + "))\\]";
        return std::regex("(" + dotString + "|" + quoted + ")@(" + domain + "|" + literal + ")");
    }();
    return pattern;
}

// The item in UTF-8: as it is when it is UTF-8, else each byte read as a Latin-1 character.
std::string utf8Item(std::string_view item)
{
    const auto *bytes = reinterpret_cast<const utf8proc_uint8_t *>(item.data());
    utf8proc_int32_t c = 0;
    for (utf8proc_ssize_t at = 0, step = 0; at < static_cast<utf8proc_ssize_t>(item.size()); at += step) {
        step = utf8proc_iterate(bytes + at, static_cast<utf8proc_ssize_t>(item.size()) - at, &c);
        if (step < 0) {
            std::string utf8;
            for (const char byte : item) {
                utf8proc_uint8_t encoded[4];
                utf8.append(reinterpret_cast<const char *>(encoded),
                            static_cast<std::size_t>(utf8proc_encode_char(static_cast<unsigned char>(byte), encoded)));
            }
            return utf8;
        }
    }
    return std::string(item);
}

bool lengthsFit(const Shape &shape, const std::smatch &match)
{
    const std::size_t at = static_cast<std::size_t>(match.position(2)) - 1;
    const std::size_t local = shape.octets[at];
    const std::size_t whole = shape.octets.back();
    if (local > 64 || whole > 254 || whole - local - 1 > 255)
        return false;
    std::size_t labelStart = at + 1;
    for (std::size_t i = at + 1; i <= shape.shape.size(); ++i) {
        if (i == shape.shape.size() || shape.shape[i] == '.') {
            if (shape.octets[i] - shape.octets[labelStart] > 63 && shape.shape[at + 1] != '[')
                return false;
            labelStart = i + 1;
        }
    }
    return true;
}

bool passesCommonRules(const std::string &local, const std::string &domain)
{
    if (local.front() == '"' || domain.front() == '[')
        return false;
    const std::size_t lastDot = domain.rfind('.');
    if (lastDot == std::string::npos)
        return false;
    return domain.find_first_not_of("0123456789", lastDot + 1) != std::string::npos;
}

} // namespace

bool holdsValidAddress(std::string_view item, bool common)
{
    // The line as the e-mail mode reads it: one of several addresses, its one address, or, with
    // none, the whole line.
    const std::string text = utf8Item(item);
    const std::vector<std::string> addresses = addressTextsOf(text);
    if (addresses.size() > 1)
        return false;
    const std::string one = addresses.empty() ? text : addresses.front();
    // What comes out may be wrapped or parted again: it is read as a line of its own.
    if (const std::string inner = addressOnceIn(one); inner != one)
        return holdsValidAddress(inner, common);
    const Shape shape = shapeOf(one);
    std::smatch match;
    if (!std::regex_match(shape.shape, match, mailboxPattern()) || !lengthsFit(shape, match))
        return false;
    return !common || passesCommonRules(match.str(1), match.str(2));
}

} // namespace Quorvane::Reference
