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
// Indexes and places are 32 bits wide; the largest value marks "no place".
constexpr std::size_t kMostTexts = std::numeric_limits<std::uint32_t>::max() - 1;

constexpr std::size_t kKeyBlock = std::size_t(256) << 10;

// Abseil hashes its own string view with its fast string hash; the standard view would be
// routed through std::hash first.
std::uint64_t hashOf(std::string_view key)
{
    return absl::Hash<absl::string_view>{}(absl::string_view(key.data(), key.size()));
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

std::string_view KeyStore::keep(std::string_view key)
{
    char *bytes = nullptr;
    if (key.size() > kKeyBlock / 4) {
        m_longKeys.push_back(std::make_unique_for_overwrite<char[]>(key.size()));
        bytes = m_longKeys.back().get();
    } else {
        if (m_capacity - m_used < key.size()) {
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kKeyBlock));
            m_used = 0;
            m_capacity = kKeyBlock;
        }
        bytes = m_blocks.back().get() + m_used;
        m_used += key.size();
    }
    std::memcpy(bytes, key.data(), key.size());
    return {bytes, key.size()};
}

std::size_t TextPartitions::partitionCountFor(std::size_t textCount)
{
    return std::min(std::bit_ceil(std::max<std::size_t>(textCount / kEntriesPerPartition, 1)), kMostPartitions);
}

TextPartitions::TextPartitions(std::span<const std::string_view> texts, std::size_t partitionCount,
                               ProgressPacer &pacer, const MatchMode &mode)
    : m_entries(checkedTextCount(texts.size()))
    , m_starts(partitionCount + 1)
{
    // The top bits of a hash choose its partition, the low 32 bits are its tag.
    const int shift = 64 - std::countr_zero(partitionCount);
    const auto partitionOf = [shift](std::uint64_t hash) {
        return shift == 64 ? std::size_t(0) : static_cast<std::size_t>(hash >> shift);
    };

    // Keys that differ from their texts are made once, in the first pass, and kept.
    std::unique_ptr<WorkArray<std::string_view>> madeKeys;
    if (!mode.isExact())
        madeKeys = std::make_unique<WorkArray<std::string_view>>(texts.size());
    const auto keyAt = [&](std::size_t i) { return madeKeys ? (*madeKeys)[i] : texts[i]; };
    KeyMaker keyMaker(mode);

    WorkArray<std::uint64_t> hashes(texts.size());
    std::fill_n(m_starts.data(), m_starts.size(), std::size_t(0));
    forEachPaced(texts.size(), pacer, [&](std::size_t i) {
        if (madeKeys) {
            const std::string_view key = keyMaker.keyOf(texts[i]);
            (*madeKeys)[i] = keyMaker.isScratch(key) ? m_keys.keep(key) : key;
        }
        hashes[i] = hashOf(keyAt(i));
        ++m_starts[partitionOf(hashes[i]) + 1];
    });
    for (std::size_t p = 0; p < partitionCount; ++p) {
        m_largest = std::max(m_largest, m_starts[p + 1]);
        m_starts[p + 1] += m_starts[p];
    }

    WorkArray<std::size_t> next(partitionCount);
    std::copy_n(m_starts.data(), partitionCount, next.data());
    forEachPaced(texts.size(), pacer, [&](std::size_t i) {
        m_entries[next[partitionOf(hashes[i])]++] = {keyAt(i), static_cast<std::uint32_t>(i),
                                                     static_cast<std::uint32_t>(hashes[i])};
    });
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

// Asks for the first and the last byte of a key: a short key often straddles two cache lines.
void prefetchKey(std::string_view key)
{
    __builtin_prefetch(key.data());
    __builtin_prefetch(key.data() + key.size());
}

// Asks for the texts of the candidates a few steps ahead.
template<typename EntriesOf>
void prefetchAhead(std::size_t step, std::size_t count, EntriesOf &&entriesOf)
{
    constexpr std::size_t kAhead = 32;
    if (step + kAhead < count) {
        const auto [entry, other] = entriesOf(step + kAhead);
        prefetchKey(entry.key);
        prefetchKey(other.key);
    }
}

// Whether any of the entries in [begin, end) has the same tag and key as entry. Reached only
// when two different texts share a tag, which is rare.
template<typename EntryAt>
bool anyEqualKey(std::uint32_t begin, std::uint32_t end, EntryAt &&entryAt, const TextEntry &entry)
{
    for (std::uint32_t place = begin; place < end; ++place) {
        const TextEntry &other = entryAt(place);
        if (other.tag == entry.tag && other.key == entry.key)
            return true;
    }
    return false;
}

} // namespace

void PartitionMatcher::flagRepeats(std::span<const TextEntry> entries, bool backward, bool *flags,
                                   ProgressPacer &pacer)
{
    const auto count = static_cast<std::uint32_t>(entries.size());
    const auto entryAt = [&](std::uint32_t place) -> const TextEntry & {
        return entries[backward ? count - 1 - place : place];
    };
    clearTable(count);
    std::size_t candidateCount = 0;
    forEachPaced(count, pacer, [&](std::size_t step) {
        const auto place = static_cast<std::uint32_t>(step);
        const std::uint32_t earlier = placeOfTag(entryAt(place).tag, place);
        if (earlier != place)
            m_candidates[candidateCount++] = {place, earlier};
    });
    const auto pairAt = [&](std::size_t c) {
        return std::pair<const TextEntry &, const TextEntry &>(entryAt(m_candidates[c].place),
                                                               entryAt(m_candidates[c].otherPlace));
    };
    for (std::size_t c = 0; c < candidateCount; ++c) {
        prefetchAhead(c, candidateCount, pairAt);
        const auto [entry, earlier] = pairAt(c);
        flags[entry.index] = entry.key == earlier.key || anyEqualKey(0, m_candidates[c].place, entryAt, entry);
    }
}

template<typename InFirst, typename InSecond, typename Answer>
void PartitionMatcher::findInSecond(std::span<const TextEntry> first, std::span<const TextEntry> second,
                                    InFirst &&inFirst, InSecond &&inSecond, Answer &&answer, ProgressPacer &pacer)
{
    clearTable(second.size());
    forEachPaced(second.size(), pacer, [&](std::size_t place) {
        if (inSecond(second[place]))
            placeOfTag(second[place].tag, static_cast<std::uint32_t>(place));
    });
    std::size_t candidateCount = 0;
    forEachPaced(first.size(), pacer, [&](std::size_t place) {
        if (!inFirst(first[place]))
            return;
        const std::uint32_t secondPlace = findTag(first[place].tag);
        if (secondPlace == kNoPlace)
            answer(first[place], false);
        else
            m_candidates[candidateCount++] = {static_cast<std::uint32_t>(place), secondPlace};
    });
    // Any entry of second will do for the rare shared tag: left-out ones repeat a key that is in.
    const auto secondAt = [&](std::uint32_t place) -> const TextEntry & { return second[place]; };
    const auto pairAt = [&](std::size_t c) {
        return std::pair<const TextEntry &, const TextEntry &>(first[m_candidates[c].place],
                                                               second[m_candidates[c].otherPlace]);
    };
    for (std::size_t c = 0; c < candidateCount; ++c) {
        prefetchAhead(c, candidateCount, pairAt);
        const auto [entry, match] = pairAt(c);
        answer(entry, entry.key == match.key
                          || anyEqualKey(0, static_cast<std::uint32_t>(second.size()), secondAt, entry));
    }
}

void PartitionMatcher::flagPresence(std::span<const TextEntry> first, std::span<const TextEntry> second,
                                    bool flagWhenPresent, bool *flags, ProgressPacer &pacer)
{
    const auto every = [](const TextEntry &) { return true; };
    findInSecond(first, second, every, every,
                 [&](const TextEntry &entry, bool present) { flags[entry.index] = present == flagWhenPresent; }, pacer);
}

std::size_t PartitionMatcher::countShared(std::span<const TextEntry> first, const bool *firstRepeats,
                                          std::span<const TextEntry> second, const bool *secondRepeats,
                                          ProgressPacer &pacer)
{
    std::size_t shared = 0;
    findInSecond(
        first, second, [&](const TextEntry &entry) { return !firstRepeats[entry.index]; },
        [&](const TextEntry &entry) { return !secondRepeats[entry.index]; },
        [&](const TextEntry &, bool present) { shared += present ? 1 : 0; }, pacer);
    return shared;
}

} // namespace Quorvane
