#include "ListTexts.h"

#include <cstdio>

namespace Quorvane::Samples {

ItemList listOf(const std::vector<std::string> &texts)
{
    ItemList list;
    for (const std::string &text : texts)
        list.append(text);
    return list;
}

std::vector<std::string> textsOf(const ItemList &list)
{
    return {list.texts().begin(), list.texts().end()};
}

std::vector<std::string> numberedTexts(std::size_t count, const std::string &prefix, const std::string &suffix,
                                       std::size_t first)
{
    std::vector<std::string> texts;
    texts.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        texts.push_back(prefix + std::to_string(first + i) + suffix);
    return texts;
}

ItemList numberedList(std::size_t count, const std::string &prefix, const std::string &suffix, std::size_t first)
{
    return listOf(numberedTexts(count, prefix, suffix, first));
}

std::string describe(const std::vector<std::string> &texts)
{
    std::string out = "{";
    for (const std::string &text : texts) {
        out += out.size() > 1 ? ", \"" : "\"";
        for (const unsigned char byte : text) {
            if (byte >= 0x20 && byte < 0x7f && byte != '\\' && byte != '"') {
                out += static_cast<char>(byte);
            } else {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                out += escaped;
            }
        }
        out += '"';
    }
    return out + "}";
}

} // namespace Quorvane::Samples
