#include "AddressList.h"

#include "TextReading.h"

#include <cstdint>
#include <cstring>

namespace Quorvane {

namespace {

// The pieces of text between separators, each still with its white space.
std::vector<std::string_view> piecesOf(std::string_view text)
{
    std::vector<std::string_view> pieces;
    bool quoted = false;
    std::size_t angles = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\')
                ++i; // a quoted pair: the next character is text
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            ++angles;
        } else if (c == '>' && angles > 0) {
            --angles;
        } else if ((c == ',' || c == ';') && angles == 0) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

// The view of text from the start of first to the end of last.
std::string_view spanning(std::string_view first, std::string_view last)
{
    return std::string_view(first.data(), static_cast<std::size_t>(last.data() + last.size() - first.data()));
}

} // namespace

// Eight bytes at a time, without a branch per byte: most lines are short plain addresses.
LineScan scanLine(std::string_view text)
{
    constexpr std::uint64_t kEachByte = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    // Nonzero exactly when some byte of word is zero.
    const auto zeroBytes = [](std::uint64_t word) { return (word - kEachByte) & ~word & kHighBits; };
    std::uint64_t bytesSeen = 0;
    std::uint64_t separatorsSeen = 0;
    const auto take = [&](std::uint64_t word) {
        bytesSeen |= word;
        separatorsSeen |= zeroBytes(word ^ (kEachByte * ',')) | zeroBytes(word ^ (kEachByte * ';'));
    };
    if (text.size() < 8) {
        std::uint64_t word = kEachByte * 'a'; // a filler that is neither a separator nor past ASCII
        if (!text.empty()) // an empty view may have no bytes at all to copy from
            std::memcpy(&word, text.data(), text.size());
        take(word);
    } else {
        std::uint64_t word;
        for (std::size_t i = 0; i + 8 <= text.size(); i += 8) {
            std::memcpy(&word, text.data() + i, sizeof word);
            take(word);
        }
        // The last eight bytes, which may overlap the ones before.
        std::memcpy(&word, text.data() + text.size() - 8, sizeof word);
        take(word);
    }
    return {(bytesSeen & kHighBits) == 0, separatorsSeen != 0};
}

std::vector<std::string_view> addressesOf(std::string_view text)
{
    Reading reading(text);
    std::vector<std::string_view> addresses;
    std::string_view displayName; // pieces without "@" waiting for their address
    for (const std::string_view piece : piecesOf(text)) {
        const std::string_view trimmed = reading.trimmed(piece);
        if (trimmed.empty())
            continue;
        if (trimmed.find('@') == std::string_view::npos) {
            displayName = displayName.empty() ? trimmed : spanning(displayName, trimmed);
            continue;
        }
        addresses.push_back(displayName.empty() ? trimmed : spanning(displayName, trimmed));
        displayName = {};
    }
    if (!displayName.empty() && !addresses.empty())
        addresses.back() = spanning(addresses.back(), displayName);
    return addresses;
}

bool holdsSeveralAddresses(std::string_view text)
{
    return maySeparateAddresses(text) && addressesOf(text).size() > 1;
}

std::size_t countSeveralAddresses(std::span<const std::string_view> texts, const KeyField &field)
{
    std::size_t count = 0;
    std::string scratch;
    for (const std::string_view text : texts)
        count += holdsSeveralAddresses(fieldText(text, field, scratch).value_or(text.substr(0, 0))) ? 1 : 0;
    return count;
}

} // namespace Quorvane
