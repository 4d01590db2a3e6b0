#include "FakeCommandHost.h"
#include "OperationCases.h"

#include "commands/KeyIndexes.h"
#include "commands/OperationCommands.h"
#include "tests/support/ListTexts.h"

#include <gtest/gtest.h>

namespace Quorvane {
namespace {

using Samples::textsOf;
using namespace Testing;

bool ownsList1(const OperationCase &command)
{
    return command.command.ownList == ListId::List1;
}

// The commands' logic, against a stand-in for the window.
class OperationCommandsTest : public ::testing::Test
{
protected:
    void run(const OperationCommand &command)
    {
        runOperationCommand(command, m_list1, m_list2, "PushButton_Click", m_host.host());
    }

    void reset(const Items &list1, const Items &list2)
    {
        m_list1.clear();
        m_list2.clear();
        m_list1.appendList(Samples::listOf(list1));
        m_list2.appendList(Samples::listOf(list2));
        m_host = FakeCommandHost();
    }

    ItemList m_list1;
    ItemList m_list2;
    FakeCommandHost m_host;
};

using Kind = FakeCommandHost::Kind;

TEST_F(OperationCommandsTest, AskForTheTextWithThePointerAsItWasThenShowTheHourglass)
{
    for (const OperationCase &command : kOperationCases) {
        SCOPED_TRACE(command.button);
        reset(kCaseList1, kCaseList2);
        if (!command.answer.empty())
            m_host.texts.push_back(command.answer);
        m_host.setPointer(Pointer::Custom);

        run(command.command);

        const ItemList &own = ownsList1(command) ? m_list1 : m_list2;
        EXPECT_EQ(textsOf(own), command.ownAfter);
        EXPECT_EQ(m_host.pointer(), Pointer::Default);
        EXPECT_TRUE(m_host.reports.empty());
        ASSERT_FALSE(m_host.progress.empty());
        EXPECT_EQ(m_host.progress.back(), 0.0);
        if (command.answer.empty()) {
            EXPECT_TRUE(m_host.asked.empty());
            continue;
        }
        ASSERT_EQ(m_host.asked.size(), 1u);
        EXPECT_EQ(m_host.asked[0].kind, Kind::AskText);
        EXPECT_EQ(m_host.asked[0].text, "Enter string: ");
        EXPECT_EQ(m_host.asked[0].pointer, Pointer::Custom);
    }
}

TEST_F(OperationCommandsTest, EmptyOwnListShowsOnlyItsGuardEvenWhenBothAreEmpty)
{
    for (const bool otherFilled : {false, true}) {
        for (const OperationCase &command : kOperationCases) {
            SCOPED_TRACE(command.button);
            const Items other = otherFilled ? Items{"kept"} : Items{};
            reset(ownsList1(command) ? Items{} : other, ownsList1(command) ? other : Items{});
            m_host.setPointer(Pointer::Custom);

            run(command.command);

            ASSERT_EQ(m_host.asked.size(), 1u) << "no input box after a guard";
            EXPECT_EQ(m_host.asked[0].kind, Kind::Warn);
            EXPECT_EQ(m_host.asked[0].text, command.ownGuard);
            EXPECT_EQ(m_host.pointer(), Pointer::Custom);
            EXPECT_TRUE(m_host.progress.empty());
            EXPECT_EQ(m_list1.count() + m_list2.count(), otherFilled ? 1u : 0u);
        }
    }
}

TEST_F(OperationCommandsTest, TwoListCommandsGuardTheOtherListSecond)
{
    for (const OperationCase &command : kOperationCases) {
        if (command.otherGuard.empty())
            continue;
        SCOPED_TRACE(command.button);
        reset(ownsList1(command) ? Items{"x", "x"} : Items{}, ownsList1(command) ? Items{} : Items{"x", "x"});

        run(command.command);

        EXPECT_EQ(m_host.textsOf(Kind::Warn), std::vector<std::string>{command.otherGuard});
        EXPECT_EQ(m_host.asked.size(), 1u);
        EXPECT_EQ(m_list1.count() + m_list2.count(), 2u);
        EXPECT_EQ(m_host.pointer(), Pointer::Default);
    }
}

TEST_F(OperationCommandsTest, CancelledOrEmptyAnswerEndsTheCommandWithoutHourglassOrProgress)
{
    for (const OperationCase &command : kOperationCases) {
        if (command.answer.empty())
            continue;
        for (const bool cancel : {true, false}) {
            SCOPED_TRACE(command.button);
            reset({"a", ""}, {"b", ""});
            if (!cancel)
                m_host.texts.push_back({});
            m_host.setPointer(Pointer::Custom);

            run(command.command);

            ASSERT_EQ(m_host.asked.size(), 1u);
            EXPECT_EQ(m_host.asked[0].kind, Kind::AskText);
            EXPECT_EQ(m_host.pointer(), Pointer::Custom) << "the hourglass never showed";
            EXPECT_EQ(textsOf(m_list1), (Items{"a", ""}));
            EXPECT_EQ(textsOf(m_list2), (Items{"b", ""}));
            EXPECT_TRUE(m_host.progress.empty());
        }
    }
}

TEST_F(OperationCommandsTest, ListOfBlankItemsPassesTheGuards)
{
    reset({"", ""}, {});
    run({Operation::RemoveBlanks, ListId::List1});
    EXPECT_TRUE(m_list1.isEmpty());
    EXPECT_TRUE(m_host.asked.empty());
    run({Operation::RemoveBlanks, ListId::List1});
    EXPECT_EQ(m_host.textsOf(Kind::Warn), std::vector<std::string>{"You forgot to load in List 1."});
}

} // namespace
} // namespace Quorvane

namespace Quorvane {
namespace {

std::shared_ptr<const TextPartitions> partitionsOf(const ItemList &list, const MatchMode &mode)
{
    NullProgress progress;
    ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
    return std::make_shared<const TextPartitions>(list.texts(), 1, pacer, mode);
}

// A list's keys are kept while the list is as it was when they were made, within the budget,
// and an operation given them still removes exactly what it would without them.
TEST_F(OperationCommandsTest, KeysKeptForAListServeOnlyWhileItIsUnchanged)
{
    reset({"a@x", "B@x", "c@x", "a@x"}, {"b@x", "a@x"});
    KeyIndexes kept;
    kept.keep(ListId::List1, m_list1.changeCount(), partitionsOf(m_list1, {.ignoreCase = true}));
    EXPECT_EQ(kept.of(ListId::List1, m_list1), nullptr) << "folded keys cost more than the budget";
    kept.keep(ListId::List1, m_list1.changeCount(), partitionsOf(m_list1, {}));
    kept.keep(ListId::List2, m_list2.changeCount(), partitionsOf(m_list2, {}));
    ASSERT_NE(kept.of(ListId::List1, m_list1), nullptr);

    CommandHost host = m_host.host();
    host.keyIndexes = &kept;
    runOperationCommand({Operation::Subtract, ListId::List2}, m_list1, m_list2, "PushButton12_Click", host);
    EXPECT_EQ(textsOf(m_list2), (Items{"b@x"}));
    EXPECT_NE(kept.of(ListId::List1, m_list1), nullptr) << "List 1 only read";
    EXPECT_EQ(kept.take(ListId::List2, m_list2), nullptr) << "taken by the command that changed List 2";
    m_list1.append("d@x");
    EXPECT_EQ(kept.of(ListId::List1, m_list1), nullptr);

    reset({"a@x"}, {"a@x"});
    kept.keep(ListId::List1, m_list1.changeCount(), partitionsOf(m_list1, {}));
    kept.forgetStale(ListId::List1, m_list1, {});
    ASSERT_NE(kept.of(ListId::List1, m_list1), nullptr);
    kept.forgetStale(ListId::List1, m_list1, {.ignoreCase = true});
    EXPECT_EQ(kept.of(ListId::List1, m_list1), nullptr) << "the matching changed";
}

// The overlap found of both lists answers Remove Matches and Keep Only Matches only while both
// lists are as they were and the operation makes the keys the overlap was found with.
TEST_F(OperationCommandsTest, TheOverlapKeptServesOnlyTheListsAndKeysItWasFoundOf)
{
    const auto overlapOf = [this](const MatchMode &mode) {
        NullProgress progress;
        return std::make_shared<const Overlap>(findOverlap(m_list1.texts(), m_list2.texts(), mode, progress));
    };
    const MatchMode folded{.ignoreCase = true};
    reset({"a@x", "B@x", "c@x"}, {"b@x", "A@x", "d@x"});
    KeyIndexes kept;
    const auto keepFound = [&](const MatchMode &mode) {
        kept.keepOverlap({m_list1.changeCount(), m_list2.changeCount()}, mode, overlapOf(mode));
    };
    keepFound(folded);
    ASSERT_NE(kept.sharedOf(ListId::List1, m_list1, m_list2, folded), nullptr);
    EXPECT_TRUE(kept.sharedOf(ListId::List1, m_list1, m_list2, folded).get()[1]);
    EXPECT_FALSE(kept.sharedOf(ListId::List2, m_list2, m_list1, folded).get()[2]);
    MatchMode patterns = folded;
    patterns.otherIsPatterns = true;
    MatchMode otherColumn = folded;
    otherColumn.otherField.column = 2;
    for (const MatchMode &mode : {MatchMode{}, patterns, otherColumn})
        EXPECT_EQ(kept.sharedOf(ListId::List1, m_list1, m_list2, mode), nullptr);

    // Found without folding, the overlap must not answer a folding Remove Matches.
    keepFound({});
    CommandHost host = m_host.host();
    host.keyIndexes = &kept;
    host.matching = folded;
    runOperationCommand({Operation::Subtract, ListId::List2}, m_list1, m_list2, "PushButton12_Click", host);
    EXPECT_EQ(textsOf(m_list2), (Items{"d@x"}));
    keepFound(folded);
    m_list2.append("c@x");
    EXPECT_EQ(kept.sharedOf(ListId::List1, m_list1, m_list2, folded), nullptr) << "List 2 changed";
    runOperationCommand({Operation::KeepMatches, ListId::List1}, m_list1, m_list2, "PushButton11_Click", host);
    EXPECT_EQ(textsOf(m_list1), (Items{"c@x"}));
}

} // namespace
} // namespace Quorvane
