#include "DomainNames.h"

#include <idn2.h>

#include <memory>
#include <new>
#include <stdexcept>

#include <dlfcn.h>

namespace Quorvane {

namespace {

// Few lists hold more distinct international domains; past this the kept forms start over.
constexpr std::size_t kMostKept = 1u << 14;
// No domain name is longer; a longer text (a runaway line) is converted but not kept.
constexpr std::size_t kLongestKept = 1024;

// libidn2 is opened on the first international domain rather than linked: linked, it and the
// libunistring it brings cost every run about 0.4 ms of start-up, and most lists hold no such
// domain. The packages depend on it.
constexpr const char *kIdn2Library = "libidn2.so.0";

struct Idn2
{
    decltype(&idn2_to_ascii_8z) toAscii;
    decltype(&idn2_to_unicode_8z8z) toUnicode;
    decltype(&idn2_free) release;
};

template<typename Function>
Function symbolOf(void *library, const char *name)
{
    void *symbol = dlsym(library, name);
    if (!symbol)
        throw std::runtime_error(std::string(kIdn2Library) + " has no " + name);
    return reinterpret_cast<Function>(symbol);
}

// Loaded once; a failed load is tried again on the next call.
const Idn2 &idn2()
{
    static const Idn2 loaded = [] {
        void *library = dlopen(kIdn2Library, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            throw std::runtime_error(std::string("cannot load ") + kIdn2Library + ", which compares international domains: "
                                     + dlerror());
        return Idn2{symbolOf<decltype(&idn2_to_ascii_8z)>(library, "idn2_to_ascii_8z"),
                    symbolOf<decltype(&idn2_to_unicode_8z8z)>(library, "idn2_to_unicode_8z8z"),
                    symbolOf<decltype(&idn2_free)>(library, "idn2_free")};
    }();
    return loaded;
}

// Nothing when libidn2 refuses the name; std::bad_alloc when memory runs out.
std::optional<std::string> resultOf(int status, char *output)
{
    const std::unique_ptr<char, decltype(&idn2_free)> owner(output, idn2().release);
    if (status == IDN2_MALLOC)
        throw std::bad_alloc();
    if (status != IDN2_OK || !output)
        return std::nullopt;
    return std::string(output);
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

} // namespace

bool mayHoldAceLabel(std::string_view domain)
{
    for (std::size_t at = domain.find("--"); at != std::string_view::npos; at = domain.find("--", at + 1)) {
        if (at >= 2 && lowerAscii(domain[at - 2]) == 'x' && lowerAscii(domain[at - 1]) == 'n')
            return true;
    }
    return false;
}

std::optional<std::string_view> DomainNames::formOf(const std::string &domain)
{
    if (domain.size() > kLongestKept) {
        m_unkept = converted(domain);
        return m_unkept ? std::optional<std::string_view>(*m_unkept) : std::nullopt;
    }
    auto found = m_found.find(domain);
    if (found == m_found.end()) {
        if (m_found.size() >= kMostKept)
            m_found.clear();
        found = m_found.emplace(domain, converted(domain)).first;
    }
    if (!found->second)
        return std::nullopt;
    return std::string_view(*found->second);
}

std::optional<std::string> DomainNames::converted(const std::string &domain) const
{
    if (domain.find('\0') != std::string::npos)
        return std::nullopt; // libidn2 reads a C string
    char *ascii = nullptr;
    const int asciiStatus = idn2().toAscii(domain.c_str(), &ascii, IDN2_NONTRANSITIONAL);
    std::optional<std::string> form = resultOf(asciiStatus, ascii);
    if (!form || m_form == Form::Ascii)
        return form;
    char *unicode = nullptr;
    const int unicodeStatus = idn2().toUnicode(form->c_str(), &unicode, 0);
    return resultOf(unicodeStatus, unicode);
}

} // namespace Quorvane
