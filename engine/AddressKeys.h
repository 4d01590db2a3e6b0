#pragma once

#include "engine/DomainNames.h"

#include <string>
#include <string_view>

namespace Quorvane {

class Reading;
struct MatchMode;

// The form in which the e-mail mode compares (or normalize writes) the address or addresses of
// one item (see MatchMode).
class AddressKeys
{
public:
    enum class Use { Comparing, Writing };

    AddressKeys(const MatchMode &mode, Use use);

    // A view of text itself or of a buffer of this object that the next call reuses.
    std::string_view keyOf(std::string_view text, Reading &reading);
    bool holds(std::string_view key) const
    {
        return key.data() == m_address.data() || key.data() == m_list.data();
    }

private:
    std::string_view addressKeyOf(std::string_view address, bool lineIsAscii, bool latin1);
    void appendDomain(std::string_view domain, bool latin1);

    bool m_fullFolding;
    bool m_providerAliases;
    DomainNames m_domains;
    std::string m_address;
    std::string m_domain;
    std::string m_list;
};

} // namespace Quorvane
