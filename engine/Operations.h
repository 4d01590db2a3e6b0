#pragma once

#include "engine/ErrorTrap.h"
#include "engine/ItemList.h"
#include "engine/Matching.h"
#include "engine/Progress.h"

#include <functional>
#include <memory>
#include <string_view>

namespace Quorvane {

class PatternSet;
class TextPartitions;

// Every operation on a list, in the window and in quorvane-cli alike; its row in the catalogue
// (OperationCatalogue.h) says how it runs and what people see of it.
enum class Operation {
    DedupeFirst,
    DedupeLast,
    RemoveBlanks,
    RemoveWith,
    RemoveWithout,
    Subtract,
    KeepMatches,
    Normalize,
    Count,
    Validate,
    Compare,
    SplitAddresses,
};

class RefusalCounts;

// What an operation needs from whoever runs it: a place to show progress and to report errors,
// and optionally a list that receives the items it removes, in list order.
// Long lists are hashed and matched by one thread per core; progress and errors still reach the
// host only on the thread that called the operation, which keeps showing progress and handling
// events while the other threads work.
struct OperationHost
{
    ProgressSink &progress;
    ErrorReporter &reporter;
    ItemList *removed = nullptr;
    // Told why each item was removed, by the operations that judge addresses.
    RefusalCounts *refusals = nullptr;
    // The partitions of the keys of the list changed and of the list compared with, made
    // earlier; used where they serve those very lists under the operation's mode (see
    // TextPartitions::serves), so the keys need not be made and hashed again. The list's own
    // are handed over: the operation lets go of them once it has decided, before it removes
    // (they no longer describe the list, and the removal can have their memory).
    mutable std::shared_ptr<const TextPartitions> ownKeys = nullptr;
    std::shared_ptr<const TextPartitions> otherKeys = nullptr;
    // Of each item of the list changed, whether the list compared with has its key under the
    // operation's mode, found earlier of those very lists (the window's overlap); null when not
    // known. Subtract and keep-matches on a list compared with (not with patterns) then only
    // read it.
    std::shared_ptr<const bool> ownShared = nullptr;
};

// Items compare by their keys under mode (Matching.h); the item kept is always the original.
// Removes every item whose text equals the text of an earlier item.
void RemoveDupesExceptFirst(ItemList &list, const OperationHost &host, const MatchMode &mode = {});
// Removes every item whose text equals the text of a later item.
void RemoveDupesAll(ItemList &list, const OperationHost &host, const MatchMode &mode = {});
// Removes the blank (empty) items.
void RemoveBlanksFromList(ItemList &list, const OperationHost &host);
// Removes the items that contain text; only the case of mode counts. Has no error trap: a
// failure reaches the caller.
void RemoveItemsWith(ItemList &list, std::string_view text, const OperationHost &host, const MatchMode &mode = {});
// Removes the items that do not contain text; only the case of mode counts.
void RemoveItemsWithout(ItemList &list, std::string_view text, const OperationHost &host,
                        const MatchMode &mode = {});
// Removes from first every item whose text occurs in second; second is only read.
void SubtractSecondListFromFirstList(ItemList &first, const ItemList &second, const OperationHost &host,
                                     const MatchMode &mode = {});
// Removes from first every item whose text occurs nowhere in second; second is only read.
void KeepOnlyMatchesInList(ItemList &first, const ItemList &second, const OperationHost &host,
                           const MatchMode &mode = {});
// Removes the items that do not hold exactly one valid address (AddressVerdict.h), under the
// common rules too when mode asks for them.
void RemoveInvalidAddresses(ItemList &list, const OperationHost &host, const MatchMode &mode = {});
// With mode.otherIsPatterns, second holds patterns (PatternSet.h), not items. These take
// patterns read once, for lists that come batch by batch.
void SubtractSecondListFromFirstList(ItemList &first, const PatternSet &patterns, const OperationHost &host);
void KeepOnlyMatchesInList(ItemList &first, const PatternSet &patterns, const OperationHost &host);
// Whether an operation that decides each item alone by a test of its text removes an item:
// remove-with, remove-without and remove-blanks, whose test is all they do. Null for any other
// operation. Runs on one thread: a test keeps scratch space between calls.
using RemovalTest = std::function<bool(std::string_view item)>;
RemovalTest removalTestOf(Operation operation, std::string_view text, const MatchMode &mode);

// Replaces every item of list by its key under mode, in list order with repeats kept: normalize.
void replaceByKeys(ItemList &list, const MatchMode &mode);
// Puts each address of an item that holds several (AddressList.h) in its place as an item of
// its own, with its original text; other items stay as they are.
void SplitAddresses(ItemList &list, const OperationHost &host);

} // namespace Quorvane
