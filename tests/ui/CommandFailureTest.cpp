#include "OperationFixture.h"

#include "tests/support/AllocationFailure.h"

namespace Quorvane {
namespace {

using CommandFailureTest = OperationFixture;

// The filter that removes the items with a text has no error trap of its own: its command
// reports the failure under the call's label and still puts the default pointer back.
TEST_F(CommandFailureTest, RemoveItemsWithFailureIsReportedByItsCommandAtTheCallsLabel)
{
    constexpr std::size_t kItems = 100'000;
    const std::vector<std::pair<Button, QString>> commands = {{Button::RemoveList1ItemsWith, "PushButton17_Click"},
                                                              {Button::RemoveList2ItemsWith, "PushButton10_Click"}};
    for (const auto &[button, handler] : commands) {
        SCOPED_TRACE(numberOf(button));
        m_answers.shown.clear();
        ItemList &own = button == Button::RemoveList1ItemsWith ? window().list1() : window().list2();
        own.clear();
        fillLarge(own, kItems);
        m_answers.inputs.push_back("user1");
        // Once the text is typed, the first allocation as large as one flag per item fails.
        m_answers.onShown = [&](const Shown &shown) {
            if (shown.kind == ShownKind::InputBox)
                AllocationFailure::arm(0, kItems);
        };

        click(button);

        EXPECT_TRUE(AllocationFailure::disarm());
        const std::vector<QString> reports = errorReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_TRUE(reports[0].startsWith("Out of memory\r\nin Quorvane2/19/2015.Form1." + handler + " at line 110\r\r"))
            << reports[0].toStdString();
        EXPECT_EQ(own.count(), kItems) << "nothing was removed";
        EXPECT_EQ(window().pointer(), Pointer::Default);
        EXPECT_FALSE(window().isCommandRunning());
    }
}

} // namespace
} // namespace Quorvane
