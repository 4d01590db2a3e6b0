#include "ListChange.h"

#include "WorkMemory.h"

#include <algorithm>

namespace Quorvane {

namespace {

constexpr std::size_t kBitsPerWord = 64;

// Two views are the same item when they point at the same bytes: texts are never moved while
// a snapshot holds their block.
bool sameItem(std::string_view a, std::string_view b)
{
    return a.data() == b.data() && a.size() == b.size();
}

} // namespace

// The items after a command are the ones it kept, in their order, then the ones it appended.
// Matching them greedily against the items before finds the longest kept prefix; should that
// take an appended item for a kept one, the two are the same view, so undo and redo still give
// back exactly the items of either side.
std::optional<ListChange> ListChange::between(const ItemList::Snapshot &before, const ItemList &after)
{
    const std::span<const std::string_view> old = before.texts();
    const std::span<const std::string_view> now = after.texts();
    // A list that did not change still shares its array with the snapshot.
    if (old.data() == now.data() && old.size() == now.size())
        return std::nullopt;
    std::size_t kept = 0;
    while (kept < old.size() && kept < now.size() && sameItem(old[kept], now[kept]))
        ++kept;
    if (kept == old.size() && kept == now.size())
        return std::nullopt;

    ListChange change;
    change.m_countBefore = old.size();
    change.m_firstRemoved = kept;
    std::size_t matched = kept;
    if (kept < old.size()) {
        // One pass, with bits for every position from the first removed one; those after the
        // last removed one are let go afterwards. Commands that remove add nothing, so the
        // difference in length is the number removed.
        change.m_removedBits.assign((old.size() - kept) / kBitsPerWord + 1, 0);
        reserveLarge(change.m_held, old.size() > now.size() ? old.size() - now.size() : 0);
        std::size_t lastRemoved = kept;
        for (std::size_t i = kept; i < old.size(); ++i) {
            if (matched < now.size() && sameItem(old[i], now[matched])) {
                ++matched;
            } else {
                change.markRemoved(i);
                change.m_held.push_back(old[i]);
                lastRemoved = i;
            }
        }
        change.m_removedBits.resize((lastRemoved - kept) / kBitsPerWord + 1);
        change.m_removedBits.shrink_to_fit();
    }
    change.m_removedCount = change.m_held.size();
    change.m_addedCount = now.size() - matched;
    change.m_blocksBefore = before.blocks();
    change.m_blocksAfter = after.blocks();
    return change;
}

std::optional<ListChange> ListChange::removal(const ItemList &list, std::span<const bool> flags)
{
    const auto first = std::find(flags.begin(), flags.end(), true);
    if (first == flags.end())
        return std::nullopt;
    const auto last = std::find(flags.rbegin(), flags.rend(), true);
    const std::span<const std::string_view> texts = list.texts();
    ListChange change;
    change.m_countBefore = texts.size();
    change.m_firstRemoved = static_cast<std::size_t>(first - flags.begin());
    const std::size_t lastRemoved = flags.size() - 1 - static_cast<std::size_t>(last - flags.rbegin());
    change.m_removedBits.assign((lastRemoved - change.m_firstRemoved) / kBitsPerWord + 1, 0);
    reserveLarge(change.m_held, static_cast<std::size_t>(std::count(first, flags.end(), true)));
    for (std::size_t i = change.m_firstRemoved; i <= lastRemoved; ++i) {
        if (flags[i]) {
            change.markRemoved(i);
            change.m_held.push_back(texts[i]);
        }
    }
    change.m_removedCount = change.m_held.size();
    change.m_blocksBefore = list.blocks();
    change.m_blocksAfter = list.blocks();
    return change;
}

ListChange ListChange::exchange(ItemList::Snapshot before, const ItemList &after, std::size_t removedCount)
{
    ListChange change;
    change.m_countBefore = before.texts().size();
    change.m_removedCount = removedCount;
    change.m_blocksBefore = before.blocks();
    change.m_blocksAfter = after.blocks();
    change.m_otherSide = std::move(before);
    return change;
}

// Puts the other side's array in the list and keeps the list's own for the way back.
void ListChange::swapSides(ItemList &list)
{
    ItemList::Snapshot now = list.snapshot();
    list.restore(std::move(*m_otherSide));
    m_otherSide = std::move(now);
}

bool ListChange::isRemoved(std::size_t position) const
{
    const std::size_t bit = position - m_firstRemoved;
    return (m_removedBits[bit / kBitsPerWord] >> (bit % kBitsPerWord)) & 1U;
}

void ListChange::markRemoved(std::size_t position)
{
    const std::size_t bit = position - m_firstRemoved;
    m_removedBits[bit / kBitsPerWord] |= std::uint64_t(1) << (bit % kBitsPerWord);
}

void ListChange::undo(ItemList &list)
{
    if (m_otherSide) {
        swapSides(list);
        return;
    }
    const std::span<const std::string_view> now = list.texts();
    const std::size_t keptCount = now.size() - m_addedCount;
    const std::size_t bitsEnd = m_firstRemoved + m_removedBits.size() * kBitsPerWord;
    ItemList::Items added(now.begin() + static_cast<std::ptrdiff_t>(keptCount), now.end());
    // From the back: position i takes the last removed item not yet put back, or the last kept
    // one, which lies at or before i; so every kept item is read before its place is written.
    list.refill(m_countBefore, m_blocksBefore, [&](std::span<std::string_view> items) {
        std::size_t kept = keptCount;
        std::size_t removed = m_removedCount;
        for (std::size_t i = m_countBefore; i-- > 0;) {
            if (i >= m_firstRemoved && i < bitsEnd && isRemoved(i))
                items[i] = m_held[--removed];
            else
                items[i] = items[--kept];
        }
    });
    m_held = std::move(added);
}

void ListChange::redo(ItemList &list)
{
    if (m_otherSide) {
        swapSides(list);
        return;
    }
    const std::span<const std::string_view> old = list.texts();
    const std::size_t bitsEnd = std::min(m_firstRemoved + m_removedBits.size() * kBitsPerWord, old.size());
    const auto removedAt = [&](std::size_t i) { return i >= m_firstRemoved && i < bitsEnd && isRemoved(i); };
    ItemList::Items removed;
    reserveLarge(removed, m_removedCount);
    for (std::size_t i = m_firstRemoved; i < bitsEnd; ++i) {
        if (removedAt(i))
            removed.push_back(old[i]);
    }
    // From the front: a kept item only moves to a lower position, already read.
    list.refill(m_countBefore - m_removedCount + m_addedCount, m_blocksAfter, [&](std::span<std::string_view> items) {
        std::size_t next = m_firstRemoved;
        for (std::size_t i = m_firstRemoved; i < m_countBefore; ++i) {
            if (!removedAt(i))
                items[next++] = items[i];
        }
        std::copy(m_held.begin(), m_held.end(), items.begin() + static_cast<std::ptrdiff_t>(next));
    });
    m_held = std::move(removed);
}

std::size_t ListChange::ownBytes() const
{
    const std::size_t otherSide = m_otherSide ? m_otherSide->texts().size() * sizeof(std::string_view) : 0;
    return otherSide + m_removedBits.capacity() * sizeof(std::uint64_t) + m_held.capacity() * sizeof(std::string_view)
        + (m_blocksBefore.capacity() + m_blocksAfter.capacity()) * sizeof(std::shared_ptr<const ByteBlock>);
}

} // namespace Quorvane
