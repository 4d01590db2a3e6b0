#include "AddressList.h"

#include "TextReading.h"

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

bool maySeparateAddresses(std::string_view text)
{
    return std::memchr(text.data(), ',', text.size()) || std::memchr(text.data(), ';', text.size());
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

std::size_t countSeveralAddresses(std::span<const std::string_view> texts)
{
    std::size_t count = 0;
    for (const std::string_view text : texts)
        count += holdsSeveralAddresses(text) ? 1 : 0;
    return count;
}

} // namespace Quorvane
