#include "ui/UndoHistory.h"

#include "tests/support/ListTexts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Quorvane;

namespace {

using Samples::listOf;
using Samples::textsOf;
using Texts = std::vector<std::string>;

class UndoHistoryTest : public ::testing::Test
{
protected:
    // Runs a command as the window does: between begin() and record().
    UndoHistory::Recorded run(const std::string &name, const std::function<void()> &command)
    {
        m_history.begin();
        command();
        return m_history.record(name);
    }

    ItemList m_list1 = listOf({"a", "b", "a"});
    ItemList m_list2 = listOf({"x"});
    UndoHistory m_history{m_list1, m_list2, {4, SIZE_MAX}};
};

TEST_F(UndoHistoryTest, StepsGoBackAndForthInOrderUnderTheirNames)
{
    const bool second[] = {false, false, true};
    const auto removed = run("Remove List 1 Dupes Except First", [&] { m_list1.removeFlagged(second); });
    EXPECT_TRUE(removed.changed);
    EXPECT_EQ(removed.counts[0].removed, 1u);
    run("Load Sample/Example List (List 2)", [&] { m_list2.append("y"); });
    run("Clear List (List 1)", [&] { m_list1.clear(); });

    EXPECT_EQ(m_history.undoName(), "Clear List (List 1)");
    ASSERT_TRUE(m_history.undo());
    EXPECT_EQ(textsOf(m_list1), (Texts{"a", "b"}));
    const auto undone = m_history.undo();
    ASSERT_TRUE(undone);
    EXPECT_EQ((*undone)[1].added, 1u);
    EXPECT_EQ(textsOf(m_list2), (Texts{"x"}));
    ASSERT_TRUE(m_history.undo());
    EXPECT_EQ(textsOf(m_list1), (Texts{"a", "b", "a"}));
    EXPECT_FALSE(m_history.canUndo());
    EXPECT_FALSE(m_history.undo());

    EXPECT_EQ(m_history.redoName(), "Remove List 1 Dupes Except First");
    ASSERT_TRUE(m_history.redo());
    ASSERT_TRUE(m_history.redo());
    EXPECT_EQ(textsOf(m_list1), (Texts{"a", "b"}));
    EXPECT_EQ(textsOf(m_list2), (Texts{"x", "y"}));
    EXPECT_EQ(m_history.redoName(), "Clear List (List 1)");

    // A new change drops what was undone.
    run("Paste", [&] { m_list1.append("p"); });
    EXPECT_FALSE(m_history.canRedo());
    EXPECT_EQ(textsOf(m_list1), (Texts{"a", "b", "p"}));
}

TEST_F(UndoHistoryTest, CommandsThatChangeNothingLeaveNoStep)
{
    run("Load", [&] { m_list2.append("y"); });
    ASSERT_TRUE(m_history.undo());
    const auto saved = run("Save List To File (List 1)", [] {});
    EXPECT_FALSE(saved.changed);
    // Nothing changed, so what was undone can still be redone.
    EXPECT_TRUE(m_history.canRedo());
    EXPECT_EQ(m_history.stepCount(), 1u);
}

// A command whose first change to a list is a removal gives its change to the history as it
// begins, and the list removes in place; a later change in the same command could not be told
// from it, so the history is dropped rather than keep a wrong step.
TEST_F(UndoHistoryTest, RemovalsAreTakenAsTheyHappenWhateverFollowsThem)
{
    const bool first[] = {true, false, false};
    const bool none[] = {false, false, false};
    struct Case
    {
        const char *name;
        std::function<void(ItemList &)> command;
        Texts after;
        bool changed;
        bool forgotten;
        bool mostRemoved = false; // the step keeps the array before whole instead of the removed items
    };
    const std::vector<Case> cases = {
        {"removal", [&](ItemList &l) { l.removeFlagged(first); }, {"b", "a"}, true, false},
        {"removal of most", [&](ItemList &l) {
             const bool firstTwo[] = {true, true, false};
             l.removeFlagged(firstTwo);
         }, {"a"}, true, false, true},
        {"nothing removed", [&](ItemList &l) { l.removeFlagged(none); }, {"a", "b", "a"}, false, false},
        {"append, then removal", [&](ItemList &l) {
             l.append("c");
             const bool last[] = {false, false, false, true};
             l.removeFlagged(last);
         }, {"a", "b", "a"}, false, false},
        {"removal, then append", [&](ItemList &l) {
             l.removeFlagged(first);
             l.append("c");
         }, {"b", "a", "c"}, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ItemList list = listOf({"a", "b", "a"});
        ItemList other = listOf({"x"});
        UndoHistory history(list, other, {4, SIZE_MAX});
        const std::string_view *array = list.texts().data();
        history.begin();
        c.command(list);
        const UndoHistory::Recorded recorded = history.record(c.name);
        EXPECT_EQ(textsOf(list), c.after);
        EXPECT_EQ(recorded.changed, c.changed);
        EXPECT_EQ(recorded.forgotten, c.forgotten);
        EXPECT_EQ(history.canUndo(), c.changed && !c.forgotten);
        if (!history.canUndo())
            continue;
        EXPECT_EQ(list.texts().data() == array, !c.mostRemoved) << "removed in place";
        ASSERT_TRUE(history.undo());
        EXPECT_EQ(textsOf(list), (Texts{"a", "b", "a"}));
        if (c.mostRemoved) {
            EXPECT_EQ(list.texts().data(), array) << "the array before given back, not a copy";
        }
        ASSERT_TRUE(history.redo());
        EXPECT_EQ(textsOf(list), c.after);
    }
}

TEST_F(UndoHistoryTest, OnlyTheNewestStepsAreKept)
{
    for (int i = 0; i < 6; ++i)
        run("Append " + std::to_string(i), [&] { m_list2.append(std::to_string(i)); });
    EXPECT_EQ(m_history.stepCount(), 4u);
    while (m_history.undo()) {
    }
    EXPECT_EQ(textsOf(m_list2), (Texts{"x", "0", "1"}));

    // The newest step stays however short the history.
    ItemList list1 = listOf({"a", "b"});
    ItemList list2;
    UndoHistory oneStep(list1, list2, {1, SIZE_MAX});
    oneStep.begin();
    list1.clear();
    oneStep.record("Clear List");
    ASSERT_TRUE(oneStep.undo());
    EXPECT_EQ(textsOf(list1), (Texts{"a", "b"}));
}

TEST(UndoHistoryLimits, MemoryBoundsTheDepthButTheNewestStepStays)
{
    ItemList list1;
    ItemList list2;
    UndoHistory history(list1, list2, {100, 1 << 20});
    // Each load adds 400 kB of texts; each clear leaves them to the history alone.
    for (int round = 0; round < 4; ++round) {
        history.begin();
        list1.appendList(Samples::listOf(std::vector<std::string>(10000, std::string(40, 'a' + round))));
        history.record("Load");
        history.begin();
        list1.clear();
        history.record("Clear");
        EXPECT_LE(history.heldBytes(), std::size_t(1) << 20) << round;
    }
    EXPECT_LT(history.stepCount(), 8u);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(list1.count(), 10000u);
    EXPECT_EQ(list1.text(0), std::string(40, 'd'));
}

} // namespace
