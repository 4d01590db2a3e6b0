#include "FakeCommandHost.h"
#include "OperationFixture.h"

#include "ui/OperationCommands.h"

#include <QProgressBar>
#include <QSignalSpy>

#include <algorithm>
#include <map>

namespace Quorvane {
namespace {

const Items kList1 = {"a@x", "", "b@y", "a@x", "c@x", "b@y", " "};
const Items kList2 = {"b@y", "", "d@z", "b@y"};

struct CommandCase
{
    Button button;
    std::string answer; // for the commands that ask for a text
    Items ownAfter;
    std::string ownGuard;
    std::string otherGuard; // empty for commands on one list
};

const std::vector<CommandCase> kCases = {
    {Button::RemoveList1ItemsWith, "@x", {"", "b@y", "b@y", " "}, "You forgot to load in List 1.", {}},
    {Button::RemoveList1ItemsWithout, "@x", {"a@x", "a@x", "c@x"}, "You forgot to load in List 1.", {}},
    {Button::RemoveBlanksFromList1, {}, {"a@x", "b@y", "a@x", "c@x", "b@y", " "}, "You forgot to load in List 1.", {}},
    {Button::RemoveMatchesList2FromList1, {}, {"a@x", "a@x", "c@x", " "}, "You forgot to load List 1.",
     "You forgot to load List 2."},
    {Button::KeepOnlyMatchesInList2, {}, {"", "b@y", "b@y"}, "You forgot to load in List 1.",
     "You forgot to load in List 2."},
    {Button::RemoveList1DupesExceptFirst, {}, {"a@x", "", "b@y", "c@x", " "}, "You forgot to load in List 1.", {}},
    {Button::RemoveAllList1Dupes, {}, {"", "a@x", "c@x", "b@y", " "}, "You forgot to load in List 1.", {}},
    {Button::RemoveList2ItemsWith, "@z", {"b@y", "", "b@y"}, "You forgot to load in List 2.", {}},
    {Button::RemoveList2ItemsWithout, "@z", {"d@z"}, "You forgot to load in List 2.", {}},
    {Button::RemoveBlanksFromList2, {}, {"b@y", "d@z", "b@y"}, "You forgot to load in List 2.", {}},
    {Button::RemoveMatchesList1FromList2, {}, {"d@z"}, "You forgot to load in List 2.",
     "You forgot to load in List 1."},
    {Button::KeepOnlyMatchesInList1, {}, {"b@y", "", "b@y"}, "You forgot to load in List 2.",
     "You forgot to load in List 1."},
    {Button::RemoveList2DupesExceptFirst, {}, {"b@y", "", "d@z"}, "You forgot to load in List 2.", {}},
    {Button::RemoveAllList2Dupes, {}, {"", "d@z", "b@y"}, "You forgot to load in List 2.", {}},
};

const std::vector<Button> kTextCommands = {Button::RemoveList1ItemsWith, Button::RemoveList1ItemsWithout,
                                           Button::RemoveList2ItemsWith, Button::RemoveList2ItemsWithout};

bool ownsList1(Button button)
{
    return designOf(button).ownList == OwnList::List1;
}

// The commands' logic, against a stand-in for the window.
class OperationCommandsTest : public ::testing::Test
{
protected:
    void run(Button button) { runOperationCommand(designOf(button), m_list1, m_list2, m_host.host()); }

    void reset(const Items &list1, const Items &list2)
    {
        m_list1.clear();
        m_list2.clear();
        OperationFixture::fill(m_list1, list1);
        OperationFixture::fill(m_list2, list2);
        m_host = FakeCommandHost();
    }

    ItemList m_list1;
    ItemList m_list2;
    FakeCommandHost m_host;
};

using Kind = FakeCommandHost::Kind;

TEST_F(OperationCommandsTest, AskForTheTextWithThePointerAsItWasThenShowTheHourglass)
{
    for (const CommandCase &command : kCases) {
        SCOPED_TRACE(numberOf(command.button));
        reset(kList1, kList2);
        if (!command.answer.empty())
            m_host.texts.push_back(command.answer);
        m_host.setPointer(Pointer::Custom);

        run(command.button);

        const ItemList &own = ownsList1(command.button) ? m_list1 : m_list2;
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
        for (const CommandCase &command : kCases) {
            SCOPED_TRACE(numberOf(command.button));
            const Items other = otherFilled ? Items{"kept"} : Items{};
            reset(ownsList1(command.button) ? Items{} : other, ownsList1(command.button) ? other : Items{});
            m_host.setPointer(Pointer::Custom);

            run(command.button);

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
    for (const CommandCase &command : kCases) {
        if (command.otherGuard.empty())
            continue;
        SCOPED_TRACE(numberOf(command.button));
        reset(ownsList1(command.button) ? Items{"x", "x"} : Items{}, ownsList1(command.button) ? Items{} : Items{"x", "x"});

        run(command.button);

        EXPECT_EQ(m_host.textsOf(Kind::Warn), std::vector<std::string>{command.otherGuard});
        EXPECT_EQ(m_host.asked.size(), 1u);
        EXPECT_EQ(m_list1.count() + m_list2.count(), 2u);
        EXPECT_EQ(m_host.pointer(), Pointer::Default);
    }
}

TEST_F(OperationCommandsTest, CancelledOrEmptyAnswerEndsTheCommandWithoutHourglassOrProgress)
{
    for (const Button button : kTextCommands) {
        for (const bool cancel : {true, false}) {
            SCOPED_TRACE(numberOf(button));
            reset({"a", ""}, {"b", ""});
            if (!cancel)
                m_host.texts.push_back({});
            m_host.setPointer(Pointer::Custom);

            run(button);

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
    run(Button::RemoveBlanksFromList1);
    EXPECT_TRUE(m_list1.isEmpty());
    EXPECT_TRUE(m_host.asked.empty());
    run(Button::RemoveBlanksFromList1);
    EXPECT_EQ(m_host.textsOf(Kind::Warn), std::vector<std::string>{"You forgot to load in List 1."});
}

// What only the window shows: the buttons reach their commands, the typed text arrives as
// typed, and the bar moves.
class OperationButtonsTest : public OperationFixture
{
protected:
    std::vector<QString> warnings() const { return messagesWith(kApplicationTitle, BoxStyle::Warning); }
};

TEST_F(OperationButtonsTest, EachButtonChangesItsOwnListAndOnlyReadsTheOther)
{
    for (const CommandCase &command : kCases) {
        SCOPED_TRACE(numberOf(command.button));
        window().list1().clear();
        window().list2().clear();
        fill(window().list1(), kList1);
        fill(window().list2(), kList2);
        if (!command.answer.empty())
            m_answers.inputs.push_back(QString::fromStdString(command.answer));

        click(command.button);

        const bool first = ownsList1(command.button);
        EXPECT_EQ(textsOf(first ? window().list1() : window().list2()), command.ownAfter);
        EXPECT_EQ(textsOf(first ? window().list2() : window().list1()), first ? kList2 : kList1);
        EXPECT_EQ(window().pointer(), Pointer::Default);
        EXPECT_FALSE(window().isCommandRunning());
    }
    EXPECT_TRUE(errorReports().empty());
    EXPECT_TRUE(warnings().empty());
}

TEST_F(OperationButtonsTest, GuardsAreWarningBoxesWithTheApplicationTitle)
{
    click(Button::RemoveMatchesList2FromList1);
    click(Button::RemoveAllList2Dupes);
    EXPECT_EQ(warnings(), (std::vector<QString>{"You forgot to load List 1.", "You forgot to load in List 2."}));
}

TEST_F(OperationButtonsTest, AnswerIsPassedOnAsTypedWithSpacesCaseAndAccents)
{
    fill(window().list1(), {"a b", "ab", " ", "", "Café", "cafe"});
    m_answers.inputs.push_back(" ");
    click(Button::RemoveList1ItemsWith);
    EXPECT_EQ(textsOf(window().list1()), (Items{"ab", "", "Café", "cafe"}));

    m_answers.inputs.push_back(QString::fromUtf8("é"));
    click(Button::RemoveList1ItemsWith);
    EXPECT_EQ(textsOf(window().list1()), (Items{"ab", "", "cafe"}));

    fill(window().list2(), {"CAFE", "cafe", "xcafex"});
    m_answers.inputs.push_back("cafe");
    click(Button::RemoveList2ItemsWithout);
    EXPECT_EQ(textsOf(window().list2()), (Items{"cafe", "xcafex"}));
    EXPECT_TRUE(warnings().empty());
    const std::vector<Shown> asked = shownOfKind(ShownKind::InputBox);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].text, "Enter string: ");
    EXPECT_EQ(asked[0].title, "Quorvane ");
}

// Forward scans rise towards 100, backward scans start at 0 and rise; the bar ends at 0.
TEST_F(OperationButtonsTest, BarRisesDuringALongOperationAndEndsAtZero)
{
    const std::map<Button, bool> startsAtZero = {{Button::KeepOnlyMatchesInList2, false},
                                                 {Button::RemoveList1DupesExceptFirst, true}};
    for (const auto &[button, backward] : startsAtZero) {
        SCOPED_TRACE(numberOf(button));
        window().list1().clear();
        window().list2().clear();
        fillLarge(window().list1(), kLongWork);
        fillLarge(window().list2(), kLongWork);
        // A full bar first, so a backward scan's opening 0 shows as a change.
        window().progressBar()->setValue(100);
        QSignalSpy values(window().progressBar(), &QProgressBar::valueChanged);

        click(button);

        ASSERT_GE(values.size(), 3) << "the bar moved during the work";
        std::vector<int> shown;
        for (const QList<QVariant> &value : values)
            shown.push_back(value.at(0).toInt());
        EXPECT_EQ(shown.back(), 0);
        shown.pop_back();
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        if (backward) {
            EXPECT_EQ(shown.front(), 0);
        }
        EXPECT_EQ(window().progressBar()->value(), 0);
    }
}

} // namespace
} // namespace Quorvane
