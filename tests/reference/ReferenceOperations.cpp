#include "ReferenceOperations.h"

#include "ReferenceAddresses.h"
#include "ReferenceKeys.h"
#include "ReferencePatterns.h"

#include <string>

namespace Quorvane::Reference {

namespace {

// Item texts by 1-based position.
std::string_view textAt(const ItemList &list, int position)
{
    return list.text(static_cast<std::size_t>(position - 1));
}

int countOf(const ItemList &list)
{
    return static_cast<int>(list.count());
}

// A list as the scans see it: each item's key beside it by 1-based position, made once per item
// (exact matching keeps the texts themselves). Removing an item removes its key too.
class Keyed
{
public:
    Keyed(ItemList &list, const MatchMode &mode)
        : m_list(list)
        , m_exact(mode.isExact())
    {
        if (!m_exact) {
            for (const std::string_view text : list.texts())
                m_keys.push_back(keyOf(text, mode));
        }
    }

    int count() const { return countOf(m_list); }
    std::string_view keyAt(int position) const
    {
        return m_exact ? textAt(m_list, position) : std::string_view(m_keys[static_cast<std::size_t>(position - 1)]);
    }
    void removeAt(int position)
    {
        m_list.removeAt(static_cast<std::size_t>(position - 1));
        if (!m_exact)
            m_keys.erase(m_keys.begin() + (position - 1));
    }

private:
    ItemList &m_list;
    bool m_exact;
    std::vector<std::string> m_keys;
};

// The read-only second list, with its keys.
std::vector<std::string> keysOf(const ItemList &list, const MatchMode &mode)
{
    std::vector<std::string> keys;
    for (const std::string_view text : list.texts())
        keys.push_back(keyOf(text, mode));
    return keys;
}

double share(int part, int whole)
{
    return static_cast<double>(part) / static_cast<double>(whole) * 100.0;
}

bool contains(std::string_view row, std::string_view part, const MatchMode &mode)
{
    const std::string item = fieldOf(row, mode.field).value_or(std::string());
    if (mode.ignoreCase || mode.email || mode.providerAliases)
        return foldedOf(item).find(foldedOf(part)) != std::string::npos;
    return item.find(part) != std::string_view::npos;
}

// The forward collect-then-remove scan shared by the three filters.
template<typename Test>
void removeWhere(ItemList &list, ProgressSink &progress, Test &&test)
{
    Keyed keyed(list, {});
    std::vector<int> positions;
    const int count = countOf(list);
    for (int i = 1; i <= count; ++i) {
        progress.yield();
        progress.setProgress(share(i, countOf(list)));
        if (test(textAt(list, i)))
            positions.push_back(i);
    }
    for (int k = static_cast<int>(positions.size()) - 1; k >= 0; --k) {
        progress.yield();
        keyed.removeAt(positions[static_cast<std::size_t>(k)]);
    }
    progress.setProgress(0);
}

// The matching scan of the cross-list operations: position i of first is appended once for
// every item of second with the same text (or, read as patterns, that it matches).
std::vector<int> collectMatches(const Keyed &first, const ItemList &second, const MatchMode &mode,
                                ProgressSink &progress, bool yieldPerOuterStep)
{
    const std::vector<std::string> secondKeys = keysOf(second, mode.forOtherList());
    std::vector<int> positions;
    const int count = first.count();
    for (int i = 1; i <= count; ++i) {
        if (yieldPerOuterStep)
            progress.yield();
        progress.setProgress(share(i, first.count()));
        const int secondCount = countOf(second);
        for (int j = 1; j <= secondCount; ++j) {
            progress.yield();
            const std::string &secondKey = secondKeys[static_cast<std::size_t>(j - 1)];
            if (mode.otherIsPatterns ? patternMatches(secondKey, first.keyAt(i)) : first.keyAt(i) == secondKey)
                positions.push_back(i);
        }
    }
    return positions;
}

} // namespace

void RemoveDupesExceptFirst(ItemList &list, ProgressSink &progress, const MatchMode &mode)
{
    Keyed keyed(list, mode);
    const int count = keyed.count();
    for (int i = count; i >= 1; --i) {
        progress.yield();
        progress.setProgress(100.0 - share(i, keyed.count()));
        for (int j = keyed.count(); j >= i + 1; --j) {
            progress.yield();
            if (keyed.keyAt(i) == keyed.keyAt(j))
                keyed.removeAt(j);
        }
    }
    progress.setProgress(0);
}

void RemoveDupesAll(ItemList &list, ProgressSink &progress, const MatchMode &mode)
{
    Keyed keyed(list, mode);
    std::vector<int> positions;
    const int count = keyed.count();
    for (int i = count; i >= 1; --i) {
        progress.yield();
        progress.setProgress(100.0 - share(i, keyed.count()));
        bool appended = false;
        for (int j = keyed.count(); j >= i + 1; --j) {
            progress.yield();
            if (keyed.keyAt(i) == keyed.keyAt(j) && !appended) {
                positions.push_back(i);
                appended = true;
            }
        }
    }
    for (const int position : positions) {
        progress.yield();
        keyed.removeAt(position);
    }
    progress.setProgress(0);
}

void RemoveBlanksFromList(ItemList &list, ProgressSink &progress)
{
    removeWhere(list, progress, [](std::string_view item) { return item.empty(); });
}

void RemoveItemsWith(ItemList &list, std::string_view text, ProgressSink &progress, const MatchMode &mode)
{
    removeWhere(list, progress, [&](std::string_view item) { return contains(item, text, mode); });
}

void RemoveItemsWithout(ItemList &list, std::string_view text, ProgressSink &progress, const MatchMode &mode)
{
    removeWhere(list, progress, [&](std::string_view item) { return !contains(item, text, mode); });
}

void RemoveInvalidAddresses(ItemList &list, ProgressSink &progress, const MatchMode &mode)
{
    removeWhere(list, progress,
                [&](std::string_view row) {
                    return !holdsValidAddress(fieldOf(row, mode.field).value_or(std::string()), mode.commonAddresses);
                });
}

std::vector<int> RemoveDupesFromArray(const std::vector<int> &values, ProgressSink &progress)
{
    std::vector<int> result;
    const int m = static_cast<int>(values.size());
    for (int k = 0; k < m; ++k) {
        bool laterCopy = false;
        progress.setProgress(share(k + 1, m));
        for (int l = k + 1; l < m; ++l) {
            progress.yield();
            if (values[static_cast<std::size_t>(l)] == values[static_cast<std::size_t>(k)])
                laterCopy = true;
        }
        if (!laterCopy)
            result.push_back(values[static_cast<std::size_t>(k)]);
    }
    return result;
}

void SubtractSecondListFromFirstList(ItemList &first, const ItemList &second, ProgressSink &progress,
                                     const MatchMode &mode)
{
    Keyed keyed(first, mode);
    std::vector<int> positions = collectMatches(keyed, second, mode, progress, false);
    positions = RemoveDupesFromArray(positions, progress);
    for (int k = static_cast<int>(positions.size()) - 1; k >= 0; --k)
        keyed.removeAt(positions[static_cast<std::size_t>(k)]);
    progress.setProgress(0);
}

void KeepOnlyMatchesInList(ItemList &first, const ItemList &second, ProgressSink &progress, const MatchMode &mode)
{
    Keyed keyed(first, mode);
    const std::vector<int> positions = collectMatches(keyed, second, mode, progress, true);
    for (int i = keyed.count(); i >= 1; --i) {
        progress.yield();
        bool matched = false;
        for (int k = static_cast<int>(positions.size()) - 1; k >= 0; --k) {
            progress.yield();
            if (positions[static_cast<std::size_t>(k)] == i)
                matched = true;
        }
        if (!matched)
            keyed.removeAt(i);
    }
    progress.setProgress(0);
}

void SplitAddresses(ItemList &list, ProgressSink &progress)
{
    ItemList split;
    for (int position = 1; position <= countOf(list); ++position) {
        progress.yield();
        progress.setProgress(share(position, countOf(list)));
        const std::vector<std::string> addresses = addressTextsOf(textAt(list, position));
        if (addresses.size() < 2)
            split.append(textAt(list, position));
        for (std::size_t i = 0; addresses.size() > 1 && i < addresses.size(); ++i)
            split.append(addresses[i]);
    }
    list.clear();
    list.appendList(std::move(split));
    progress.setProgress(0);
}

} // namespace Quorvane::Reference
