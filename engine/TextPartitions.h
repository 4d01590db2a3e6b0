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

// One text of a list: its key (the text itself when matching is exact), so comparing needs no
// look-up in the list, its index, and 32 bits of the key's hash for quick rejection.
struct TextEntry
{
    std::string_view key;
    std::uint32_t index;
    std::uint32_t tag;
};

// Keeps the keys that are not views of their texts for as long as the partitions live. Most
// keys are views (exact matching, or nothing to fold), so most lists store nothing here.
class KeyStore
{
public:
    std::string_view keep(std::string_view key);

private:
    std::vector<std::unique_ptr<char[]>> m_blocks; // the last one takes the next short keys
    std::vector<std::unique_ptr<char[]>> m_longKeys;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
};

// The texts of a list grouped by the hash of their keys into partitions small enough to stay in
// cache, each holding its entries in rising index order. Two lists grouped with the same partition
// count and mode put equal keys into partitions of the same number. Hashing once and then working one
// partition at a time avoids the cache misses of one big table over millions of texts.
class TextPartitions
{
public:
    // A partition count suited to lists of the given length: a power of two.
    static std::size_t partitionCountFor(std::size_t textCount);

    // Makes each text's key under mode once. Counts two steps of the pacer per text. Throws std::length_error for more texts than
    // 32-bit indexes can address, std::bad_alloc when memory runs out.
    TextPartitions(std::span<const std::string_view> texts, std::size_t partitionCount, ProgressPacer &pacer,
                   const MatchMode &mode = {});

    std::size_t partitionCount() const { return m_starts.size() - 1; }
    std::span<const TextEntry> partition(std::size_t number) const;
    std::size_t largestPartition() const { return m_largest; }

private:
    KeyStore m_keys;
    WorkArray<TextEntry> m_entries;
    WorkArray<std::size_t> m_starts; // partition p holds entries [m_starts[p], m_starts[p + 1])
    std::size_t m_largest = 0;
};

// Compares the keys of one partition at a time. It first works on the 32-bit tags alone,
// which stay in cache; only entries whose tag was seen before have their keys read (they lie
// scattered through memory, so they are asked for a few entries ahead) and compared byte for byte.
class PartitionMatcher
{
public:
    // capacity: the most entries of one list in any partition it will be given.
    explicit PartitionMatcher(std::size_t capacity);

    // Sets flags[index] for every entry whose key equals that of an entry met before it,
    // meeting the entries in their order or, when backward, in reverse order.
    void flagRepeats(std::span<const TextEntry> entries, bool backward, bool *flags, ProgressPacer &pacer);

    // Sets flags[index] for every entry of first whose key's presence among second's entries
    // equals flagWhenPresent. Both are the same partition of two lists.
    void flagPresence(std::span<const TextEntry> first, std::span<const TextEntry> second, bool flagWhenPresent,
                      bool *flags, ProgressPacer &pacer);

    // Counts the keys that first and second have in common, each once. The repeats flags (by
    // index, as flagRepeats sets them) mark the entries that repeat a key of their own list.
    std::size_t countShared(std::span<const TextEntry> first, const bool *firstRepeats, std::span<const TextEntry> second,
                            const bool *secondRepeats, ProgressPacer &pacer);

private:
    // An entry, by its place in the partition, whose tag equals that of another entry: the
    // first one met of the same list, or one of the second list.
    struct Candidate
    {
        std::uint32_t place;
        std::uint32_t otherPlace;
    };
    struct Slot
    {
        std::uint32_t tag;
        std::uint32_t placePlusOne; // 0 marks an empty slot
    };
    static constexpr std::uint32_t kNoPlace = 0xFFFFFFFF;

    // Tells answer, for each entry of first that inFirst takes, whether its key is that of an
    // entry of second that inSecond takes.
    template<typename InFirst, typename InSecond, typename Answer>
    void findInSecond(std::span<const TextEntry> first, std::span<const TextEntry> second, InFirst &&inFirst,
                      InSecond &&inSecond, Answer &&answer, ProgressPacer &pacer);
    void clearTable(std::size_t entryCount);
    // The place stored under tag; stores place there first when the tag is new.
    std::uint32_t placeOfTag(std::uint32_t tag, std::uint32_t place);
    std::uint32_t findTag(std::uint32_t tag) const;

    WorkArray<Slot> m_slots;
    WorkArray<Candidate> m_candidates;
    std::size_t m_mask = 0;
};

} // namespace Quorvane
