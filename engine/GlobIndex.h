#pragma once

#include "engine/GlobPattern.h"
#include "engine/KeySet.h"

#include <absl/container/flat_hash_map.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quorvane {

// Many globs, each tried only on the texts that could match it: a glob is filed under the last
// bytes of its literal tail, the first bytes of its literal head or, when it begins and ends with
// a star, two bytes side by side in its longest literal run. A few lookups per text find the
// globs worth trying, so a long list of globs costs little more than a short one.
class GlobIndex
{
public:
    // A glob given twice is kept once.
    void add(std::string_view pattern);
    bool isEmpty() const { return m_globs.empty(); }
    bool matchesAny(std::string_view text) const;

private:
    using GlobNumbers = std::vector<std::uint32_t>;

    // A bit for each of the 65536 pairs of bytes.
    class PairBits
    {
    public:
        void set(std::uint16_t pair) { m_bits[pair / 64] |= std::uint64_t(1) << (pair % 64); }
        bool has(std::uint16_t pair) const { return m_bits[pair / 64] & (std::uint64_t(1) << (pair % 64)); }

    private:
        std::array<std::uint64_t, 65536 / 64> m_bits{};
    };

    // Globs filed under up to kFiledBytes bytes at one end of their literal text. The two bytes
    // at that very end (or the one, for one byte filed) let most texts go without a lookup.
    class EndShelf
    {
    public:
        explicit EndShelf(bool atEnd)
            : m_atEnd(atEnd)
        {}
        void file(std::string_view literal, std::uint32_t glob);
        bool matchesAny(std::string_view text, const std::vector<GlobPattern> &globs) const;

    private:
        bool m_atEnd;
        PairBits m_endsInUse;
        std::array<bool, 256> m_endBytesInUse{};
        KeyMap<GlobNumbers> m_globsByBytes;
        std::vector<std::size_t> m_lengths; // of the filed bytes, each once
    };

    // Globs filed under a pair of bytes anywhere in the text; the pairs in use let most of a
    // text's pairs be passed over without a lookup.
    class PairShelf
    {
    public:
        void file(std::uint16_t pair, std::uint32_t glob);
        bool matchesAny(std::string_view text, const std::vector<GlobPattern> &globs) const;

    private:
        PairBits m_inUse;
        absl::flat_hash_map<std::uint16_t, GlobNumbers> m_globsByPair;
    };

    std::vector<GlobPattern> m_globs;
    KeySet m_seen;
    EndShelf m_byTail{true};
    EndShelf m_byHead{false};
    PairShelf m_byPair;
    GlobNumbers m_unfiled; // no two literal bytes side by side: tried on every text
};

} // namespace Quorvane
