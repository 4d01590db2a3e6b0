#include "PartitionMatcher.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <utility>

namespace Quorvane {

namespace {

// Tables are at least twice as large as what they hold, so probe runs stay short.
std::size_t slotCountFor(std::size_t entryCount)
{
    return std::bit_ceil(std::max<std::size_t>(entryCount * 2, 16));
}

// The prefetch helpers are always inlined: GCC otherwise finds them free of side effects and
// drops their calls, prefetches and all.

// Asks for the first and the last byte of a key: a short key often straddles two cache lines.
[[gnu::always_inline]] inline void prefetchKey(std::string_view key)
{
    __builtin_prefetch(key.data());
    __builtin_prefetch(key.data() + key.size());
}

// Asks for the key views of the candidates far ahead, and for the bytes of the nearer ones,
// whose views have arrived by then. viewsOf(c) gives the two key views of candidate c.
template<typename ViewsOf>
[[gnu::always_inline]] inline void prefetchAhead(std::size_t c, std::size_t count, ViewsOf &&viewsOf)
{
    constexpr std::size_t kViewsAhead = 32;
    constexpr std::size_t kBytesAhead = 16;
    if (c + kViewsAhead < count) {
        const auto [view, otherView] = viewsOf(c + kViewsAhead);
        __builtin_prefetch(view);
        __builtin_prefetch(otherView);
    }
    if (c + kBytesAhead < count) {
        const auto [view, otherView] = viewsOf(c + kBytesAhead);
        prefetchKey(*view);
        prefetchKey(*otherView);
    }
}

// The first place in [begin, end) whose entry has the same tag and key as entry. Reached only
// when two different keys share a tag, which is rare.
template<typename EntryAt>
std::optional<std::uint32_t> placeOfEqualKey(std::uint32_t begin, std::uint32_t end, EntryAt &&entryAt,
                                             const PartitionSide &side, const TextEntry &entry, std::string_view key)
{
    for (std::uint32_t place = begin; place < end; ++place) {
        const TextEntry &other = entryAt(place);
        if (other.tag == entry.tag && side.keyOf(other) == key)
            return place;
    }
    return std::nullopt;
}

template<typename EntryAt>
bool anyEqualKey(std::uint32_t begin, std::uint32_t end, EntryAt &&entryAt, const PartitionSide &side,
                 const TextEntry &entry, std::string_view key)
{
    return placeOfEqualKey(begin, end, entryAt, side, entry, key).has_value();
}

} // namespace

PartitionMatcher::PartitionMatcher(std::size_t capacity)
    : m_slots(slotCountFor(capacity))
    , m_candidates(capacity)
    , m_probes(capacity)
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

template<typename EntryAt, typename OnNewTag>
std::size_t PartitionMatcher::collectEarlierTags(std::uint32_t count, EntryAt &&entryAt, OnNewTag &&onNewTag,
                                                 WorkerSteps &steps)
{
    clearTable(count);
    std::size_t candidateCount = 0;
    forEachPaced(0, count, steps, [&](std::size_t step) {
        const auto place = static_cast<std::uint32_t>(step);
        const std::uint32_t earlier = placeOfTag(entryAt(place).tag, place);
        if (earlier != place)
            m_candidates[candidateCount++] = {place, earlier};
        else
            onNewTag(place);
    });
    return candidateCount;
}

void PartitionMatcher::flagRepeats(const PartitionSide &side, bool backward, bool *flags, WorkerSteps &steps)
{
    const auto count = static_cast<std::uint32_t>(side.size());
    const auto entryAt = [&](std::uint32_t place) -> const TextEntry & {
        return side.entries[backward ? count - 1 - place : place];
    };
    const std::size_t candidateCount = collectEarlierTags(count, entryAt, [](std::uint32_t) {}, steps);
    const auto viewsOf = [&](std::size_t c) {
        return std::pair(&side.keys[entryAt(m_candidates[c].place).index],
                         &side.keys[entryAt(m_candidates[c].otherPlace).index]);
    };
    for (std::size_t c = 0; c < candidateCount; ++c) {
        prefetchAhead(c, candidateCount, viewsOf);
        const TextEntry &entry = entryAt(m_candidates[c].place);
        const std::string_view key = side.keyOf(entry);
        flags[entry.index] = key == side.keyOf(entryAt(m_candidates[c].otherPlace))
                             || anyEqualKey(0, m_candidates[c].place, entryAt, side, entry, key);
    }
}

std::size_t PartitionMatcher::probeTags(const PartitionSide &first, bool *flags, bool absentFlag,
                                       WorkArray<Candidate> &probes, WorkerSteps &steps) const
{
    std::size_t probeCount = 0;
    forEachPaced(0, first.size(), steps, [&](std::size_t place) {
        const TextEntry &entry = first.entries[place];
        const std::uint32_t secondPlace = findTag(entry.tag);
        if (secondPlace == kNoPlace)
            flags[entry.index] = absentFlag;
        else
            probes[probeCount++] = {static_cast<std::uint32_t>(place), secondPlace};
    });
    return probeCount;
}

template<typename Found>
void PartitionMatcher::matchProbes(const PartitionSide &first, const PartitionSide &second,
                                   const WorkArray<Candidate> &probes, std::size_t probeCount, Found &&found) const
{
    const auto secondAt = [&](std::uint32_t place) -> const TextEntry & { return second.entries[place]; };
    const auto viewsOf = [&](std::size_t c) {
        return std::pair(&first.keys[first.entries[probes[c].place].index],
                         &second.keys[second.entries[probes[c].otherPlace].index]);
    };
    for (std::size_t c = 0; c < probeCount; ++c) {
        prefetchAhead(c, probeCount, viewsOf);
        const TextEntry &entry = first.entries[probes[c].place];
        const std::string_view key = first.keyOf(entry);
        const std::uint32_t tagged = probes[c].otherPlace;
        found(entry, key == second.keyOf(second.entries[tagged])
                         ? std::optional<std::uint32_t>(tagged)
                         : placeOfEqualKey(0, static_cast<std::uint32_t>(second.size()), secondAt, second, entry, key));
    }
}

void PartitionMatcher::flagPresence(const PartitionSide &first, const PartitionSide &second, bool flagWhenPresent,
                                    bool *flags, WorkerSteps &steps)
{
    clearTable(second.size());
    forEachPaced(0, second.size(), steps, [&](std::size_t place) {
        placeOfTag(second.entries[place].tag, static_cast<std::uint32_t>(place));
    });
    const std::size_t probeCount = probeTags(first, flags, !flagWhenPresent, m_candidates, steps);
    matchProbes(first, second, m_candidates, probeCount,
                [&](const TextEntry &entry, std::optional<std::uint32_t> equal) {
                    flags[entry.index] = equal.has_value() == flagWhenPresent;
                });
}

void PartitionMatcher::flagShared(const PartitionSide &first, const PartitionSide &second, bool *firstShared,
                                  bool *secondShared, WorkerSteps &steps)
{
    const auto secondCount = static_cast<std::uint32_t>(second.size());
    const auto firstAt = [&](std::uint32_t place) -> const TextEntry & { return first.entries[place]; };
    const auto secondAt = [&](std::uint32_t place) -> const TextEntry & { return second.entries[place]; };
    // Second's tags go in the table; an entry whose tag came earlier becomes a candidate.
    const std::size_t repeatCount = collectEarlierTags(secondCount, secondAt, [](std::uint32_t) {}, steps);
    m_sharedFound.assign(second.size(), 0);

    const std::size_t probeCount = probeTags(first, firstShared, false, m_probes, steps);
    matchProbes(first, second, m_probes, probeCount, [&](const TextEntry &entry, std::optional<std::uint32_t> equal) {
        firstShared[entry.index] = equal.has_value();
        if (equal)
            m_sharedFound[*equal] = 1;
    });

    for (std::uint32_t place = 0; place < secondCount; ++place)
        secondShared[second.entries[place].index] = m_sharedFound[place] != 0;
    // A repeated key has the answer of its tag's earliest entry; a key that only shares the tag
    // is looked for among first's entries.
    const auto repeatViews = [&](std::size_t c) {
        return std::pair(&second.keys[second.entries[m_candidates[c].place].index],
                         &second.keys[second.entries[m_candidates[c].otherPlace].index]);
    };
    for (std::size_t c = 0; c < repeatCount; ++c) {
        prefetchAhead(c, repeatCount, repeatViews);
        const auto [place, earliest] = m_candidates[c];
        const TextEntry &entry = second.entries[place];
        const std::string_view key = second.keyOf(entry);
        if (key == second.keyOf(second.entries[earliest]))
            secondShared[entry.index] = m_sharedFound[earliest] != 0;
        else if (!m_sharedFound[place])
            secondShared[entry.index] = anyEqualKey(0, static_cast<std::uint32_t>(first.size()), firstAt, first,
                                                    entry, key);
    }
}

PartitionMatcher::KeyCounts PartitionMatcher::countKeys(const PartitionSide &first, const PartitionSide &second,
                                                       WorkerSteps &steps)
{
    // Places run through first's entries, then second's; a slot keeps the first place met with
    // its tag, so a key of first is always found at its earliest entry in first.
    const auto firstCount = static_cast<std::uint32_t>(first.size());
    const auto count = static_cast<std::uint32_t>(first.size() + second.size());
    const auto entryAt = [&](std::uint32_t place) -> const TextEntry & {
        return place < firstCount ? first.entries[place] : second.entries[place - firstCount];
    };
    const auto keyAt = [&](std::uint32_t place) {
        return place < firstCount ? first.keyOf(first.entries[place]) : second.keyOf(entryAt(place));
    };
    // The earliest place in [begin, end) with the same key as place, or kNoPlace. Reached only
    // when two different keys share a tag, which is rare.
    const auto earliestEqual = [&](std::uint32_t begin, std::uint32_t end, std::uint32_t place) {
        for (std::uint32_t other = begin; other < end; ++other) {
            if (entryAt(other).tag == entryAt(place).tag && keyAt(other) == keyAt(place))
                return other;
        }
        return kNoPlace;
    };

    KeyCounts counts;
    const std::size_t candidateCount = collectEarlierTags(count, entryAt, [&](std::uint32_t place) {
        // No entry before it has its tag, so none has its key.
        counts.onlyInSecond += place >= firstCount ? 1 : 0;
    }, steps);
    m_sharedFound.assign(first.size(), 0);
    const auto viewsOf = [&](std::size_t c) {
        const Candidate &candidate = m_candidates[c];
        const auto viewAt = [&](std::uint32_t place) {
            return place < firstCount ? &first.keys[first.entries[place].index]
                                      : &second.keys[second.entries[place - firstCount].index];
        };
        return std::pair(viewAt(candidate.place), viewAt(candidate.otherPlace));
    };
    for (std::size_t c = 0; c < candidateCount; ++c) {
        prefetchAhead(c, candidateCount, viewsOf);
        const auto [place, earlier] = m_candidates[c];
        if (place < firstCount) {
            if (keyAt(place) == keyAt(earlier) || earliestEqual(0, place, place) != kNoPlace)
                ++counts.repeatsInFirst;
            continue;
        }
        std::uint32_t inFirst = earlier < firstCount && keyAt(place) == keyAt(earlier) ? earlier : kNoPlace;
        if (inFirst == kNoPlace && earlier < firstCount)
            inFirst = earliestEqual(0, firstCount, place);
        if (inFirst != kNoPlace) {
            counts.shared += m_sharedFound[inFirst] ? 0 : 1;
            m_sharedFound[inFirst] = 1;
        } else if (keyAt(place) != keyAt(earlier) && earliestEqual(firstCount, place, place) == kNoPlace) {
            ++counts.onlyInSecond;
        }
    }
    return counts;
}

} // namespace Quorvane
