#include "OperationFixture.h"

#include <QProgressBar>
#include <QSignalSpy>

#include <algorithm>
#include <map>

namespace Quorvane {
namespace {

class OperationCommandsTest : public OperationFixture
{
protected:
    void SetUp() override
    {
        OperationFixture::SetUp();
        m_answers.onShown = [this](const Shown &) { m_pointerWhenShown.push_back(window().pointer()); };
    }

    std::vector<QString> warnings() const { return messagesWith(kApplicationTitle, BoxStyle::Warning); }

    std::vector<Pointer> m_pointerWhenShown;
};

const Items kList1 = {"a@x", "", "b@y", "a@x", "c@x", "b@y", " "};
const Items kList2 = {"b@y", "", "d@z", "b@y"};

struct CommandCase
{
    int button;
    int ownList;
    QString answer; // for the commands that ask for a text
    Items ownAfter;
    QString ownGuard;
    QString otherGuard; // empty for commands on one list
};

const std::vector<CommandCase> kCases = {
    {17, 1, "@x", {"", "b@y", "b@y", " "}, "You forgot to load in List 1.", {}},
    {16, 1, "@x", {"a@x", "a@x", "c@x"}, "You forgot to load in List 1.", {}},
    {18, 1, {}, {"a@x", "b@y", "a@x", "c@x", "b@y", " "}, "You forgot to load in List 1.", {}},
    {19, 1, {}, {"a@x", "a@x", "c@x", " "}, "You forgot to load List 1.", "You forgot to load List 2."},
    {15, 1, {}, {"", "b@y", "b@y"}, "You forgot to load in List 1.", "You forgot to load in List 2."},
    {4, 1, {}, {"a@x", "", "b@y", "c@x", " "}, "You forgot to load in List 1.", {}},
    {7, 1, {}, {"", "a@x", "c@x", "b@y", " "}, "You forgot to load in List 1.", {}},
    {10, 2, "@z", {"b@y", "", "b@y"}, "You forgot to load in List 2.", {}},
    {9, 2, "@z", {"d@z"}, "You forgot to load in List 2.", {}},
    {11, 2, {}, {"b@y", "d@z", "b@y"}, "You forgot to load in List 2.", {}},
    {12, 2, {}, {"d@z"}, "You forgot to load in List 2.", "You forgot to load in List 1."},
    {8, 2, {}, {"b@y", "", "b@y"}, "You forgot to load in List 2.", "You forgot to load in List 1."},
    {5, 2, {}, {"b@y", "", "d@z"}, "You forgot to load in List 2.", {}},
    {6, 2, {}, {"", "d@z", "b@y"}, "You forgot to load in List 2.", {}},
};

const std::vector<int> kTextCommands = {17, 16, 10, 9};

TEST_F(OperationCommandsTest, EachCommandChangesItsOwnListAndOnlyReadsTheOther)
{
    for (const CommandCase &command : kCases) {
        SCOPED_TRACE(command.button);
        window().list1().clear();
        window().list2().clear();
        fill(window().list1(), kList1);
        fill(window().list2(), kList2);
        m_answers.shown.clear();
        m_pointerWhenShown.clear();
        if (!command.answer.isEmpty())
            m_answers.inputs.push_back(command.answer);
        window().setPointer(Pointer::Custom);

        click(command.button);

        ItemList &own = command.ownList == 1 ? window().list1() : window().list2();
        ItemList &other = command.ownList == 1 ? window().list2() : window().list1();
        EXPECT_EQ(itemsOf(own), command.ownAfter);
        EXPECT_EQ(itemsOf(other), command.ownList == 1 ? kList2 : kList1);
        EXPECT_EQ(window().pointer(), Pointer::Default);
        EXPECT_EQ(window().progressBar()->value(), 0);
        EXPECT_FALSE(window().isCommandRunning());
        if (command.answer.isEmpty()) {
            EXPECT_TRUE(m_answers.shown.empty());
            continue;
        }
        // Only the question, asked with the pointer as it was.
        ASSERT_EQ(m_answers.shown.size(), 1u);
        EXPECT_EQ(m_answers.shown[0].kind, ShownKind::InputBox);
        EXPECT_EQ(m_answers.shown[0].text, "Enter string: ");
        EXPECT_EQ(m_answers.shown[0].title, "Quorvane ");
        EXPECT_EQ(m_pointerWhenShown, std::vector<Pointer>{Pointer::Custom});
    }
}

TEST_F(OperationCommandsTest, EmptyOwnListShowsOnlyItsGuardEvenWhenBothAreEmpty)
{
    for (const bool otherFilled : {false, true}) {
        for (const CommandCase &command : kCases) {
            SCOPED_TRACE(command.button);
            window().list1().clear();
            window().list2().clear();
            if (otherFilled)
                fill(command.ownList == 1 ? window().list2() : window().list1(), {"kept"});
            m_answers.shown.clear();
            window().setPointer(Pointer::Custom);

            click(command.button);

            EXPECT_EQ(warnings(), std::vector<QString>{command.ownGuard});
            EXPECT_EQ(m_answers.shown.size(), 1u) << "no input box after a guard";
            EXPECT_EQ(window().pointer(), Pointer::Custom);
            EXPECT_EQ(window().list1().count() + window().list2().count(), otherFilled ? 1u : 0u);
        }
    }
}

TEST_F(OperationCommandsTest, TwoListCommandsGuardTheOtherListSecond)
{
    for (const CommandCase &command : kCases) {
        if (command.otherGuard.isEmpty())
            continue;
        SCOPED_TRACE(command.button);
        window().list1().clear();
        window().list2().clear();
        fill(command.ownList == 1 ? window().list1() : window().list2(), {"x", "x"});
        m_answers.shown.clear();

        click(command.button);

        EXPECT_EQ(warnings(), std::vector<QString>{command.otherGuard});
        EXPECT_EQ(window().list1().count() + window().list2().count(), 2u);
        EXPECT_EQ(window().pointer(), Pointer::Default);
    }
}

TEST_F(OperationCommandsTest, CancelledOrEmptyAnswerEndsTheCommandWithoutHourglassOrMessage)
{
    for (const int button : kTextCommands) {
        for (const bool cancel : {true, false}) {
            SCOPED_TRACE(button);
            window().list1().clear();
            window().list2().clear();
            fill(window().list1(), {"a", ""});
            fill(window().list2(), {"b", ""});
            m_answers.shown.clear();
            m_pointerWhenShown.clear();
            if (!cancel)
                m_answers.inputs.push_back(QString());
            window().setPointer(Pointer::Custom);
            QSignalSpy barChanges(window().progressBar(), &QProgressBar::valueChanged);

            click(button);

            ASSERT_EQ(m_answers.shown.size(), 1u);
            EXPECT_EQ(m_answers.shown[0].kind, ShownKind::InputBox);
            EXPECT_EQ(window().pointer(), Pointer::Custom) << "the hourglass never showed";
            EXPECT_EQ(itemsOf(window().list1()), (Items{"a", ""}));
            EXPECT_EQ(itemsOf(window().list2()), (Items{"b", ""}));
            EXPECT_TRUE(barChanges.isEmpty()) << "the bar was never touched";
        }
    }
}

TEST_F(OperationCommandsTest, AnswerIsPassedOnAsTypedWithSpacesCaseAndAccents)
{
    fill(window().list1(), {"a b", "ab", " ", "", "Café", "cafe"});
    m_answers.inputs.push_back(" ");
    click(17);
    EXPECT_EQ(itemsOf(window().list1()), (Items{"ab", "", "Café", "cafe"}));

    m_answers.inputs.push_back(QString::fromUtf8("é"));
    click(17);
    EXPECT_EQ(itemsOf(window().list1()), (Items{"ab", "", "cafe"}));

    fill(window().list2(), {"CAFE", "cafe", "xcafex"});
    m_answers.inputs.push_back("cafe");
    click(9);
    EXPECT_EQ(itemsOf(window().list2()), (Items{"cafe", "xcafex"}));
    EXPECT_TRUE(warnings().empty());
}

TEST_F(OperationCommandsTest, ListOfBlankItemsPassesTheGuards)
{
    fill(window().list1(), {"", ""});
    click(18);
    EXPECT_TRUE(window().list1().isEmpty());
    EXPECT_TRUE(m_answers.shown.empty());
    click(18);
    EXPECT_EQ(warnings(), std::vector<QString>{"You forgot to load in List 1."});
}

// Forward scans rise towards 100, backward scans start at 0 and rise; the bar ends at 0.
TEST_F(OperationCommandsTest, BarRisesDuringALongOperationAndEndsAtZero)
{
    const std::map<int, bool> startsAtZero = {{15, false}, {4, true}};
    for (const auto &[button, backward] : startsAtZero) {
        SCOPED_TRACE(button);
        window().list1().clear();
        window().list2().clear();
        fillLarge(window().list1(), kLongWork);
        fillLarge(window().list2(), 400'000);
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
