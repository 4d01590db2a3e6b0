#include "AddressKeys.h"

#include "AddressList.h"
#include "CaseFolding.h"
#include "Matching.h"
#include "ProviderAliases.h"
#include "TextReading.h"

namespace Quorvane {

namespace {

// Several addresses compare as the list of their forms, in order, as normalize writes them.
constexpr std::string_view kListSeparator = ", ";

DomainNames::Form domainFormFor(const MatchMode &mode, AddressKeys::Use use)
{
    return use == AddressKeys::Use::Writing && !mode.asciiDomains ? DomainNames::Form::Unicode
                                                                   : DomainNames::Form::Ascii;
}

} // namespace

AddressKeys::AddressKeys(const MatchMode &mode, Use use)
    : m_fullFolding(mode.ignoreCase)
    , m_providerAliases(mode.providerAliases)
    , m_domains(domainFormFor(mode, use))
{}

std::string_view AddressKeys::keyOf(std::string_view text, Reading &reading)
{
    const LineScan scan = scanLine(text);
    // Most lines of a list are one bare address: its key is at most the line in small letters.
    if (scan.plainAddress && !m_providerAliases) {
        if (!scan.capitals)
            return text;
        m_address.clear();
        appendAsciiLowered(m_address, text);
        return m_address;
    }
    if (scan.separators) {
        const std::vector<std::string_view> addresses = addressesOf(text);
        if (addresses.size() == 1)
            text = addresses.front();
        if (addresses.size() > 1) {
            m_list.clear();
            for (const std::string_view address : addresses) {
                if (!m_list.empty())
                    m_list += kListSeparator;
                m_list += addressKeyOf(reading.address(address), scan.ascii, reading.isLatin1());
            }
            return m_list;
        }
    }
    return addressKeyOf(reading.address(text), scan.ascii, !scan.ascii && reading.isLatin1());
}

// The local part keeps its length: Unicode's composed form, simple case folding ("Straße" is
// not "strasse"), unless case is ignored as a whole. The domain is compared in its ASCII form.
std::string_view AddressKeys::addressKeyOf(std::string_view address, bool lineIsAscii, bool latin1)
{
    const std::size_t at = address.rfind('@');
    const std::string_view domain = at == std::string_view::npos ? std::string_view() : address.substr(at + 1);
    const bool plain = (lineIsAscii || isAscii(address)) && !mayHoldAceLabel(domain);
    if (plain) {
        const std::size_t first = firstToFold(address);
        if (first == address.size() && !(m_providerAliases && atAliasingProvider(address)))
            return address;
        m_address.assign(address.data(), first);
        appendFolded(m_address, address.substr(first), false, Folding::Simple);
        if (m_providerAliases)
            applyProviderAliases(m_address);
        return m_address;
    }
    m_address.clear();
    const Folding folding = m_fullFolding ? Folding::Full : Folding::Simple;
    if (at == std::string_view::npos) {
        appendComposedFolded(m_address, address, latin1, folding);
    } else {
        appendComposedFolded(m_address, address.substr(0, at), latin1, folding);
        m_address += '@';
        appendDomain(domain, latin1);
    }
    if (m_providerAliases)
        applyProviderAliases(m_address);
    return m_address;
}

// A domain that does not map (an invalid label) is compared as its text, its case folded.
void AddressKeys::appendDomain(std::string_view domain, bool latin1)
{
    if (isAscii(domain) && !mayHoldAceLabel(domain)) {
        appendFolded(m_address, domain, false, Folding::Simple);
        return;
    }
    m_domain.clear();
    if (latin1) {
        for (const char c : domain)
            appendUtf8(m_domain, static_cast<unsigned char>(c));
    } else {
        m_domain.assign(domain);
    }
    const std::optional<std::string_view> form = m_domains.formOf(m_domain);
    if (form)
        m_address += *form;
    else
        appendFolded(m_address, m_domain, false, Folding::Simple);
}

} // namespace Quorvane
