#include "OperationPairs.h"

#include "ReferenceOperations.h"

#include <algorithm>
#include <stdexcept>

namespace Quorvane::Reference {

using Text = const std::string &;
using Mode = const MatchMode &;
using Host = const OperationHost &;

constexpr MatchMode kCommon{.commonAddresses = true};

const std::vector<OperationPair> &operationPairs()
{
    static const std::vector<OperationPair> all = {
        {"RemoveDupesExceptFirst",
         [](ItemList &l, const ItemList &, Text, Host h, Mode m) { Quorvane::RemoveDupesExceptFirst(l, h, m); },
         [](ItemList &l, const ItemList &, Text, ProgressSink &p, Mode m) { Reference::RemoveDupesExceptFirst(l, p, m); }},
        {"RemoveDupesAll",
         [](ItemList &l, const ItemList &, Text, Host h, Mode m) { Quorvane::RemoveDupesAll(l, h, m); },
         [](ItemList &l, const ItemList &, Text, ProgressSink &p, Mode m) { Reference::RemoveDupesAll(l, p, m); }},
        {"RemoveBlanksFromList",
         [](ItemList &l, const ItemList &, Text, Host h, Mode) { Quorvane::RemoveBlanksFromList(l, h); },
         [](ItemList &l, const ItemList &, Text, ProgressSink &p, Mode) { Reference::RemoveBlanksFromList(l, p); }},
        {"RemoveItemsWith",
         [](ItemList &l, const ItemList &, Text s, Host h, Mode m) { Quorvane::RemoveItemsWith(l, s, h, m); },
         [](ItemList &l, const ItemList &, Text s, ProgressSink &p, Mode m) { Reference::RemoveItemsWith(l, s, p, m); }},
        {"RemoveItemsWithout",
         [](ItemList &l, const ItemList &, Text s, Host h, Mode m) { Quorvane::RemoveItemsWithout(l, s, h, m); },
         [](ItemList &l, const ItemList &, Text s, ProgressSink &p, Mode m) { Reference::RemoveItemsWithout(l, s, p, m); }},
        {"SubtractSecondListFromFirstList",
         [](ItemList &l, const ItemList &o, Text, Host h, Mode m) { Quorvane::SubtractSecondListFromFirstList(l, o, h, m); },
         [](ItemList &l, const ItemList &o, Text, ProgressSink &p, Mode m) { Reference::SubtractSecondListFromFirstList(l, o, p, m); }},
        {"KeepOnlyMatchesInList",
         [](ItemList &l, const ItemList &o, Text, Host h, Mode m) { Quorvane::KeepOnlyMatchesInList(l, o, h, m); },
         [](ItemList &l, const ItemList &o, Text, ProgressSink &p, Mode m) { Reference::KeepOnlyMatchesInList(l, o, p, m); }},
        {"RemoveInvalidAddresses",
         [](ItemList &l, const ItemList &, Text, Host h, Mode m) { Quorvane::RemoveInvalidAddresses(l, h, m); },
         [](ItemList &l, const ItemList &, Text, ProgressSink &p, Mode m) { Reference::RemoveInvalidAddresses(l, p, m); }},
        {"RemoveInvalidAddressesCommonly",
         [](ItemList &l, const ItemList &, Text, Host h, Mode) { Quorvane::RemoveInvalidAddresses(l, h, kCommon); },
         [](ItemList &l, const ItemList &, Text, ProgressSink &p, Mode) { Reference::RemoveInvalidAddresses(l, p, kCommon); }},
        {"SplitAddresses",
         [](ItemList &l, const ItemList &, Text, Host h, Mode) { Quorvane::SplitAddresses(l, h); },
         [](ItemList &l, const ItemList &, Text, ProgressSink &p, Mode) { Reference::SplitAddresses(l, p); }},
    };
    return all;
}

const OperationPair &operationPair(const std::string &name)
{
    const std::vector<OperationPair> &all = operationPairs();
    const auto found = std::find_if(all.begin(), all.end(), [&](const OperationPair &pair) { return pair.name == name; });
    if (found == all.end())
        throw std::invalid_argument("no operation named " + name);
    return *found;
}

} // namespace Quorvane::Reference
