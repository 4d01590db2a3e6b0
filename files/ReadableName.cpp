#include "ReadableName.h"

#include <cstdint>

namespace Quorvane {

namespace {

// The length of the well-formed UTF-8 sequence at the start of bytes, or 0.
std::size_t utf8SequenceLength(std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF; // no UTF-16 surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

bool isControl(std::string_view sequence)
{
    const auto lead = static_cast<std::uint8_t>(sequence[0]);
    if (sequence.size() == 1)
        return lead < 0x20 || lead == 0x7F;
    // U+0080 to U+009F: terminals take some of them as escape sequences.
    return sequence.size() == 2 && lead == 0xC2 && static_cast<std::uint8_t>(sequence[1]) < 0xA0;
}

void appendEscaped(std::string &out, std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

} // namespace

std::string readableName(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = utf8SequenceLength(bytes);
        const std::string_view sequence = bytes.substr(0, length == 0 ? 1 : length);
        if (sequence == "\\")
            out += "\\\\";
        else if (length == 0 || isControl(sequence))
            appendEscaped(out, sequence);
        else
            out += sequence;
        bytes.remove_prefix(sequence.size());
    }
    return out;
}

} // namespace Quorvane
