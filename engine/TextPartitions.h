#pragma once

#include "engine/ProgressPacer.h"
#include "engine/WorkMemory.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace Quorvane {

// One text of a list: its index and 32 bits of its hash for quick rejection.
struct TextEntry
{
    std::uint32_t index;
    std::uint32_t tag;
};

// The texts of a list grouped by hash into partitions small enough to stay in cache, each
// holding its entries in rising index order. Two lists grouped with the same partition count
// put equal texts into partitions of the same number. Hashing once and then working one
// partition at a time avoids the cache misses of one big table over millions of texts.
class TextPartitions
{
public:
    // A partition count suited to lists of the given length: a power of two.
    static std::size_t partitionCountFor(std::size_t textCount);

    // Counts two steps of the pacer per text. Throws std::length_error for more texts than
    // 32-bit indexes can address, std::bad_alloc when memory runs out.
    TextPartitions(std::span<const std::string_view> texts, std::size_t partitionCount, ProgressPacer &pacer);

    std::size_t partitionCount() const { return m_starts.size() - 1; }
    std::span<const TextEntry> partition(std::size_t number) const;
    std::size_t largestPartition() const { return m_largest; }

private:
    WorkArray<TextEntry> m_entries;
    WorkArray<std::size_t> m_starts; // partition p holds entries [m_starts[p], m_starts[p + 1])
    std::size_t m_largest = 0;
};

// Visits the entries in order, or in reverse order when backward, asking for each entry's
// text a few entries ahead: texts lie scattered through memory, and waiting for each one in
// turn would cost more than all the rest of the work.
template<typename Visit>
void visitPrefetched(std::span<const TextEntry> entries, std::span<const std::string_view> texts, bool backward,
                     Visit &&visit)
{
    constexpr std::size_t kViewsAhead = 16;
    constexpr std::size_t kBytesAhead = 8;
    const std::size_t count = entries.size();
    const auto entryAt = [&](std::size_t step) -> const TextEntry & {
        return entries[backward ? count - 1 - step : step];
    };
    for (std::size_t step = 0; step < count; ++step) {
        if (step + kViewsAhead < count)
            __builtin_prefetch(&texts[entryAt(step + kViewsAhead).index]);
        if (step + kBytesAhead < count)
            __builtin_prefetch(texts[entryAt(step + kBytesAhead).index].data());
        visit(entryAt(step));
    }
}

// An open-addressing set of texts of one partition, sized once for the largest partition and
// cleared in time proportional to the partition it is about to take.
class TextTable
{
public:
    // stored: the list whose texts are inserted; capacity: the most entries ever inserted at once.
    TextTable(std::span<const std::string_view> stored, std::size_t capacity);

    void clearFor(std::size_t entryCount);
    // Inserts the entry's text unless an equal text is present; returns whether it was inserted.
    bool insert(const TextEntry &entry);
    // Whether the text of an entry of another list (texts) is present.
    bool contains(const TextEntry &entry, std::span<const std::string_view> texts) const;

private:
    struct Slot
    {
        std::uint32_t tag;
        std::uint32_t indexPlusOne; // 0 marks an empty slot
    };

    // The slot holding a text with this tag for which sameText holds, or else the empty slot that ends the probe.
    template<typename SameText>
    std::size_t find(std::uint32_t tag, SameText &&sameText) const;

    std::span<const std::string_view> m_stored;
    WorkArray<Slot> m_slots;
    std::size_t m_mask = 0;
};

} // namespace Quorvane
