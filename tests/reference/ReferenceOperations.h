#pragma once

#include "engine/ItemList.h"
#include "engine/Matching.h"
#include "engine/Progress.h"

#include <string_view>
#include <vector>

// The seven list operations written as plain step-by-step scans: 1-based positions, nested
// comparisons of every pair, position lists collected then removed from the highest down.
// Quadratic on purpose: tests hold the fast engine to these results on small lists.
namespace Quorvane::Reference {

// Items compare by their keys under mode (ReferenceKeys.h); the filters only fold case.
void RemoveDupesExceptFirst(ItemList &list, ProgressSink &progress, const MatchMode &mode = {});
void RemoveDupesAll(ItemList &list, ProgressSink &progress, const MatchMode &mode = {});
void RemoveBlanksFromList(ItemList &list, ProgressSink &progress);
void RemoveItemsWith(ItemList &list, std::string_view text, ProgressSink &progress, const MatchMode &mode = {});
void RemoveItemsWithout(ItemList &list, std::string_view text, ProgressSink &progress, const MatchMode &mode = {});
void SubtractSecondListFromFirstList(ItemList &first, const ItemList &second, ProgressSink &progress,
                                     const MatchMode &mode = {});
void KeepOnlyMatchesInList(ItemList &first, const ItemList &second, ProgressSink &progress,
                           const MatchMode &mode = {});
// Removes the items that do not hold exactly one valid address (ReferenceAddresses.h).
void RemoveInvalidAddresses(ItemList &list, ProgressSink &progress, const MatchMode &mode = {});

// Puts the addresses of each item of several in its place, one by one, in a new list.
void SplitAddresses(ItemList &list, ProgressSink &progress);

// Keeps, of each value, only its last occurrence, in the order of those last occurrences.
std::vector<int> RemoveDupesFromArray(const std::vector<int> &values, ProgressSink &progress);

} // namespace Quorvane::Reference
