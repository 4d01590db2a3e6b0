#pragma once

#include "engine/GlobPattern.h"
#include "engine/KeySet.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quorvane {

// Many globs, each tried only on the texts that end with the last bytes of its literal tail, or
// begin with the first bytes of its literal head: a few hash lookups per text find the globs
// worth trying, so a long list of globs costs little more than a short one. Only globs that
// begin and end with a star are tried on every text.
class GlobIndex
{
public:
    // A glob given twice is kept once.
    void add(std::string_view pattern);
    bool isEmpty() const { return m_globs.empty(); }
    bool matchesAny(std::string_view text) const;

private:
    // Globs filed under up to kFiledBytes bytes at one end of their literal text.
    class Shelf
    {
    public:
        explicit Shelf(bool atEnd)
            : m_atEnd(atEnd)
        {}
        void file(std::string_view literal, std::uint32_t glob);
        bool matchesAny(std::string_view text, const std::vector<GlobPattern> &globs) const;

    private:
        bool m_atEnd;
        KeyMap<std::vector<std::uint32_t>> m_globsByBytes;
        std::vector<std::size_t> m_lengths; // of the filed bytes, each once
    };

    std::vector<GlobPattern> m_globs;
    KeySet m_seen;
    Shelf m_byTail{true};
    Shelf m_byHead{false};
    std::vector<std::uint32_t> m_unfiled;
};

} // namespace Quorvane
