#pragma once

#include <string>

namespace Quorvane {

// The short reminder shown after a usage error.
std::string usageText();
// --help; the man page is made from it, so its sections follow help2man's layout.
std::string helpText();
// --version: "quorvane-cli X.Y.Z", then the copyright and the licence.
std::string versionText();

} // namespace Quorvane
