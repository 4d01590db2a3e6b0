#pragma once

#include "engine/ItemList.h"
#include "engine/Matching.h"
#include "engine/Overlap.h"
#include "engine/Progress.h"

#include <cstddef>
#include <optional>

namespace Quorvane {

// How many items a list holds and how many of them are the same under a matching mode.
// Items compare by their keys (Matching.h), so "distinct" counts distinct keys.
// A blank is an item whose key is empty: under exact matching a text of no bytes; when trimming
// (trim or e-mail), also a text of nothing but white space; under e-mail also "<>" or "mailto:".
// Blanks are counted among the items and, like any other key, once among the distinct ones.
struct ListCounts
{
    std::size_t items = 0;
    std::size_t blanks = 0;
    std::size_t distinct = 0;
    std::size_t repeats = 0; // items - distinct
    // Items that hold several addresses (AddressList.h); counted only when the mode reads addresses.
    std::optional<std::size_t> severalAddresses;

    // Set only when counted against another list; all three count distinct keys.
    std::size_t shared = 0;
    std::size_t onlyInList = 0;
    std::size_t onlyInOther = 0;

    // Set only under e-mail matching: the items validate would remove (AddressVerdict.h).
    std::optional<std::size_t> invalid;
    // Set only when counted against another list: the same overlap in items (Overlap.h).
    OverlapCounts overlap;
};

// What counting finds part by part (partitions of the keys, in memory or on disk): parts add up
// to the counts of the whole list.
struct PartialCounts
{
    std::size_t items = 0;
    std::size_t blanks = 0;
    std::size_t repeats = 0;     // items whose key an earlier item of the list has
    std::size_t shared = 0;      // distinct keys the other list has too
    std::size_t onlyInOther = 0; // distinct keys only the other list has
    std::size_t invalid = 0;     // items that hold no valid address, counted under e-mail matching
    std::size_t itemsShared = 0;      // items whose key the other list has
    std::size_t itemsOnlyInOther = 0; // items of the other list whose key the list lacks
    std::size_t severalAddresses = 0;

    PartialCounts &operator+=(const PartialCounts &part);
};

// The counts of a whole list from the sum of its parts'; against another list when againstOther.
ListCounts listCountsOf(const PartialCounts &sum, bool againstOther, const MatchMode &mode);

// Counts the items of list. Throws std::bad_alloc when memory runs out.
ListCounts countItems(const ItemList &list, const MatchMode &mode, ProgressSink &progress);
// Counts the items of list and the distinct keys it shares with other or holds alone.
ListCounts countItems(const ItemList &list, const ItemList &other, const MatchMode &mode, ProgressSink &progress);

} // namespace Quorvane
