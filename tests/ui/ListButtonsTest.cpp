#include "OperationFixture.h"

#include "ui/ListView.h"

namespace Quorvane {
namespace {

// What only the window shows: each frame's buttons act on their own list, and the boxes are
// the window's own.
class ListButtonsTest : public OperationFixture
{
};

TEST_F(ListButtonsTest, EachFramesButtonsActOnItsOwnList)
{
    const QString saved = programFolder() + "/saved.txt";
    click(Button::LoadSampleList1);
    m_answers.saveFiles.push_back(saved);
    click(Button::SaveList1ToFile);
    m_answers.openFiles.push_back({saved});
    click(Button::LoadFileToList2);
    click(Button::LoadSampleList2);
    const Items sample1 = textsOf(window().list1());
    ASSERT_EQ(sample1.size(), 3u);
    EXPECT_EQ(sample1[1], kSupportAddress);
    Items both = sample1;
    both.push_back(std::string(kSupportAddress));
    const Items list2 = textsOf(window().list2());
    ASSERT_EQ(list2.size(), 6u);
    EXPECT_EQ(Items(list2.begin(), list2.begin() + 4), both);
    EXPECT_EQ(window().listView2()->model()->rowCount(), 6);
    EXPECT_EQ(plainMessages(), std::vector<QString>{"Done."});

    // The question about an existing file is a Yes/No box with the application's title.
    m_answers.saveFiles.push_back(saved);
    m_answers.buttons.push_back(QMessageBox::No);
    click(Button::SaveList2ToFile);
    const std::vector<Shown> questions = shownOfKind(ShownKind::MessageBox);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].text, "Are you sure you wish to overwrite " + saved + " ?");
    EXPECT_EQ(questions[1].style, BoxStyle::YesNo);
    EXPECT_EQ(questions[1].title, "Quorvane ");
    EXPECT_EQ(readFile(saved).count("\r\n"), 3);

    click(Button::ClearList1);
    EXPECT_TRUE(window().list1().isEmpty());
    EXPECT_EQ(window().list2().count(), 6u);
    click(Button::ClearList2);
    EXPECT_TRUE(window().list2().isEmpty());
    EXPECT_EQ(window().listView1()->model()->columnCount(), 1);
    EXPECT_TRUE(errorReports().empty());
}

TEST_F(ListButtonsTest, ClicksWhileALoadRunsAreHeldBack)
{
    m_answers.openFiles.push_back({programFolder() + "/gone.txt", writeFile("a.txt", "a\r\n")});
    m_answers.onShown = [this](const Shown &) { click(Button::LoadSampleList1); };
    click(Button::LoadFileToList1);
    EXPECT_EQ(textsOf(window().list1()), (Items{"a"}));
    EXPECT_FALSE(window().isCommandRunning());
    click(Button::LoadSampleList1);
    EXPECT_EQ(window().list1().count(), 4u);
}

} // namespace
} // namespace Quorvane
