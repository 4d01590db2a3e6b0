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

PartitionMatcher::PartitionMatcher(std::size_t capacity)
    : m_slots(slotCountFor(capacity))
    , m_candidates(capacity)
{}

void PartitionMatcher::clearTable(std::size_t entryCount)
{
    const std::size_t slots = slotCountFor(entryCount);
    std::memset(m_slots.data(), 0, slots * sizeof(Slot));
    m_mask = slots - 1;
}

std::uint32_t PartitionMatcher::placeOfTag(std::uint32_t tag, std::uint32_t place)
{
    for (std::size_t at = tag & m_mask;; at = (at + 1) & m_mask) {
        Slot &slot = m_slots[at];
        if (slot.placePlusOne == 0) {
            slot = {tag, place + 1};
            return place;
        }
        if (slot.tag == tag)
            return slot.placePlusOne - 1;
    }
}

std::uint32_t PartitionMatcher::findTag(std::uint32_t tag) const
{
    for (std::size_t at = tag & m_mask;; at = (at + 1) & m_mask) {
        const Slot &slot = m_slots[at];
        if (slot.placePlusOne == 0)
            return kNoPlace;
        if (slot.tag == tag)
            return slot.placePlusOne - 1;
    }
}

namespace {

// Asks for the texts of the candidates a few steps ahead: first their views, then their bytes.
template<typename TextOf>
void prefetchAhead(std::size_t step, std::size_t count, TextOf &&textOf)
{
    constexpr std::size_t kViewsAhead = 64;
    constexpr std::size_t kBytesAhead = 32;
    if (step + kViewsAhead < count)
        textOf(step + kViewsAhead, [](const std::string_view &view) { __builtin_prefetch(&view); });
    if (step + kBytesAhead < count)
        textOf(step + kBytesAhead, [](const std::string_view &view) { __builtin_prefetch(view.data()); });
}

// Whether text equals the text of any of the entries in [begin, end) that carry tag. Reached
// only when two different texts share a tag, which is rare.
template<typename EntryAt>
bool anyEqualText(std::uint32_t begin, std::uint32_t end, EntryAt &&entryAt, std::uint32_t tag,
                  std::string_view text, std::span<const std::string_view> texts)
{
    for (std::uint32_t place = begin; place < end; ++place) {
        const TextEntry &entry = entryAt(place);
        if (entry.tag == tag && texts[entry.index] == text)
            return true;
    }
    return false;
}

} // namespace

void PartitionMatcher::flagRepeats(std::span<const TextEntry> entries, std::span<const std::string_view> texts,
                                   bool backward, bool *flags, ProgressPacer &pacer)
{
    const auto count = static_cast<std::uint32_t>(entries.size());
    const auto entryAt = [&](std::uint32_t place) -> const TextEntry & {
        return entries[backward ? count - 1 - place : place];
    };
    clearTable(count);
    std::size_t candidateCount = 0;
    for (std::uint32_t place = 0; place < count; ++place) {
        const std::uint32_t earlier = placeOfTag(entryAt(place).tag, place);
        if (earlier != place)
            m_candidates[candidateCount++] = {place, earlier};
        pacer.advance();
    }
    for (std::size_t c = 0; c < candidateCount; ++c) {
        prefetchAhead(c, candidateCount, [&](std::size_t ahead, auto &&fetch) {
            fetch(texts[entryAt(m_candidates[ahead].place).index]);
            fetch(texts[entryAt(m_candidates[ahead].otherPlace).index]);
        });
        const Candidate &candidate = m_candidates[c];
        const TextEntry &entry = entryAt(candidate.place);
        const std::string_view text = texts[entry.index];
        flags[entry.index] = text == texts[entryAt(candidate.otherPlace).index]
                             || anyEqualText(0, candidate.place, entryAt, entry.tag, text, texts);
    }
}

void PartitionMatcher::flagPresence(std::span<const TextEntry> first, std::span<const std::string_view> firstTexts,
                                    std::span<const TextEntry> second, std::span<const std::string_view> secondTexts,
                                    bool flagWhenPresent, bool *flags, ProgressPacer &pacer)
{
    clearTable(second.size());
    for (std::uint32_t place = 0; place < second.size(); ++place) {
        placeOfTag(second[place].tag, place);
        pacer.advance();
    }
    std::size_t candidateCount = 0;
    for (std::uint32_t place = 0; place < first.size(); ++place) {
        const std::uint32_t secondPlace = findTag(first[place].tag);
        if (secondPlace == kNoPlace)
            flags[first[place].index] = !flagWhenPresent;
        else
            m_candidates[candidateCount++] = {place, secondPlace};
        pacer.advance();
    }
    const auto secondAt = [&](std::uint32_t place) -> const TextEntry & { return second[place]; };
    for (std::size_t c = 0; c < candidateCount; ++c) {
        prefetchAhead(c, candidateCount, [&](std::size_t ahead, auto &&fetch) {
            fetch(firstTexts[first[m_candidates[ahead].place].index]);
            fetch(secondTexts[second[m_candidates[ahead].otherPlace].index]);
        });
        const Candidate &candidate = m_candidates[c];
        const TextEntry &entry = first[candidate.place];
        const std::string_view text = firstTexts[entry.index];
        const bool present = text == secondTexts[second[candidate.otherPlace].index]
                             || anyEqualText(0, static_cast<std::uint32_t>(second.size()), secondAt, entry.tag, text,
                                             secondTexts);
        flags[entry.index] = present == flagWhenPresent;
    }
}

} // namespace Quorvane
