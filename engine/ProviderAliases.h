#pragma once

#include <string>
#include <string_view>

namespace Quorvane {

// Rewrites an address in compared form (lower case, ASCII domain) to the mailbox a few large
// providers deliver it to: googlemail.com is gmail.com, dots do not count in Gmail's local
// parts, and a "+tag" does not count at providers that document plus addressing.
// A quoted local part is left as it is.
void applyProviderAliases(std::string &address);
// Whether applyProviderAliases may change the address (in compared form): its domain is one of
// the providers'.
bool atAliasingProvider(std::string_view address);

} // namespace Quorvane
