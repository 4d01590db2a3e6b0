#pragma once

#include "commands/ListId.h"
#include "engine/ItemList.h"
#include "engine/Overlap.h"
#include "engine/TextPartitions.h"

#include <array>
#include <cstdint>
#include <memory>

namespace Quorvane {

// Each list's keys, hashed into partitions once and kept while the list stays as it was: a command
// that compares the lists again then only matches them, where making and hashing ten million keys
// would take most of its time. The overlap's thread makes them while the window is idle. Kept only
// within a budget of memory per item, and let go when their list or the matching changes.
class KeyIndexes
{
public:
    // The most memory kept per item of a list: the partitions' entries fit; an array of keys that
    // are not views of their items does not.
    static constexpr std::size_t kBudgetPerItem = 16;

    // Those kept of list, when it has not changed since they were made; null otherwise.
    std::shared_ptr<const TextPartitions> of(ListId id, const ItemList &list) const;
    // Those kept of list, as of(); the list is about to change, so none are kept of it from now.
    // Taken out before a command on a long list, their memory goes back before the command asks
    // for its own, where it is cheapest to have again.
    std::shared_ptr<const TextPartitions> take(ListId id, const ItemList &list);
    // Keeps partitions made of list id as it was at its changeCount, when they fit the budget.
    void keep(ListId id, std::uint64_t changeCount, std::shared_ptr<const TextPartitions> partitions);
    // Lets go of those no longer of their list as it is, or not made with the keys mode makes,
    // and of an overlap no longer of both lists as they are.
    void forgetStale(ListId id, const ItemList &list, const MatchMode &mode);

    // Keeps the overlap found of List 1 and List 2 as they were at their change counts, List 1's
    // keys made under firstMode (List 2's under its forOtherList()).
    void keepOverlap(std::array<std::uint64_t, 2> changeCounts, const MatchMode &firstMode,
                     std::shared_ptr<const Overlap> overlap);
    // Of each item of list id, whether other has its key under mode (an operation's on list id),
    // from the overlap kept; null unless it was found of both lists as they are, with the keys
    // mode makes of each.
    std::shared_ptr<const bool> sharedOf(ListId id, const ItemList &list, const ItemList &other,
                                         const MatchMode &mode) const;

private:
    struct Kept
    {
        std::uint64_t changeCount = 0;
        std::shared_ptr<const TextPartitions> partitions;
    };
    std::array<Kept, 2> m_kept;
    struct KeptOverlap
    {
        std::array<std::uint64_t, 2> changeCounts = {};
        MatchMode firstMode;
        std::shared_ptr<const Overlap> overlap;
    };
    KeptOverlap m_overlap;
    // The mode the kept overlap made list id's keys with: List 2's as the second list's.
    MatchMode overlapModeOf(ListId id) const;
};

} // namespace Quorvane
