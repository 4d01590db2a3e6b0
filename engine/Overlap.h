#pragma once

#include "engine/ItemList.h"
#include "engine/Matching.h"
#include "engine/Progress.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

namespace Quorvane {

class TextPartitions;

// How two lists overlap under a matching mode, counted in items, not in distinct keys, so that
// each count is the length of a list the user can take away:
// - onlyInFirst: the items of the first list whose key the second lacks (what subtract keeps),
// - inBoth: the items of the first list whose key the second has too (what keep-matches keeps),
// - onlyInSecond: the items of the second list whose key the first lacks.
// Repeats count once each; the second list's items whose key the first has are counted nowhere,
// so onlyInFirst + inBoth is the first list's length.
struct OverlapCounts
{
    std::size_t onlyInFirst = 0;
    std::size_t inBoth = 0;
    std::size_t onlyInSecond = 0;

    bool operator==(const OverlapCounts &) const = default;
};

// Of every item of both lists, whether the other list has its key.
struct Overlap
{
    std::unique_ptr<bool[]> firstShared;  // one entry per item of the first list
    std::unique_ptr<bool[]> secondShared; // one entry per item of the second list
    OverlapCounts counts;
};

// The items of list whose flag equals wanted, in list order, as views into list's blocks.
ItemList itemsFlagged(const ItemList &list, const bool *flags, bool wanted);

// Finds the overlap in one pass: each key is made and hashed once, on workers threads (see
// Workers.h). Throws what TextPartitions throws, and whatever progress throws to stop the work.
Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress, std::size_t workers);

// The partitions of both lists' keys: given to a pass, those made earlier, used where they
// serve; after it, those it used, for whoever keeps them for the next pass.
struct ListKeys
{
    std::shared_ptr<const TextPartitions> first;
    std::shared_ptr<const TextPartitions> second;
};
Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress, std::size_t workers, ListKeys &keys);

// The same with as many threads as lists this long are worth.
Overlap findOverlap(std::span<const std::string_view> first, std::span<const std::string_view> second,
                    const MatchMode &mode, ProgressSink &progress);

} // namespace Quorvane
