#include "OperationFixture.h"

#include "tests/commands/OperationCases.h"

#include <QProgressBar>
#include <QSignalSpy>

#include <algorithm>
#include <map>

namespace Quorvane {
namespace {

using Testing::kCaseList1;
using Testing::kCaseList2;
using Testing::kOperationCases;
using Testing::OperationCase;

// What only the window shows: the buttons reach their commands, the typed text arrives as
// typed, and the bar moves.
class OperationButtonsTest : public OperationFixture
{
protected:
    std::vector<QString> warnings() const { return messagesWith(kApplicationTitle, BoxStyle::Warning); }
};

TEST_F(OperationButtonsTest, EachButtonChangesItsOwnListAndOnlyReadsTheOther)
{
    for (const OperationCase &command : kOperationCases) {
        SCOPED_TRACE(command.button);
        window().list1().clear();
        window().list2().clear();
        fill(window().list1(), kCaseList1);
        fill(window().list2(), kCaseList2);
        if (!command.answer.empty())
            m_answers.inputs.push_back(QString::fromStdString(command.answer));

        click(static_cast<Button>(command.button));

        const bool first = command.command.ownList == ListId::List1;
        EXPECT_EQ(textsOf(first ? window().list1() : window().list2()), command.ownAfter);
        EXPECT_EQ(textsOf(first ? window().list2() : window().list1()), first ? kCaseList2 : kCaseList1);
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
