#include "ReferenceOperations.h"

namespace Quorvane::Reference {

namespace {

// Item texts by 1-based position.
std::string_view textAt(const ItemList &list, int position)
{
    return list.text(static_cast<std::size_t>(position - 1));
}

void removeAt(ItemList &list, int position)
{
    list.removeAt(static_cast<std::size_t>(position - 1));
}

int countOf(const ItemList &list)
{
    return static_cast<int>(list.count());
}

double share(int part, int whole)
{
    return static_cast<double>(part) / static_cast<double>(whole) * 100.0;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// The forward collect-then-remove scan shared by the three filters.
template<typename Test>
void removeWhere(ItemList &list, ProgressSink &progress, Test &&test)
{
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
        removeAt(list, positions[static_cast<std::size_t>(k)]);
    }
    progress.setProgress(0);
}

// The matching scan of the cross-list operations: position i of first is appended once for
// every item of second with the same text.
std::vector<int> collectMatches(const ItemList &first, const ItemList &second, ProgressSink &progress,
                                bool yieldPerOuterStep)
{
    std::vector<int> positions;
    const int count = countOf(first);
    for (int i = 1; i <= count; ++i) {
        if (yieldPerOuterStep)
            progress.yield();
        progress.setProgress(share(i, countOf(first)));
        const int secondCount = countOf(second);
        for (int j = 1; j <= secondCount; ++j) {
            progress.yield();
            if (textAt(first, i) == textAt(second, j))
                positions.push_back(i);
        }
    }
    return positions;
}

} // namespace

void RemoveDupesExceptFirst(ItemList &list, ProgressSink &progress)
{
    const int count = countOf(list);
    for (int i = count; i >= 1; --i) {
        progress.yield();
        progress.setProgress(100.0 - share(i, countOf(list)));
        for (int j = countOf(list); j >= i + 1; --j) {
            progress.yield();
            if (textAt(list, i) == textAt(list, j))
                removeAt(list, j);
        }
    }
    progress.setProgress(0);
}

void RemoveDupesAll(ItemList &list, ProgressSink &progress)
{
    std::vector<int> positions;
    const int count = countOf(list);
    for (int i = count; i >= 1; --i) {
        progress.yield();
        progress.setProgress(100.0 - share(i, countOf(list)));
        bool appended = false;
        for (int j = countOf(list); j >= i + 1; --j) {
            progress.yield();
            if (textAt(list, i) == textAt(list, j) && !appended) {
                positions.push_back(i);
                appended = true;
            }
        }
    }
    for (const int position : positions) {
        progress.yield();
        removeAt(list, position);
    }
    progress.setProgress(0);
}

void RemoveBlanksFromList(ItemList &list, ProgressSink &progress)
{
    removeWhere(list, progress, [](std::string_view item) { return item.empty(); });
}

void RemoveItemsWith(ItemList &list, std::string_view text, ProgressSink &progress)
{
    removeWhere(list, progress, [text](std::string_view item) { return contains(item, text); });
}

void RemoveItemsWithout(ItemList &list, std::string_view text, ProgressSink &progress)
{
    removeWhere(list, progress, [text](std::string_view item) { return !contains(item, text); });
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

void SubtractSecondListFromFirstList(ItemList &first, const ItemList &second, ProgressSink &progress)
{
    std::vector<int> positions = collectMatches(first, second, progress, false);
    positions = RemoveDupesFromArray(positions, progress);
    for (int k = static_cast<int>(positions.size()) - 1; k >= 0; --k)
        removeAt(first, positions[static_cast<std::size_t>(k)]);
    progress.setProgress(0);
}

void KeepOnlyMatchesInList(ItemList &first, const ItemList &second, ProgressSink &progress)
{
    const std::vector<int> positions = collectMatches(first, second, progress, true);
    for (int i = countOf(first); i >= 1; --i) {
        progress.yield();
        bool matched = false;
        for (int k = static_cast<int>(positions.size()) - 1; k >= 0; --k) {
            progress.yield();
            if (positions[static_cast<std::size_t>(k)] == i)
                matched = true;
        }
        if (!matched)
            removeAt(first, i);
    }
    progress.setProgress(0);
}

} // namespace Quorvane::Reference
