#pragma once

#include "engine/ItemList.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace Quorvane {

// What one command did to one list, kept so it can be undone and redone. Every command either
// removes items (at any positions) or appends items at the end, or both; the change keeps the
// removed positions as bits and, of the texts, only views into the shared blocks: never a copy
// of a text. At any time it holds only the items the list does not: the removed ones while the
// change is in effect, the appended ones while it is undone.
class ListChange
{
public:
    // The change that turns before into the list as it is now; nothing when they hold the same items.
    static std::optional<ListChange> between(const ItemList::Snapshot &before, const ItemList &after);
    // The change that removing the flagged items will make, taken before they go; nothing when
    // no item is flagged. The list keeps its blocks when it removes items.
    static std::optional<ListChange> removal(const ItemList &list, std::span<const bool> flags);
    // The change from before to the list as it is now, after a command removed removedCount of
    // its items and added none, kept as the whole array of the side the list is not on: undo and
    // redo swap the arrays and copy nothing. Worth it when most of a long list went, where the
    // views of the removed items would take nearly as much memory, all of it written afresh.
    static ListChange exchange(ItemList::Snapshot before, const ItemList &after, std::size_t removedCount);

    // Both take the list in the state the change left it (undo) or found it (redo), as a history
    // guarantees by undoing and redoing in order.
    void undo(ItemList &list);
    void redo(ItemList &list);

    std::size_t removedCount() const { return m_removedCount; }
    std::size_t addedCount() const { return m_addedCount; }
    // Memory of the change's own arrays, in bytes (the texts' blocks not included).
    std::size_t ownBytes() const;
    // The blocks the list needs on either side of the change.
    const ItemList::Blocks &blocksBefore() const { return m_blocksBefore; }
    const ItemList::Blocks &blocksAfter() const { return m_blocksAfter; }

private:
    void swapSides(ItemList &list);
    bool isRemoved(std::size_t position) const;
    void markRemoved(std::size_t position);

    std::size_t m_countBefore = 0;
    std::size_t m_removedCount = 0;
    std::size_t m_addedCount = 0;
    // Bit i tells whether position m_firstRemoved + i of the list before was removed.
    std::size_t m_firstRemoved = 0;
    std::vector<std::uint64_t> m_removedBits;
    ItemList::Items m_held;
    // The list as it is on the other side of the change, for a change taken by exchange().
    std::optional<ItemList::Snapshot> m_otherSide;
    ItemList::Blocks m_blocksBefore;
    ItemList::Blocks m_blocksAfter;
};

} // namespace Quorvane
