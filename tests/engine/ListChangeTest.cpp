#include "tests/support/ListTexts.h"

#include "engine/ItemList.h"
#include "engine/ListChange.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace Quorvane;

namespace {

using Samples::listOf;
using Samples::textsOf;

// The views themselves, so a test sees that undo brings back the very same items, not copies.
std::vector<std::string_view> viewsOf(const ItemList &list)
{
    return {list.texts().begin(), list.texts().end()};
}

std::vector<bool> flagsFor(const ItemList &list, const std::vector<std::size_t> &positions)
{
    std::vector<bool> flags(list.count(), false);
    for (const std::size_t position : positions)
        flags[position] = true;
    return flags;
}

void removePositions(ItemList &list, const std::vector<std::size_t> &positions)
{
    const std::vector<bool> flags = flagsFor(list, positions);
    const auto plain = std::make_unique<bool[]>(flags.size());
    std::copy(flags.begin(), flags.end(), plain.get());
    list.removeFlagged({plain.get(), flags.size()});
}

// Runs a change on a list, then undoes and redoes it twice: each time the list must hold
// exactly the items of that side, down to the views.
void expectUndoAndRedo(ItemList &list, const std::function<void(ItemList &)> &command, std::size_t removed,
                       std::size_t added)
{
    const std::vector<std::string_view> before = viewsOf(list);
    const std::vector<std::string> beforeTexts = textsOf(list);
    const ItemList::Snapshot snapshot = list.snapshot();
    command(list);
    const std::vector<std::string_view> after = viewsOf(list);
    const std::vector<std::string> afterTexts = textsOf(list);

    std::optional<ListChange> change = ListChange::between(snapshot, list);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->removedCount(), removed);
    EXPECT_EQ(change->addedCount(), added);
    for (int round = 0; round < 2; ++round) {
        // The second time a snapshot shares the list's array: undo and redo must leave it alone.
        const std::optional<ItemList::Snapshot> held = round == 1 ? std::optional(list.snapshot()) : std::nullopt;
        change->undo(list);
        EXPECT_EQ(viewsOf(list), before);
        EXPECT_EQ(textsOf(list), beforeTexts);
        change->redo(list);
        EXPECT_EQ(viewsOf(list), after);
        EXPECT_EQ(textsOf(list), afterTexts);
        if (held) {
            EXPECT_EQ(std::vector<std::string_view>(held->texts().begin(), held->texts().end()), after);
        }
    }
}

} // namespace

TEST(ListChange, UndoAndRedoGiveBackEitherSideExactly)
{
    const std::vector<std::string> start = {"a", "b", "", "c", "b", "", "d", "e"};
    struct Case
    {
        const char *name;
        std::function<void(ItemList &)> command;
        std::size_t removed;
        std::size_t added;
    };
    const Case cases[] = {
        {"remove scattered", [](ItemList &l) { removePositions(l, {1, 2, 6}); }, 3, 0},
        {"remove first and last", [](ItemList &l) { removePositions(l, {0, 7}); }, 2, 0},
        {"remove one", [](ItemList &l) { l.removeAt(4); }, 1, 0},
        {"keep only", [](ItemList &l) { l.keepOnly(std::vector<std::size_t>{3}); }, 7, 0},
        {"clear", [](ItemList &l) { l.clear(); }, 8, 0},
        {"append texts", [](ItemList &l) { l.append("x"); l.append(""); l.append(""); }, 0, 3},
        {"append a loaded list", [](ItemList &l) { l.appendList(listOf({"f", "g"})); }, 0, 2},
        {"clear then load", [](ItemList &l) { l.clear(); l.appendList(listOf({"a", "b"})); }, 8, 2},
        {"remove then append", [](ItemList &l) { l.removeAt(0); l.append("a"); }, 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ItemList list = listOf(start);
        expectUndoAndRedo(list, c.command, c.removed, c.added);
    }
}

TEST(ListChange, RandomRemovalsAndAppendsOnALargeList)
{
    std::mt19937 random(7);
    ItemList list;
    for (int i = 0; i < 5000; ++i)
        list.append(std::to_string(random() % 300));
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const std::size_t share = random() % 4; // none, some, most or all removed
        std::vector<std::size_t> positions;
        for (std::size_t i = 0; i < list.count(); ++i) {
            if (share == 3 || random() % 4 < share)
                positions.push_back(i);
        }
        const std::size_t appended = positions.empty() || random() % 3 == 0 ? 200 : 0;
        expectUndoAndRedo(
            list,
            [&](ItemList &l) {
                removePositions(l, positions);
                for (std::size_t i = 0; i < appended; ++i)
                    l.append(std::to_string(random() % 300));
            },
            positions.size(), appended);
        if (list.count() < 100)
            list.appendList(listOf(std::vector<std::string>(3000, "refill")));
    }
}

TEST(ListChange, NothingChangedIsNoChange)
{
    ItemList list = listOf({"a", "b"});
    const ItemList::Snapshot snapshot = list.snapshot();
    removePositions(list, {});
    EXPECT_FALSE(ListChange::between(snapshot, list));
    ItemList empty;
    EXPECT_FALSE(ListChange::between(empty.snapshot(), empty));
}

TEST(ItemListSnapshot, KeepsItsItemsAndTextsWhateverTheListDoes)
{
    ItemList list;
    list.appendList(listOf({"one", "two", "three"}));
    const ItemList::Snapshot snapshot = list.snapshot();
    list.removeAt(0);
    list.append("four");
    EXPECT_EQ(std::vector<std::string>(snapshot.texts().begin(), snapshot.texts().end()),
              (std::vector<std::string>{"one", "two", "three"}));
    // Cleared, the list lets go of its blocks; the snapshot's texts must still be readable.
    list.clear();
    list.append(std::string(100, 'x'));
    EXPECT_EQ(std::string(snapshot.texts()[2]), "three");
}

TEST(ItemListSnapshot, TextsAreNotCompactedWhileASnapshotHoldsThem)
{
    // 80,000 items of 25 bytes; keeping one in a hundred would compact them into a new block.
    const auto load = [] { return Samples::numberedList(80000, "someone", "@example.com", 100000); };
    std::vector<std::size_t> keep;
    for (std::size_t i = 0; i < 80000; i += 100)
        keep.push_back(i);

    ItemList held = load();
    const std::size_t storedBefore = held.storedBytes();
    {
        const ItemList::Snapshot snapshot = held.snapshot();
        held.keepOnly(keep);
        EXPECT_EQ(held.storedBytes(), storedBefore);
    }
    // Once no snapshot holds the blocks, the next removal compacts as before.
    removePositions(held, {0});
    EXPECT_EQ(held.storedBytes(), (keep.size() - 1) * 25);
}
