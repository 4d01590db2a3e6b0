#include "TextEncoding.h"

namespace Quorvane {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLittleEndianMark = "\xFF\xFE";
constexpr std::string_view kBigEndianMark = "\xFE\xFF";
// Two code units at least: a single unit says too little.
constexpr std::size_t kPlainSampleMinimum = 4;

bool isPlainUtf16(std::string_view start, std::size_t zeroByte)
{
    const std::size_t units = start.size() / 2;
    if (units * 2 < kPlainSampleMinimum)
        return false;
    for (std::size_t unit = 0; unit < units; ++unit) {
        if (start[2 * unit + zeroByte] != '\0' || start[2 * unit + 1 - zeroByte] == '\0')
            return false;
    }
    return true;
}

bool isHighSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(std::uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Calls emit(byte) for each byte of the UTF-8 form of a code point.
template<typename Emit>
void emitUtf8(std::uint32_t codePoint, Emit &&emit)
{
    if (codePoint < 0x80) {
        emit(codePoint);
    } else if (codePoint < 0x800) {
        emit(0xC0 | (codePoint >> 6));
        emit(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        emit(0xE0 | (codePoint >> 12));
        emit(0x80 | ((codePoint >> 6) & 0x3F));
        emit(0x80 | (codePoint & 0x3F));
    } else {
        emit(0xF0 | (codePoint >> 18));
        emit(0x80 | ((codePoint >> 12) & 0x3F));
        emit(0x80 | ((codePoint >> 6) & 0x3F));
        emit(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

EncodingGuess guessEncoding(std::string_view start)
{
    start = start.substr(0, kEncodingSampleBytes);
    if (start.starts_with(kUtf8Mark))
        return {TextEncoding::Bytes, kUtf8Mark.size()};
    if (start.starts_with(kLittleEndianMark))
        return {TextEncoding::Utf16LittleEndian, kLittleEndianMark.size()};
    if (start.starts_with(kBigEndianMark))
        return {TextEncoding::Utf16BigEndian, kBigEndianMark.size()};
    if (isPlainUtf16(start, 1))
        return {TextEncoding::Utf16LittleEndian, 0};
    if (isPlainUtf16(start, 0))
        return {TextEncoding::Utf16BigEndian, 0};
    return {};
}

template<typename Emit>
bool Utf16Decoder::decodeUnits(std::string_view piece, Emit &&emit)
{
    if (m_failed)
        return false;
    std::size_t position = 0;
    auto fail = [&] {
        m_failed = true;
        return false;
    };
    auto nextUnit = [&](unsigned char first, unsigned char second) {
        return m_bigEndian ? std::uint32_t(first) << 8 | second : std::uint32_t(second) << 8 | first;
    };
    auto take = [&](std::uint32_t unit) {
        if (m_highSurrogate != 0) {
            if (!isLowSurrogate(unit))
                return false;
            emitUtf8(0x10000 + ((std::uint32_t(m_highSurrogate) - 0xD800) << 10) + (unit - 0xDC00), emit);
            m_highSurrogate = 0;
        } else if (isHighSurrogate(unit)) {
            m_highSurrogate = static_cast<std::uint16_t>(unit);
        } else if (isLowSurrogate(unit)) {
            return false;
        } else {
            emitUtf8(unit, emit);
        }
        return true;
    };
    if (m_oddByte && !piece.empty()) {
        const unsigned char first = *m_oddByte;
        m_oddByte.reset();
        position = 1;
        if (!take(nextUnit(first, static_cast<unsigned char>(piece[0]))))
            return fail();
    }
    for (; position + 1 < piece.size(); position += 2) {
        const std::uint32_t unit = nextUnit(static_cast<unsigned char>(piece[position]),
                                            static_cast<unsigned char>(piece[position + 1]));
        if (!take(unit))
            return fail();
    }
    if (position < piece.size())
        m_oddByte = static_cast<unsigned char>(piece[position]);
    return true;
}

std::optional<std::size_t> Utf16Decoder::decode(std::string_view piece, char *out)
{
    char *const begin = out;
    if (!decodeUnits(piece, [&](std::uint32_t byte) { *out++ = static_cast<char>(byte); }))
        return std::nullopt;
    return static_cast<std::size_t>(out - begin);
}

std::optional<std::size_t> Utf16Decoder::measure(std::string_view piece)
{
    std::size_t size = 0;
    if (!decodeUnits(piece, [&](std::uint32_t) { ++size; }))
        return std::nullopt;
    return size;
}

} // namespace Quorvane
