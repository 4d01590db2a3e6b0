#include "ReferenceKeys.h"

#include <idn2.h>
#include <utf8proc.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace Quorvane::Reference {

namespace {

using CodePoints = std::vector<utf8proc_int32_t>;

struct Decoded
{
    CodePoints codePoints;
    bool latin1 = false;
};

// UTF-8 when utf8proc reads all of it, otherwise one code point per byte, as Latin-1 shows it.
Decoded decode(std::string_view item)
{
    Decoded decoded;
    const auto *bytes = reinterpret_cast<const utf8proc_uint8_t *>(item.data());
    utf8proc_ssize_t at = 0;
    const auto size = static_cast<utf8proc_ssize_t>(item.size());
    while (at < size) {
        utf8proc_int32_t codePoint = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(bytes + at, size - at, &codePoint);
        if (length <= 0 || codePoint < 0) {
            decoded.latin1 = true;
            decoded.codePoints.clear();
            for (const char c : item)
                decoded.codePoints.push_back(static_cast<unsigned char>(c));
            return decoded;
        }
        decoded.codePoints.push_back(codePoint);
        at += length;
    }
    return decoded;
}

std::string utf8Of(const CodePoints &codePoints)
{
    std::string text;
    for (const utf8proc_int32_t codePoint : codePoints) {
        utf8proc_uint8_t bytes[4];
        const utf8proc_ssize_t length = utf8proc_encode_char(codePoint, bytes);
        text.append(reinterpret_cast<const char *>(bytes), static_cast<std::size_t>(length));
    }
    return text;
}

std::string encode(const CodePoints &codePoints, bool latin1)
{
    if (!latin1)
        return utf8Of(codePoints);
    std::string text;
    for (const utf8proc_int32_t codePoint : codePoints)
        text += static_cast<char>(codePoint);
    return text;
}

bool isSpace(utf8proc_int32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x200B || c == 0xFEFF || utf8proc_category(c) == UTF8PROC_CATEGORY_ZS;
}

CodePoints trimmed(const CodePoints &codePoints)
{
    std::size_t begin = 0;
    std::size_t end = codePoints.size();
    while (begin < end && isSpace(codePoints[begin]))
        ++begin;
    while (end > begin && isSpace(codePoints[end - 1]))
        --end;
    return CodePoints(codePoints.begin() + static_cast<long>(begin), codePoints.begin() + static_cast<long>(end));
}

CodePoints inner(const CodePoints &codePoints)
{
    return trimmed(CodePoints(codePoints.begin() + 1, codePoints.end() - 1));
}

bool startsWithMailto(const CodePoints &codePoints)
{
    const std::string prefix = "mailto:";
    if (codePoints.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const utf8proc_int32_t c = codePoints[i];
        const utf8proc_int32_t lower = c >= 'A' && c <= 'Z' ? c + 32 : c;
        if (lower != prefix[i])
            return false;
    }
    return true;
}

CodePoints address(CodePoints text)
{
    text = trimmed(text);
    if (!text.empty() && text.back() == '>') {
        for (std::size_t open = text.size() - 1; open-- > 0;) {
            if (text[open] == '<') {
                text = inner(CodePoints(text.begin() + static_cast<long>(open), text.end()));
                break;
            }
        }
    }
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        text = inner(text);
    if (startsWithMailto(text))
        text = trimmed(CodePoints(text.begin() + 7, text.end()));
    return text;
}

std::string caseFolded(const std::string &utf8)
{
    utf8proc_uint8_t *folded = nullptr;
    const utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t *>(utf8.data()),
                                                 static_cast<utf8proc_ssize_t>(utf8.size()), &folded, UTF8PROC_CASEFOLD);
    if (length < 0)
        std::abort(); // the input was made from code points, so it is well-formed
    std::string text(reinterpret_cast<const char *>(folded), static_cast<std::size_t>(length));
    std::free(folded);
    return text;
}

CodePoints composed(const CodePoints &codePoints)
{
    const std::string utf8 = utf8Of(codePoints);
    utf8proc_uint8_t *mapped = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t *>(utf8.data()), static_cast<utf8proc_ssize_t>(utf8.size()),
                     &mapped, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (length < 0)
        std::abort();
    const Decoded decoded = decode(std::string_view(reinterpret_cast<const char *>(mapped), static_cast<std::size_t>(length)));
    std::free(mapped);
    return decoded.codePoints;
}

// Simple folding: one character for one; where full folding gives several, the lower case.
std::string simplyFolded(const CodePoints &codePoints)
{
    std::string text;
    for (const utf8proc_int32_t c : codePoints) {
        const std::string full = caseFolded(utf8Of({c}));
        text += decode(full).codePoints.size() == 1 ? full : utf8Of({c == 0x130 ? c : utf8proc_tolower(c)});
    }
    return text;
}

std::string lowerAscii(std::string text)
{
    for (char &c : text)
        c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    return text;
}

std::string domainForm(const CodePoints &domain)
{
    const std::string utf8 = utf8Of(domain);
    const bool ascii = std::all_of(domain.begin(), domain.end(), [](utf8proc_int32_t c) { return c < 0x80; });
    if (ascii && lowerAscii(utf8).find("xn--") == std::string::npos)
        return lowerAscii(utf8);
    char *form = nullptr;
    if (utf8.find('\0') == std::string::npos && idn2_to_ascii_8z(utf8.c_str(), &form, IDN2_NONTRANSITIONAL) == IDN2_OK) {
        const std::string result = form;
        idn2_free(form);
        return result;
    }
    idn2_free(form);
    return simplyFolded(domain);
}

struct Provider
{
    std::string domain;
    bool dotsDoNotCount;
};

std::string aliased(std::string address)
{
    static const std::vector<Provider> providers = {
        {"gmail.com", true}, {"outlook.com", false}, {"hotmail.com", false}, {"live.com", false},
        {"fastmail.com", false}, {"fastmail.fm", false}, {"proton.me", false}, {"protonmail.com", false},
        {"pm.me", false},
    };
    const std::size_t at = address.rfind('@');
    if (at == std::string::npos || at == 0 || address[0] == '"')
        return address;
    std::string local = address.substr(0, at);
    std::string domain = address.substr(at + 1);
    if (domain == "googlemail.com")
        domain = "gmail.com";
    for (const Provider &provider : providers) {
        if (provider.domain != domain)
            continue;
        std::string mailbox;
        for (std::size_t i = 0; i < local.size() && !(i > 0 && local[i] == '+'); ++i) {
            if (local[i] != '.' || !provider.dotsDoNotCount)
                mailbox += local[i];
        }
        if (!mailbox.empty())
            local = mailbox;
    }
    return local + "@" + domain;
}

std::string addressKey(const CodePoints &text, const MatchMode &mode)
{
    const CodePoints bare = address(text);
    const auto at = std::find(bare.rbegin(), bare.rend(), '@');
    const auto localForm = [&mode](const CodePoints &local) {
        return mode.ignoreCase ? caseFolded(utf8Of(composed(local))) : simplyFolded(composed(local));
    };
    if (at == bare.rend())
        return mode.providerAliases ? aliased(localForm(bare)) : localForm(bare);
    const auto atIndex = static_cast<long>(bare.rend() - at - 1);
    const std::string key = localForm(CodePoints(bare.begin(), bare.begin() + atIndex)) + "@"
        + domainForm(CodePoints(bare.begin() + atIndex + 1, bare.end()));
    return mode.providerAliases ? aliased(key) : key;
}

bool holdsAt(const CodePoints &piece)
{
    return std::find(piece.begin(), piece.end(), '@') != piece.end();
}

struct Range
{
    std::size_t begin;
    std::size_t end;
};

// Pieces between commas and semicolons outside double quotes and angle brackets, without their
// spaces; one without "@" joins the address after it, or the one before at the end; blank ones
// are nothing. Each address is the stretch of the text from its first piece to its last.
std::vector<CodePoints> addressesOf(const CodePoints &text)
{
    std::vector<Range> pieces;
    bool quoted = false;
    int angles = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const utf8proc_int32_t c = i < text.size() ? text[i] : ',';
        if (quoted && c == '\\' && i + 1 < text.size()) {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '<') {
            ++angles;
        } else if (!quoted && c == '>' && angles > 0) {
            --angles;
        } else if (i == text.size() || (!quoted && angles == 0 && (c == ',' || c == ';'))) {
            Range piece{start, i};
            while (piece.begin < piece.end && isSpace(text[piece.begin]))
                ++piece.begin;
            while (piece.end > piece.begin && isSpace(text[piece.end - 1]))
                --piece.end;
            if (piece.begin < piece.end)
                pieces.push_back(piece);
            start = i + 1;
        }
    }
    std::vector<Range> found;
    constexpr std::size_t kNoName = std::size_t(-1);
    std::size_t nameBegin = kNoName; // where the pieces without @ before the next address start
    for (const Range &piece : pieces) {
        if (!holdsAt(CodePoints(text.begin() + long(piece.begin), text.begin() + long(piece.end)))) {
            nameBegin = std::min(nameBegin, piece.begin);
            continue;
        }
        found.push_back({std::min(nameBegin, piece.begin), piece.end});
        nameBegin = kNoName;
    }
    if (nameBegin != kNoName && !found.empty())
        found.back().end = pieces.back().end;
    std::vector<CodePoints> addresses;
    for (const Range &range : found)
        addresses.emplace_back(text.begin() + long(range.begin), text.begin() + long(range.end));
    return addresses;
}

} // namespace

std::optional<std::string> fieldOf(std::string_view row, const KeyField &field)
{
    if (field.isWholeItem())
        return std::string(row);
    std::vector<std::string> fields(1);
    bool quoted = false;
    bool atFieldStart = true;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (quoted) {
            if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == field.delimiter) {
            fields.emplace_back();
            atFieldStart = true;
            continue;
        } else if (atFieldStart && c == '"') {
            quoted = true;
        } else {
            fields.back() += c;
        }
        atFieldStart = false;
    }
    if (field.column > fields.size())
        return std::nullopt;
    return fields[field.column - 1];
}

std::string keyOf(std::string_view row, const MatchMode &mode)
{
    const std::string item = fieldOf(row, mode.field).value_or(std::string());
    if (!mode.ignoreCase && !mode.trim && !mode.email && !mode.providerAliases)
        return item;
    const Decoded decoded = decode(item);
    CodePoints key = decoded.codePoints;
    if (mode.email || mode.providerAliases) {
        const std::vector<CodePoints> addresses = addressesOf(key);
        if (addresses.size() < 2)
            return addressKey(addresses.empty() ? key : addresses.front(), mode);
        std::string list;
        for (const CodePoints &one : addresses)
            list += (list.empty() ? "" : ", ") + addressKey(one, mode);
        return list;
    }
    if (mode.trim)
        key = trimmed(key);
    if (mode.ignoreCase)
        return caseFolded(utf8Of(key));
    return encode(key, decoded.latin1);
}

std::vector<std::string> addressTextsOf(std::string_view item)
{
    const Decoded decoded = decode(item);
    std::vector<std::string> texts;
    for (const CodePoints &address : addressesOf(decoded.codePoints))
        texts.push_back(encode(address, decoded.latin1));
    return texts;
}

std::string foldedOf(std::string_view item)
{
    return caseFolded(utf8Of(decode(item).codePoints));
}

std::string addressOnceIn(std::string_view item)
{
    return utf8Of(address(decode(item).codePoints));
}

std::string addressIn(std::string_view item)
{
    CodePoints text = decode(item).codePoints;
    for (CodePoints inner = address(text); inner != text; inner = address(text))
        text = inner;
    return utf8Of(text);
}

} // namespace Quorvane::Reference
