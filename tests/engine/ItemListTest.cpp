#include "tests/support/ListTexts.h"
#include "tests/support/Recorders.h"

#include "engine/ItemList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Quorvane;

namespace {

using Samples::ChangeCounter;
using Samples::listOf;
using Samples::textsOf;

} // namespace

TEST(ItemList, AppendKeepsEveryByteIncludingNulAndBlank)
{
    const std::string withNul("a\0b", 3);
    ItemList list = listOf({"x@example.com", "", withNul, " padded "});
    EXPECT_EQ(textsOf(list), (std::vector<std::string>{"x@example.com", "", withNul, " padded "}));
}

TEST(ItemList, AppendedTextsSurviveManyArenaBlocks)
{
    // Texts copied into the arena must stay valid while later appends open new blocks.
    ItemList list;
    std::vector<std::string> expected;
    for (int i = 0; i < 20000; ++i) {
        expected.push_back("user" + std::to_string(i) + std::string(i % 50, 'x') + "@example.org");
        list.append(expected.back());
    }
    list.append(std::string(200000, 'L'));
    expected.push_back(std::string(200000, 'L'));
    EXPECT_EQ(textsOf(list), expected);
}

TEST(ItemList, RemovalsKeepTheOrderOfTheRest)
{
    ItemList list = listOf({"a", "b", "c", "d", "e"});
    list.removeAt(0);
    EXPECT_EQ(textsOf(list), (std::vector<std::string>{"b", "c", "d", "e"}));
    const bool flags[] = {false, true, false, true};
    list.removeFlagged(flags);
    EXPECT_EQ(textsOf(list), (std::vector<std::string>{"b", "d"}));
    list.append("f");
    const std::size_t keep[] = {0, 2};
    list.keepOnly(keep);
    EXPECT_EQ(textsOf(list), (std::vector<std::string>{"b", "f"}));
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    list.append("again");
    EXPECT_EQ(textsOf(list), (std::vector<std::string>{"again"}));
}

TEST(ItemList, RemovedTextsAreLetGoOnceTheyTakeMostOfTheStorage)
{
    // A loaded file, then a second one: 2 x 40,000 items of 25 bytes in several blocks.
    ItemList list;
    for (int file = 0; file < 2; ++file)
        list.appendList(Samples::numberedList(40000, "someone", "@example.com", 100000));
    const std::size_t loadedBytes = list.storedBytes();
    ASSERT_GE(loadedBytes, 80000u * 25);

    // Keeping half leaves the storage alone: compacting is not worth a copy.
    const std::size_t count = list.count();
    const auto everyOther = std::make_unique<bool[]>(count);
    for (std::size_t i = 0; i < count; i += 2)
        everyOther[i] = true;
    list.removeFlagged({everyOther.get(), count});
    EXPECT_EQ(list.storedBytes(), loadedBytes);

    // Keeping one in a hundred moves the survivors into storage of their own size.
    std::vector<std::size_t> keep;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < list.count(); i += 100) {
        keep.push_back(i);
        expected.emplace_back(list.text(i));
    }
    list.keepOnly(keep);
    EXPECT_EQ(list.storedBytes(), expected.size() * 25);
    EXPECT_EQ(textsOf(list), expected);
    list.append("after@example.com");
    expected.push_back("after@example.com");
    EXPECT_EQ(textsOf(list), expected);
}

TEST(ItemList, AdoptedBlocksAndMovedListsJoinAtTheEnd)
{
    ItemList list = listOf({"first"});
    auto block = std::make_unique<ByteBlock>(6);
    std::memcpy(block->data(), "abcdef", 6);
    std::vector<std::string_view> views{{block->data(), 3}, {block->data() + 3, 0}, {block->data() + 3, 3}};
    list.adopt(std::move(block), std::move(views));
    list.append("tail");

    ItemList other = listOf({"o1", "o2"});
    list.appendList(std::move(other));
    EXPECT_TRUE(other.isEmpty());
    EXPECT_EQ(textsOf(list), (std::vector<std::string>{"first", "abc", "", "def", "tail", "o1", "o2"}));
}

TEST(ItemList, EveryChangeIsAnnouncedOnce)
{
    ItemList list;
    ChangeCounter observer;
    list.setObserver(&observer);
    list.append("a");
    list.append("b");
    list.removeAt(1);
    const bool flags[] = {true};
    list.removeFlagged(flags);
    list.appendList(listOf({"c", "d"}));
    list.clear();
    EXPECT_EQ(observer.changes, 6);
}
