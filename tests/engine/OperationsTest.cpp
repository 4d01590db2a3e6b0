// The worked examples and edge cases of the seven operations, long lists, and how progress moves.
#include "tests/support/ListTexts.h"
#include "tests/support/Recorders.h"
#include "tests/support/Sanitizers.h"
#include "tests/support/UnexpectedErrors.h"
#include "tests/reference/OperationPairs.h"

#include "engine/ProgressPacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

using Texts = std::vector<std::string>;

// Runs the named operation on texts, with second as the second list, which must stay as it was.
Texts run(const char *name, const Texts &texts, const Texts &second = {}, const std::string &part = {})
{
    ItemList list = listOf(texts);
    const ItemList other = listOf(second);
    Reference::operationPair(name).engine(list, other, part, quietHost(), {});
    EXPECT_EQ(textsOf(other), second);
    return textsOf(list);
}

Texts exceptFirst(const Texts &texts) { return run("RemoveDupesExceptFirst", texts); }
Texts dupesAll(const Texts &texts) { return run("RemoveDupesAll", texts); }
Texts blanksRemoved(const Texts &texts) { return run("RemoveBlanksFromList", texts); }
Texts with(const Texts &texts, const std::string &part) { return run("RemoveItemsWith", texts, {}, part); }
Texts without(const Texts &texts, const std::string &part) { return run("RemoveItemsWithout", texts, {}, part); }
Texts subtract(const Texts &first, const Texts &second) { return run("SubtractSecondListFromFirstList", first, second); }
Texts keepMatches(const Texts &first, const Texts &second) { return run("KeepOnlyMatchesInList", first, second); }

// Runs every operation on the list with the given second list, recording progress.
std::vector<RecordingProgress> progressOfAll(const Texts &texts, const Texts &second)
{
    const ItemList other = listOf(second);
    const std::vector<Reference::OperationPair> &operations = Reference::operationPairs();
    std::vector<RecordingProgress> recorded(operations.size());
    UnexpectedErrors reporter;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        ItemList list = listOf(texts);
        operations[i].engine(list, other, "a", {recorded[i], reporter}, {});
    }
    return recorded;
}

// A list of e-mail-like texts in which every text occurs `copies` times, copies spread apart.
Texts spreadCopies(std::size_t distinct, std::size_t copies)
{
    const Texts once = numberedTexts(distinct, "user", "@example.com");
    Texts texts;
    for (std::size_t copy = 0; copy < copies; ++copy)
        texts.insert(texts.end(), once.begin(), once.end());
    return texts;
}

} // namespace

TEST(DuplicateRemoval, KeepsTheFirstOrTheLastCopyInOrder)
{
    EXPECT_EQ(exceptFirst({"a", "b", "a", "c", "a"}), (Texts{"a", "b", "c"}));
    EXPECT_EQ(dupesAll({"a", "b", "a", "c", "a"}), (Texts{"b", "c", "a"}));
    EXPECT_EQ(exceptFirst({"a", "b", "c", "a"}), (Texts{"a", "b", "c"}));
    EXPECT_EQ(dupesAll({"a", "b", "c", "a"}), (Texts{"b", "c", "a"}));
    EXPECT_EQ(exceptFirst({"a", "x", "a", "y", "a"}), (Texts{"a", "x", "y"}));
    EXPECT_EQ(dupesAll({"a", "x", "a", "y", "a"}), (Texts{"x", "y", "a"}));
    EXPECT_EQ(exceptFirst({"only"}), (Texts{"only"}));
    EXPECT_EQ(dupesAll({"only"}), (Texts{"only"}));
    EXPECT_EQ(exceptFirst({"a", "b", "c"}), (Texts{"a", "b", "c"}));
    EXPECT_EQ(dupesAll({"a", "b", "c"}), (Texts{"a", "b", "c"}));
}

TEST(DuplicateRemoval, ComparesEveryByte)
{
    const Texts variants = {"a@x.com", "A@x.com", " a@x.com", "a@x.com ", "a@x.co", std::string("a\0x", 3),
                            std::string("a\0y", 3), "\xC3\xA9", "\xC3\x89", ""};
    EXPECT_EQ(exceptFirst(variants), variants);
    EXPECT_EQ(dupesAll(variants), variants);
    EXPECT_EQ(exceptFirst({"", "x", "", ""}), (Texts{"", "x"}));
    EXPECT_EQ(dupesAll({"", "x", "", ""}), (Texts{"x", ""}));
}

TEST(ItemFilters, RemoveBlanksLeavesSpaces)
{
    EXPECT_EQ(blanksRemoved({"", "a", "", "", " ", "b", ""}), (Texts{"a", " ", "b"}));
    EXPECT_EQ(blanksRemoved({"", ""}), Texts{});
}

TEST(ItemFilters, ContainmentIsExactAndCaseSensitive)
{
    const Texts items = {"xabcx", "xABCx", "", "abc", "ab", " abc", "abc "};
    EXPECT_EQ(with(items, "abc"), (Texts{"xABCx", "", "ab"}));
    EXPECT_EQ(without(items, "abc"), (Texts{"xabcx", "abc", " abc", "abc "}));
    EXPECT_EQ(with(items, " abc"), (Texts{"xabcx", "xABCx", "", "abc", "ab", "abc "}));
    EXPECT_EQ(without(items, "abc "), (Texts{"abc "}));
    EXPECT_EQ(with({std::string("a\0b", 3), "ab"}, std::string("\0", 1)), (Texts{"ab"}));
    EXPECT_EQ(without(with(items, "b"), "b"), Texts{});
    EXPECT_EQ(with(items, "zzz"), items);
    EXPECT_EQ(without(items, "zzz"), Texts{});
}

TEST(CrossList, SubtractRemovesEveryCopyAndKeepKeepsEveryCopy)
{
    EXPECT_EQ(subtract({"m", "a", "n"}, {"a", "a", "a"}), (Texts{"m", "n"}));
    EXPECT_EQ(subtract({"a", "x", "a", "y", "a"}, {"a"}), (Texts{"x", "y"}));
    EXPECT_EQ(keepMatches({"a", "x", "a", "y", "a"}, {"a"}), (Texts{"a", "a", "a"}));
    EXPECT_EQ(subtract({"a", "m", "b"}, {"b", "a"}), (Texts{"m"}));
    EXPECT_EQ(keepMatches({"a", "m", "b"}, {"b", "a"}), (Texts{"a", "b"}));
    EXPECT_EQ(subtract({"a", "b"}, {"a", "b", "a"}), Texts{});
    EXPECT_EQ(keepMatches({"a", "b"}, {"b", "a"}), (Texts{"a", "b"}));
}

TEST(CrossList, MatchesWholeTextsExactly)
{
    const Texts first = {"a@x.com", "A@x.com", " a@x.com", "a@x.com ", "", "a@x.co"};
    EXPECT_EQ(subtract(first, {"a@x.com", ""}), (Texts{"A@x.com", " a@x.com", "a@x.com ", "a@x.co"}));
    EXPECT_EQ(keepMatches(first, {"a@x.com", ""}), (Texts{"a@x.com", ""}));
    EXPECT_EQ(subtract(first, {}), first);
    EXPECT_EQ(keepMatches(first, {}), Texts{});
    EXPECT_EQ(subtract(first, first), Texts{});
    EXPECT_EQ(keepMatches(first, first), first);
}

TEST(LongLists, ListsBeyond32767ItemsAreHandledWhole)
{
    const Texts twice = spreadCopies(40000, 2);
    const Texts once = spreadCopies(40000, 1);
    EXPECT_EQ(exceptFirst(twice), once);
    EXPECT_EQ(dupesAll(twice), once);

    Texts evens;
    Texts odds;
    for (std::size_t i = 0; i < once.size(); ++i)
        (i % 2 == 0 ? evens : odds).push_back(once[i]);
    Texts oddsTwice = odds;
    oddsTwice.insert(oddsTwice.end(), odds.begin(), odds.end());
    EXPECT_EQ(subtract(twice, evens), oddsTwice);
    EXPECT_EQ(keepMatches(twice, odds), oddsTwice);

    Texts withBlanks = once;
    withBlanks.insert(withBlanks.begin() + 32767, "");
    withBlanks.emplace_back();
    EXPECT_EQ(blanksRemoved(withBlanks), once);
}

TEST(Operations, EachRemovesInOneChangeAndLeavesTheSecondListAlone)
{
    const Texts texts = {"a", "", "b", "a", "", "ab", "c", "a@x, b@y"};
    ItemList other = listOf({"a", "c", "a"});
    ChangeCounter otherChanges;
    other.setObserver(&otherChanges);
    for (const Reference::OperationPair &operation : Reference::operationPairs()) {
        SCOPED_TRACE(operation.name);
        ItemList list = listOf(texts);
        ChangeCounter changes;
        list.setObserver(&changes);
        operation.engine(list, other, "a", quietHost(), {});
        EXPECT_EQ(changes.announced, 1);
        EXPECT_EQ(changes.changes, 1);
        if (operation.name == std::string_view("SplitAddresses"))
            EXPECT_EQ(list.count(), texts.size() + 1);
        else
            EXPECT_LT(list.count(), texts.size());
    }
    EXPECT_EQ(otherChanges.announced, 0);
}

TEST(Progress, EveryOperationEndsAtZeroAlsoOnEmptyAndSingleItemLists)
{
    for (const Texts &texts : {Texts{}, Texts{"a"}}) {
        for (const RecordingProgress &progress : progressOfAll(texts, {"a"})) {
            ASSERT_FALSE(progress.values.empty());
            EXPECT_EQ(progress.values.back(), 0.0);
        }
    }
}

TEST(Progress, LongOperationsMoveInTheirDirectionAndYieldRarely)
{
    const Texts texts = spreadCopies(Testing::itemsForLongWork(700000), 3);
    const Texts second = spreadCopies(Testing::itemsForLongWork(1000000), 1);
    const std::vector<RecordingProgress> recorded = progressOfAll(texts, second);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        SCOPED_TRACE("operation " + std::to_string(i));
        const std::vector<double> &values = recorded[i].values;
        const bool backward = i < 2;
        ASSERT_FALSE(values.empty());
        EXPECT_EQ(values.back(), 0.0);
        const std::vector<double> during(values.begin(), values.end() - 1);
        EXPECT_TRUE(std::is_sorted(during.begin(), during.end()));
        EXPECT_TRUE(std::all_of(during.begin(), during.end(), [](double v) { return v >= 0.0 && v <= 100.0; }));
        // A backward scan opens by showing 0; a forward scan never shows 0 before its end.
        if (backward)
            EXPECT_EQ(during.at(0), 0.0);
        else
            EXPECT_EQ(std::count(during.begin(), during.end(), 0.0), 0);
        EXPECT_LT(recorded[i].yields, texts.size() / 1000);
    }
    // The duplicate removals do the most work; they must let the window breathe meanwhile.
    EXPECT_GT(recorded[0].yields, 0u);
    EXPECT_GT(recorded[1].yields, 0u);
}

TEST(Progress, PacerReportsRisingValuesAboutEvery30Milliseconds)
{
    RecordingProgress progress;
    const std::size_t steps = 400000000;
    const auto start = std::chrono::steady_clock::now();
    ProgressPacer pacer(progress, steps, ProgressPacer::Direction::Forward);
    std::size_t done = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200) && done < steps) {
        for (int i = 0; i < 1000; ++i, ++done)
            pacer.advance(1);
    }
    EXPECT_EQ(progress.yields, progress.values.size());
    EXPECT_GE(progress.yields, 3u);
    EXPECT_LE(progress.yields, 8u);
    EXPECT_TRUE(std::is_sorted(progress.values.begin(), progress.values.end()));
    EXPECT_GT(progress.values.front(), 0.0);
    EXPECT_LE(progress.values.back(), 100.0);
}
