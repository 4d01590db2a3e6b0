#include "KeyIndexes.h"

namespace Quorvane {

std::shared_ptr<const TextPartitions> KeyIndexes::of(ListId id, const ItemList &list) const
{
    const Kept &kept = m_kept[listIndex(id)];
    return kept.changeCount == list.changeCount() ? kept.partitions : nullptr;
}

std::shared_ptr<const TextPartitions> KeyIndexes::take(ListId id, const ItemList &list)
{
    std::shared_ptr<const TextPartitions> taken = of(id, list);
    m_kept[listIndex(id)] = {};
    return taken;
}

void KeyIndexes::keep(ListId id, std::uint64_t changeCount, std::shared_ptr<const TextPartitions> partitions)
{
    Kept &kept = m_kept[listIndex(id)];
    if (partitions && partitions->heldBytes() > kBudgetPerItem * partitions->keys().size())
        partitions.reset();
    kept = {changeCount, std::move(partitions)};
}

void KeyIndexes::forgetStale(ListId id, const ItemList &list, const MatchMode &mode)
{
    Kept &kept = m_kept[listIndex(id)];
    if (kept.partitions
        && (kept.changeCount != list.changeCount() || !kept.partitions->serves(list.texts(), mode, 1)))
        kept.partitions.reset();
    if (m_overlap.changeCounts[listIndex(id)] != list.changeCount() || !makesSameKeys(mode, overlapModeOf(id)))
        m_overlap = {};
}

MatchMode KeyIndexes::overlapModeOf(ListId id) const
{
    return id == ListId::List1 ? m_overlap.firstMode : m_overlap.firstMode.forOtherList();
}

void KeyIndexes::keepOverlap(std::array<std::uint64_t, 2> changeCounts, const MatchMode &firstMode,
                             std::shared_ptr<const Overlap> overlap)
{
    m_overlap = {changeCounts, firstMode, std::move(overlap)};
}

std::shared_ptr<const bool> KeyIndexes::sharedOf(ListId id, const ItemList &list, const ItemList &other,
                                                 const MatchMode &mode) const
{
    const std::size_t own = listIndex(id);
    const std::size_t another = listIndex(otherList(id));
    if (!m_overlap.overlap || mode.otherIsPatterns || m_overlap.changeCounts[own] != list.changeCount()
        || m_overlap.changeCounts[another] != other.changeCount())
        return nullptr;
    if (!makesSameKeys(mode, overlapModeOf(id)) || !makesSameKeys(mode.forOtherList(), overlapModeOf(otherList(id))))
        return nullptr;
    const bool *shared = id == ListId::List1 ? m_overlap.overlap->firstShared.get()
                                             : m_overlap.overlap->secondShared.get();
    return {m_overlap.overlap, shared};
}

} // namespace Quorvane
