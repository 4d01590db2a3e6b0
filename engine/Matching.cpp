#include "Matching.h"

#include "CaseFolding.h"

namespace Quorvane {

KeyMaker::KeyMaker(const MatchMode &mode, AddressKeys::Use use)
    : m_mode(mode)
    , m_addresses(mode, use)
{}

std::string_view KeyMaker::keyOf(std::string_view item)
{
    if (m_mode.isExact())
        return item;
    const std::string_view text = fieldOf(item);
    Reading reading(text);
    if (m_mode.readsAddresses())
        return m_addresses.keyOf(text, reading);
    std::string_view key = text;
    if (m_mode.trim)
        key = reading.trimmed(text);
    if (!m_mode.foldsCase())
        return key;
    const std::size_t first = firstToFold(key);
    return first == key.size() ? key : fold(key, first, reading.isLatin1());
}

std::string_view KeyMaker::foldedOf(std::string_view text)
{
    const std::size_t first = firstToFold(text);
    return first == text.size() ? text : fold(text, first, !isValidUtf8(text));
}

std::string_view KeyMaker::fold(std::string_view text, std::size_t first, bool latin1)
{
    m_buffer.assign(text.data(), first);
    appendFolded(m_buffer, text.substr(first), latin1, Folding::Full);
    return m_buffer;
}

std::string_view emailAddressIn(std::string_view text)
{
    return Reading(text).address(text);
}

std::string matchKey(std::string_view text, const MatchMode &mode)
{
    KeyMaker maker(mode);
    return std::string(maker.keyOf(text));
}

} // namespace Quorvane
