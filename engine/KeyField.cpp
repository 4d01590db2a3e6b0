#include "KeyField.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Quorvane {

namespace {

constexpr char kQuote = '"';

bool holdsQuote(std::string_view text)
{
    return !text.empty() && std::memchr(text.data(), kQuote, text.size()) != nullptr;
}

// Walks the fields of a row, each as its raw bytes (quotes included). A row has at least one
// field: an empty row has one empty field.
class FieldCursor
{
public:
    FieldCursor(std::string_view row, char delimiter)
        : m_row(row)
        , m_delimiter(delimiter)
    {}

    bool atEnd() const { return m_done; }

    std::string_view next()
    {
        const std::size_t begin = m_position;
        std::size_t from = begin;
        if (from < m_row.size() && m_row[from] == kQuote)
            from = closingQuoteAfter(from + 1);
        const std::size_t delimiter = from >= m_row.size() ? std::string_view::npos : m_row.find(m_delimiter, from);
        if (delimiter == std::string_view::npos) {
            m_done = true;
            m_position = m_row.size();
            return m_row.substr(begin);
        }
        m_position = delimiter + 1;
        return m_row.substr(begin, delimiter - begin);
    }

private:
    // The place just after the quote that closes a quoted field, or the row's end.
    std::size_t closingQuoteAfter(std::size_t from) const
    {
        for (;;) {
            const std::size_t quote = m_row.find(kQuote, from);
            if (quote == std::string_view::npos)
                return m_row.size();
            if (quote + 1 < m_row.size() && m_row[quote + 1] == kQuote) {
                from = quote + 2;
                continue;
            }
            return quote + 1;
        }
    }

    std::string_view m_row;
    char m_delimiter;
    std::size_t m_position = 0;
    bool m_done = false;
};

// The text of a raw field: without its quotes, doubled quotes made single.
std::string_view unquoted(std::string_view raw, std::string &scratch)
{
    if (raw.empty() || raw.front() != kQuote)
        return raw;
    if (raw.size() >= 2 && raw.back() == kQuote && !holdsQuote(raw.substr(1, raw.size() - 2)))
        return raw.substr(1, raw.size() - 2);
    scratch.clear();
    std::size_t i = 1;
    for (; i < raw.size(); ++i) {
        if (raw[i] != kQuote) {
            scratch += raw[i];
        } else if (i + 1 < raw.size() && raw[i + 1] == kQuote) {
            scratch += kQuote;
            ++i;
        } else {
            ++i;
            break;
        }
    }
    scratch.append(raw.substr(std::min(i, raw.size())));
    return scratch;
}

// Leaves cursor at field's column and returns its raw bytes; nothing when the row is too short.
std::optional<std::string_view> rawField(FieldCursor &cursor, std::size_t column)
{
    std::string_view raw;
    for (std::size_t at = 1; at <= column; ++at) {
        if (cursor.atEnd())
            return {};
        raw = cursor.next();
    }
    return raw;
}

// Calls met(position) for each byte of text that is one of bytes, in rising order, until it
// returns true; sixteen bytes are looked at once, where a search per byte found costs a call
// each. Returns whether met did.
template<std::size_t Count, typename Met>
bool forEachOf(std::string_view text, const std::array<char, Count> &bytes, Met &&met)
{
    std::size_t at = 0;
#ifdef __SSE2__
    constexpr std::size_t kWidth = 16;
    __m128i copies[Count];
    for (std::size_t b = 0; b < Count; ++b)
        copies[b] = _mm_set1_epi8(bytes[b]);
    for (; at + kWidth <= text.size(); at += kWidth) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + at));
        __m128i found = _mm_cmpeq_epi8(chunk, copies[0]);
        for (std::size_t b = 1; b < Count; ++b)
            found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, copies[b]));
        for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(found)); mask != 0; mask &= mask - 1) {
            if (met(at + static_cast<std::size_t>(__builtin_ctz(mask))))
                return true;
        }
    }
#endif
    for (; at < text.size(); ++at) {
        if (std::find(bytes.begin(), bytes.end(), text[at]) != bytes.end() && met(at))
            return true;
    }
    return false;
}

bool isLineEndByte(char byte)
{
    return byte == '\r' || byte == '\n';
}

// Where a walk through a table's text from its start stopped: at the first CR or LF inside a
// quoted field, or nowhere (npos); and whether it was inside one there or at the end.
struct QuoteWalk
{
    std::size_t stop = std::string_view::npos;
    bool inside = false;
};

// Only quotes change anything. Outside a quoted field, a quote opens one when it starts a field:
// at the text's start, right after a delimiter or right after a line end. Inside, a doubled quote
// is a quote, and a line end stops the walk.
QuoteWalk walkQuotes(std::string_view text, char delimiter, bool startsInside)
{
    QuoteWalk walk{.inside = startsInside};
    std::size_t doubled = std::string_view::npos; // the second quote of a doubled pair
    forEachOf(text, std::array{kQuote, '\r', '\n'}, [&](std::size_t at) {
        if (text[at] != kQuote) {
            if (walk.inside)
                walk.stop = at;
            return walk.inside;
        }
        if (at == doubled)
            return false;
        if (!walk.inside)
            walk.inside = at == 0 || text[at - 1] == delimiter || isLineEndByte(text[at - 1]);
        else if (at + 1 < text.size() && text[at + 1] == kQuote)
            doubled = at + 1;
        else
            walk.inside = false;
        return false;
    });
    return walk;
}

// Where the field at column (1 on) lies in a row none of whose fields up to it starts with a
// quote, found by the delimiters alone, where walking field by field costs a search per field.
// Its end is npos when a field up to it starts with a quote or the row is too short: the cursor
// then walks the row.
struct FieldBounds
{
    std::size_t begin = 0;
    std::size_t end = std::string_view::npos;
};

FieldBounds plainFieldBounds(std::string_view row, char delimiter, std::size_t column)
{
    if (!row.empty() && row.front() == kQuote)
        return {};
    std::size_t field = 1;
    FieldBounds bounds;
    const bool stopped = forEachOf(row, std::array{delimiter}, [&](std::size_t position) {
        if (field == column) {
            bounds.end = position;
            return true;
        }
        ++field;
        bounds.begin = position + 1;
        return bounds.begin < row.size() && row[bounds.begin] == kQuote;
    });
    if (!stopped && field == column)
        bounds.end = row.size();
    return bounds;
}

} // namespace

std::size_t KeyField::columnAmongStretches(std::string_view row) const
{
    // std::less orders pointers into different blocks too, as the built-in < need not.
    const std::less<const char *> before;
    for (const ColumnElsewhere &stretch : *elsewhere) {
        if (!before(row.data(), stretch.begin) && before(row.data(), stretch.end))
            return stretch.column;
    }
    return column;
}

std::optional<std::string_view> fieldText(std::string_view row, const KeyField &field, std::string &scratch)
{
    if (field.isWholeItem())
        return row;
    const std::size_t column = field.columnOf(row);
    if (const FieldBounds plain = plainFieldBounds(row, field.delimiter, column); plain.end != std::string_view::npos)
        return row.substr(plain.begin, plain.end - plain.begin);
    FieldCursor cursor(row, field.delimiter);
    const std::optional<std::string_view> raw = rawField(cursor, column);
    if (!raw)
        return {};
    return unquoted(*raw, scratch);
}

std::vector<std::string> fieldTexts(std::string_view row, char delimiter)
{
    std::vector<std::string> texts;
    std::string scratch;
    FieldCursor cursor(row, delimiter);
    while (!cursor.atEnd())
        texts.emplace_back(unquoted(cursor.next(), scratch));
    return texts;
}

std::string quotedField(std::string_view text, char delimiter)
{
    if (text.find_first_of(std::string{delimiter, kQuote, '\r', '\n'}) == std::string_view::npos)
        return std::string(text);
    std::string quoted(1, kQuote);
    for (const char c : text) {
        quoted += c;
        if (c == kQuote)
            quoted += kQuote;
    }
    quoted += kQuote;
    return quoted;
}

std::string rowWithField(std::string_view row, const KeyField &field, std::string_view text)
{
    if (field.isWholeItem())
        return std::string(text);
    FieldCursor cursor(row, field.delimiter);
    const std::optional<std::string_view> raw = rawField(cursor, field.columnOf(row));
    if (!raw)
        return std::string(row);
    const std::size_t begin = static_cast<std::size_t>(raw->data() - row.data());
    std::string rewritten(row.substr(0, begin));
    rewritten += quotedField(text, field.delimiter);
    rewritten += row.substr(begin + raw->size());
    return rewritten;
}

bool endsInsideQuotes(std::string_view line, char delimiter, bool startsInside)
{
    return walkQuotes(line, delimiter, startsInside).inside;
}

std::size_t firstLineEndInsideQuotes(std::string_view text, char delimiter)
{
    const QuoteWalk walk = walkQuotes(text, delimiter, false);
    return walk.stop != std::string_view::npos || !walk.inside ? walk.stop : text.size();
}

} // namespace Quorvane
