#include "ReferenceKeys.h"

#include <utf8proc.h>

#include <cstdlib>
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
    if (!mode.ignoreCase && !mode.trim && !mode.email)
        return item;
    const Decoded decoded = decode(item);
    CodePoints key = decoded.codePoints;
    if (mode.email)
        key = address(key);
    else if (mode.trim)
        key = trimmed(key);
    if (mode.ignoreCase || mode.email)
        return caseFolded(utf8Of(key));
    return encode(key, decoded.latin1);
}

std::string foldedOf(std::string_view item)
{
    return caseFolded(utf8Of(decode(item).codePoints));
}

} // namespace Quorvane::Reference
