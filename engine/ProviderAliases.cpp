#include "ProviderAliases.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

namespace Quorvane {

namespace {

struct Provider
{
    std::string_view domain;
    bool dotsDoNotCount;
};

// The providers whose own help pages say how they deliver, as read in 2026:
// - Google, "Dots don't matter in Gmail addresses" and "Create task-specific email addresses"
//   (support.google.com/mail): dots and "+anything" do not count; googlemail.com is the same
//   mailbox under the name Gmail used where "gmail" was taken.
// - Microsoft, "Plus addressing in Exchange Online" (learn.microsoft.com/exchange), which
//   Outlook.com's consumer domains share.
// - Fastmail, "Plus addressing and subdomain addressing" (fastmail.help).
// - Proton, "How to use plus addressing" (proton.me/support).
constexpr std::string_view kGmail = "gmail.com";
constexpr std::string_view kGooglemail = "googlemail.com";
constexpr std::array kPlusAddressing = {
    Provider{kGmail, true},           Provider{"outlook.com", false},  Provider{"hotmail.com", false},
    Provider{"live.com", false},      Provider{"fastmail.com", false}, Provider{"fastmail.fm", false},
    Provider{"proton.me", false},     Provider{"protonmail.com", false}, Provider{"pm.me", false},
};

const Provider *providerOf(std::string_view domain)
{
    const auto found = std::find_if(kPlusAddressing.begin(), kPlusAddressing.end(),
                                    [domain](const Provider &p) { return p.domain == domain; });
    return found == kPlusAddressing.end() ? nullptr : &*found;
}

} // namespace

bool atAliasingProvider(std::string_view address)
{
    const std::size_t at = address.rfind('@');
    if (at == std::string_view::npos)
        return false;
    const std::string_view domain = address.substr(at + 1);
    return domain == kGooglemail || providerOf(domain);
}

void applyProviderAliases(std::string &address)
{
    const std::size_t at = address.rfind('@');
    if (at == std::string::npos || at == 0 || address.front() == '"')
        return;
    if (std::string_view(address).substr(at + 1) == kGooglemail)
        address.replace(at + 1, std::string::npos, kGmail);
    const Provider *provider = providerOf(std::string_view(address).substr(at + 1));
    if (!provider)
        return;
    // The tag starts at the first plus that follows some of the local part.
    std::string_view local = std::string_view(address).substr(0, at);
    local = local.substr(0, local.find('+', 1));
    std::string mailbox;
    std::copy_if(local.begin(), local.end(), std::back_inserter(mailbox),
                 [provider](char c) { return c != '.' || !provider->dotsDoNotCount; });
    if (mailbox.empty())
        return;
    address.replace(0, at, mailbox);
}

} // namespace Quorvane
