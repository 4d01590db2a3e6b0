#include "TextPartitions.h"

#include <absl/hash/hash.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace Quorvane {

namespace {

// About this many entries per partition keep a partition's entries and its table in the
// second-level cache.
constexpr std::size_t kEntriesPerPartition = 8192;
constexpr std::size_t kMostPartitions = std::size_t(1) << 16;
// One slot is left free for the empty-slot marker.
constexpr std::size_t kMostTexts = std::numeric_limits<std::uint32_t>::max() - 1;

// Abseil hashes its own string view with its fast string hash; the standard view would be
// routed through std::hash first.
std::uint64_t hashOf(std::string_view text)
{
    return absl::Hash<absl::string_view>{}(absl::string_view(text.data(), text.size()));
}

// Tables are at least twice as large as what they hold, so probe runs stay short.
std::size_t slotCountFor(std::size_t entryCount)
{
    return std::bit_ceil(std::max<std::size_t>(entryCount * 2, 16));
}

std::size_t checkedTextCount(std::size_t textCount)
{
    if (textCount > kMostTexts)
        throw std::length_error("List too long");
    return textCount;
}

} // namespace

std::size_t TextPartitions::partitionCountFor(std::size_t textCount)
{
    return std::min(std::bit_ceil(std::max<std::size_t>(textCount / kEntriesPerPartition, 1)), kMostPartitions);
}

TextPartitions::TextPartitions(std::span<const std::string_view> texts, std::size_t partitionCount,
                               ProgressPacer &pacer)
    : m_entries(checkedTextCount(texts.size()))
    , m_starts(partitionCount + 1)
{
    // The top bits of a hash choose its partition, the low 32 bits are its tag.
    const int shift = 64 - std::countr_zero(partitionCount);
    const auto partitionOf = [shift](std::uint64_t hash) {
        return shift == 64 ? std::size_t(0) : static_cast<std::size_t>(hash >> shift);
    };

    WorkArray<std::uint64_t> hashes(texts.size());
    std::fill_n(m_starts.data(), m_starts.size(), std::size_t(0));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        hashes[i] = hashOf(texts[i]);
        ++m_starts[partitionOf(hashes[i]) + 1];
        pacer.advance();
    }
    for (std::size_t p = 0; p < partitionCount; ++p) {
        m_largest = std::max(m_largest, m_starts[p + 1]);
        m_starts[p + 1] += m_starts[p];
    }

    WorkArray<std::size_t> next(partitionCount);
    std::copy_n(m_starts.data(), partitionCount, next.data());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        m_entries[next[partitionOf(hashes[i])]++] = {static_cast<std::uint32_t>(i),
                                                     static_cast<std::uint32_t>(hashes[i])};
        pacer.advance();
    }
}

std::span<const TextEntry> TextPartitions::partition(std::size_t number) const
{
    return m_entries.all().subspan(m_starts[number], m_starts[number + 1] - m_starts[number]);
}

TextTable::TextTable(std::span<const std::string_view> stored, std::size_t capacity)
    : m_stored(stored)
    , m_slots(slotCountFor(capacity))
{}

void TextTable::clearFor(std::size_t entryCount)
{
    const std::size_t slots = slotCountFor(entryCount);
    std::memset(m_slots.data(), 0, slots * sizeof(Slot));
    m_mask = slots - 1;
}

template<typename SameText>
std::size_t TextTable::find(std::uint32_t tag, SameText &&sameText) const
{
    for (std::size_t at = tag & m_mask;; at = (at + 1) & m_mask) {
        const Slot &slot = m_slots[at];
        if (slot.indexPlusOne == 0 || (slot.tag == tag && sameText(m_stored[slot.indexPlusOne - 1])))
            return at;
    }
}

bool TextTable::insert(const TextEntry &entry)
{
    // The entry's own text is fetched only when a tag matches: most entries never need it.
    const std::size_t at = find(entry.tag, [&](std::string_view stored) { return stored == m_stored[entry.index]; });
    Slot &slot = m_slots[at];
    if (slot.indexPlusOne != 0)
        return false;
    slot = {entry.tag, entry.index + 1};
    return true;
}

bool TextTable::contains(const TextEntry &entry, std::span<const std::string_view> texts) const
{
    const std::size_t at = find(entry.tag, [&](std::string_view stored) { return stored == texts[entry.index]; });
    return m_slots[at].indexPlusOne != 0;
}

} // namespace Quorvane
