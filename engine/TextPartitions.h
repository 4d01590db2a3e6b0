#pragma once

#include "engine/Matching.h"
#include "engine/ProgressPacer.h"
#include "engine/WorkMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace Quorvane {

// The 64-bit hash a key is grouped by; lists grouped anywhere else must use the same one.
std::uint64_t hashOf(std::string_view key);

// One text of a list in its partition: its index in the list, and its tag (the low 32 bits of its
// key's hash) for quick rejection; the tag's top bits are those of its partition. Eight bytes, so
// the entries of millions of texts take few fresh pages.
struct TextEntry
{
    std::uint32_t index;
    std::uint32_t tag;
};

// The entries of one partition of a list, and the keys of that list's texts by index.
struct PartitionSide
{
    std::span<const TextEntry> entries;
    std::span<const std::string_view> keys;

    std::size_t size() const { return entries.size(); }
    std::string_view keyOf(const TextEntry &entry) const { return keys[entry.index]; }
};

// Keeps the keys that are not views of their texts for as long as the partitions live. Most
// keys are views (exact matching, or nothing to fold), so most lists store nothing here.
class KeyStore
{
public:
    std::string_view keep(std::string_view key);
    std::size_t heldBytes() const { return m_held; }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks; // the last one takes the next short keys
    std::vector<std::unique_ptr<char[]>> m_longKeys;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
    std::size_t m_held = 0;
};

// The texts of a list grouped by the hash of their keys into partitions small enough to stay in
// cache, each holding its entries in rising index order. Two lists grouped with the same partition
// count and mode put equal keys into partitions of the same number. Hashing once and then working
// one partition at a time avoids the cache misses of one big table over millions of texts.
class TextPartitions
{
public:
    // A partition count suited to lists of the given length: a power of two.
    static std::size_t partitionCountFor(std::size_t textCount);

    // Makes each text's key under mode once, sharing the work among workers threads (see
    // Workers.h). Counts two steps of the pacer per text. Throws std::length_error for more texts
    // than 32-bit indexes can address, std::bad_alloc when memory runs out.
    TextPartitions(std::span<const std::string_view> texts, std::size_t partitionCount, ProgressPacer &pacer,
                   const MatchMode &mode = {}, std::size_t workers = 1);

    std::size_t partitionCount() const { return m_starts.size() - 1; }
    PartitionSide partition(std::size_t number) const;
    std::size_t largestPartition() const { return m_largest; }
    // The same entries grouped into count partitions, count a power of two no larger than
    // partitionCount(): the top bits of a tag choose its partition, so each coarser partition is
    // a run of these. Its entries are in rising index order only within each of these.
    PartitionSide partition(std::size_t number, std::size_t count) const;
    std::size_t largestPartition(std::size_t count) const;

    // Whether these are the partitions of exactly texts (the same array, not a copy) with the
    // keys mode makes, grouped at least as finely as into partitionCount.
    bool serves(std::span<const std::string_view> texts, const MatchMode &mode, std::size_t partitionCount) const;
    // The memory held by text: the entries, and the keys that are not views of their texts.
    std::size_t heldBytes() const;
    // Each text's key by index: the texts themselves when matching is exact.
    std::span<const std::string_view> keys() const { return m_keys; }

private:
    std::span<const std::string_view> m_texts;
    MatchMode m_mode;
    std::vector<KeyStore> m_keyStores; // one per worker
    std::unique_ptr<WorkArray<std::string_view>> m_madeKeys;
    std::span<const std::string_view> m_keys;
    WorkArray<TextEntry> m_entries;
    WorkArray<std::size_t> m_starts; // partition p holds entries [m_starts[p], m_starts[p + 1])
    std::size_t m_largest = 0;
};

// The partitions of texts' keys under mode for one pass: known when they serve (made earlier of
// the same texts, counted on the pacer as made), else made now as the constructor makes them.
std::shared_ptr<const TextPartitions> partitionsFor(const std::shared_ptr<const TextPartitions> &known,
                                                    std::span<const std::string_view> texts,
                                                    std::size_t partitionCount, ProgressPacer &pacer,
                                                    const MatchMode &mode, std::size_t workers);

} // namespace Quorvane
