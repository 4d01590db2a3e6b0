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
}

} // namespace Quorvane
