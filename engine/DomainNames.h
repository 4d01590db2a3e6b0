#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Quorvane {

// Whether an ASCII domain may hold an A-label ("xn--" in any case), which only UTS #46
// processing can compare with its Unicode spelling.
bool mayHoldAceLabel(std::string_view domain);

// International domain names in the form they are compared in: UTS #46 non-transitional
// processing (libidn2), so "bücher.de", "BÜCHER.DE" and "xn--bcher-kva.de" are one domain and
// "straße.de" (xn--strae-oqa.de) is not "strasse.de". Lists hold few distinct domains, so the
// forms found are kept: the processing costs microseconds a name.
class DomainNames
{
public:
    enum class Form { Ascii, Unicode };

    explicit DomainNames(Form form)
        : m_form(form)
    {}

    // The domain (UTF-8) in this object's form, lower case; nothing when it does not map.
    std::optional<std::string_view> formOf(const std::string &domain);

private:
    std::optional<std::string> converted(const std::string &domain) const;

    Form m_form;
    std::unordered_map<std::string, std::optional<std::string>> m_found;
    std::optional<std::string> m_unkept;
};

} // namespace Quorvane
