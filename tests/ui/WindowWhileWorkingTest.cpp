#include "OperationFixture.h"

#include "ui/ListView.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace Quorvane {
namespace {

class DirectRemovalTest : public OperationFixture
{
protected:
    // Not selectRow(): with several rows selectable it heeds the modifier keys Qt still takes
    // for held after a test's Shift+Delete.
    void select(ListView &view, int row) { view.selectOnly(row); }
    void pressKey(ListView &view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&view, key, modifiers);
    }
    // A click selects the row, the second click of the pair is the double-click.
    void doubleClick(ListView &view, int row)
    {
        const QPoint centre = view.visualRect(view.model()->index(row, 0)).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
    }
};

TEST_F(DirectRemovalTest, DeleteWithOrWithoutShiftOrCtrlRemovesTheSelectedItemOfThatListOnly)
{
    fill(window().list1(), {"a", "b", "c", "d", "e"});
    fill(window().list2(), {"a", "b"});
    ListView &view = *window().listView1();
    window().setPointer(Pointer::Custom);

    select(view, 1);
    pressKey(view, Qt::Key_Delete);
    EXPECT_EQ(textsOf(window().list1()), (Items{"a", "c", "d", "e"}));
    select(view, 2);
    pressKey(view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(textsOf(window().list1()), (Items{"a", "c", "e"}));
    select(view, 0);
    pressKey(view, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(textsOf(window().list1()), (Items{"c", "e"}));

    EXPECT_EQ(textsOf(window().list2()), (Items{"a", "b"}));
    EXPECT_TRUE(m_answers.shown.empty());
    EXPECT_EQ(window().pointer(), Pointer::Custom);
}

TEST_F(DirectRemovalTest, OtherKeysRemoveNothingAndKeepTheirEffect)
{
    fill(window().list2(), {"a", "b", "c"});
    ListView &view = *window().listView2();
    select(view, 0);
    for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Insert, Qt::Key_A, Qt::Key_Space})
        pressKey(view, key);
    pressKey(view, Qt::Key_Down);
    EXPECT_EQ(view.selectedRow(), std::optional<int>(1)) << "arrows still move the selection";
    EXPECT_EQ(textsOf(window().list2()), (Items{"a", "b", "c"}));
}

TEST_F(DirectRemovalTest, DoubleClickRemovesTheItemUnderThePointer)
{
    showWindow();
    fill(window().list1(), {"a", "b", "c"});
    fill(window().list2(), {"x", "y", "z"});
    doubleClick(*window().listView2(), 2);
    EXPECT_EQ(textsOf(window().list2()), (Items{"x", "y"}));
    doubleClick(*window().listView2(), 0);
    EXPECT_EQ(textsOf(window().list2()), (Items{"y"}));
    EXPECT_EQ(textsOf(window().list1()), (Items{"a", "b", "c"}));
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(DirectRemovalTest, NoSelectionOrAnEmptyListRemovesNothingAndShowsNothing)
{
    showWindow();
    fill(window().list1(), {"a", "b"});
    ListView &view = *window().listView1();
    view.clearSelection();
    pressKey(view, Qt::Key_Delete);
    // Below the last row: nothing is under the pointer.
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, view.viewport()->height() - 5));
    EXPECT_EQ(textsOf(window().list1()), (Items{"a", "b"}));

    ListView &emptyView = *window().listView2();
    pressKey(emptyView, Qt::Key_Delete);
    QTest::mouseDClick(emptyView.viewport(), Qt::LeftButton);
    EXPECT_TRUE(window().list2().isEmpty());
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(DirectRemovalTest, RemovingTheLastItemLeavesAListTheCommandsCallNotLoaded)
{
    fill(window().list1(), {"only"});
    ListView &view = *window().listView1();
    select(view, 0);
    pressKey(view, Qt::Key_Delete);
    EXPECT_TRUE(window().list1().isEmpty());
    EXPECT_EQ(view.model()->rowCount(), 0);
    click(Button::RemoveList1DupesExceptFirst);
    EXPECT_EQ(messagesWith(kApplicationTitle, BoxStyle::Warning),
              std::vector<QString>{"You forgot to load in List 1."});
}

TEST_F(DirectRemovalTest, TheNextItemIsSelectedSoDeleteCanBePressedAgain)
{
    fill(window().list1(), {"a", "b", "c"});
    ListView &view = *window().listView1();
    select(view, 1);
    pressKey(view, Qt::Key_Delete);
    pressKey(view, Qt::Key_Delete);
    EXPECT_EQ(textsOf(window().list1()), (Items{"a"}));
    pressKey(view, Qt::Key_Delete);
    EXPECT_TRUE(window().list1().isEmpty());
}

class PointerFeedbackTest : public OperationFixture
{
protected:
    void SetUp() override
    {
        OperationFixture::SetUp();
        showWindow();
    }
    void moveOver(QWidget *widget, QPoint where = {}) { QTest::mouseMove(widget, where); }
    // A point of the window's surface outside every frame.
    void moveOverSurface() { moveOver(&window(), {window().width() / 2, 3}); }
    void moveOverFrame(QGroupBox *frame) { moveOver(frame, {frame->width() - 4, frame->height() - 4}); }
};

TEST_F(PointerFeedbackTest, ButtonsShowTheCustomPointerAndEverythingElseTheDefault)
{
    for (const Button button : {Button::ClearList1, Button::LoadFileToList1, Button::RemoveList1DupesExceptFirst, Button::SaveList2ToFile, Button::RemoveMatchesList2FromList1, Button::LoadSampleList1}) {
        SCOPED_TRACE(numberOf(button));
        moveOver(window().pushButton(button));
        EXPECT_EQ(window().pointer(), Pointer::Custom);
        moveOver(window().listView1()->viewport());
        EXPECT_EQ(window().pointer(), Pointer::Default);
    }
    const std::vector<std::function<void()>> defaultPlaces = {
        [&] { moveOverSurface(); },
        [&] { moveOverFrame(window().frame1()); },
        [&] { moveOverFrame(window().frame2()); },
        [&] { moveOver(window().listView2()->viewport()); },
        [&] { moveOver(window().listView2()->horizontalHeader()); },
    };
    for (std::size_t place = 0; place < defaultPlaces.size(); ++place) {
        SCOPED_TRACE(place);
        moveOver(window().pushButton(Button::RemoveList2ItemsWith));
        defaultPlaces[place]();
        EXPECT_EQ(window().pointer(), Pointer::Default);
    }
    moveOver(window().pushButton(Button::RemoveList2ItemsWith));
    moveOver(window().progressBar());
    EXPECT_EQ(window().pointer(), Pointer::Custom) << "the bar leaves the pointer as it is";
}

TEST_F(PointerFeedbackTest, MovesNeverReplaceTheHourglass)
{
    window().setPointer(Pointer::Hourglass);
    moveOver(window().pushButton(Button::RemoveAllList1Dupes));
    EXPECT_EQ(window().pointer(), Pointer::Hourglass);
    moveOver(window().listView1()->viewport());
    moveOverSurface();
    moveOverFrame(window().frame2());
    EXPECT_EQ(window().pointer(), Pointer::Hourglass);
}

TEST_F(PointerFeedbackTest, CommandShowsTheHourglassThroughoutAndTheDefaultAfter)
{
    fillLarge(window().list1(), kLongWork);
    fillLarge(window().list2(), 300'000);
    moveOver(window().pushButton(Button::KeepOnlyMatchesInList2));
    ASSERT_EQ(window().pointer(), Pointer::Custom);
    Pointer whileWorking = Pointer::Default;
    const bool ran = clickAndActDuringIt(Button::KeepOnlyMatchesInList2, [&] {
        moveOver(window().pushButton(Button::RemoveList1ItemsWithout));
        moveOver(window().listView1()->viewport());
        whileWorking = window().pointer();
    });
    ASSERT_TRUE(ran);
    EXPECT_EQ(whileWorking, Pointer::Hourglass);
    EXPECT_EQ(window().pointer(), Pointer::Default);
    moveOver(window().pushButton(Button::RemoveList1ItemsWithout));
    EXPECT_EQ(window().pointer(), Pointer::Custom);
}

class OneCommandAtATimeTest : public OperationFixture
{
protected:
    void SetUp() override
    {
        OperationFixture::SetUp();
        showWindow();
        fillLarge(window().list1(), kLongWork);
        fillLarge(window().list2(), 300'000);
        m_expectedList1 = textsOf(window().list2()); // keeping List 1's matches leaves List 2's items
        m_expectedList2 = textsOf(window().list2());
    }

    Items m_expectedList1;
    Items m_expectedList2;
};

TEST_F(OneCommandAtATimeTest, ClicksDoubleClicksAndDeleteDuringAnOperationHaveNoEffect)
{
    // The first chance to act may come before the operation reports any progress: what counts
    // is that the bar went on moving while the clicks were held back.
    QSignalSpy barValues(window().progressBar(), &QProgressBar::valueChanged);
    const bool ran = clickAndActDuringIt(Button::KeepOnlyMatchesInList2, [&] {
        for (const Button button : {Button::ClearList1, Button::ClearList2, Button::LoadSampleList1,
                                    Button::LoadSampleList2, Button::RemoveList1DupesExceptFirst,
                                    Button::RemoveMatchesList1FromList2, Button::LoadFileToList1})
            click(button);
        for (ListView *view : {window().listView1(), window().listView2()}) {
            view->selectRow(0);
            QTest::keyClick(view, Qt::Key_Delete);
            const QPoint first = view->visualRect(view->model()->index(0, 0)).center();
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        }
    });
    ASSERT_TRUE(ran);
    EXPECT_EQ(textsOf(window().list1()), m_expectedList1);
    EXPECT_EQ(textsOf(window().list2()), m_expectedList2);
    EXPECT_TRUE(m_answers.shown.empty()) << "no held-back command asked anything";
    const bool barMoved = std::any_of(barValues.begin(), barValues.end(),
                                      [](const QList<QVariant> &value) { return value.at(0).toInt() > 0; });
    EXPECT_TRUE(barMoved);
    EXPECT_EQ(window().progressBar()->value(), 0);
    EXPECT_FALSE(window().isCommandRunning());

    click(Button::ClearList1);
    EXPECT_TRUE(window().list1().isEmpty()) << "commands run again once the operation ended";
}

// A large file is read, and a long list written, on a thread of their own: the bar shows how
// far it has come, and the window handles its events (and holds back other commands) meanwhile.
TEST_F(OneCommandAtATimeTest, LoadingAndSavingMoveTheBarAndHoldBackOtherCommands)
{
    QByteArray bytes;
    for (std::size_t i = 0; i < kLongWork; ++i)
        bytes += "someone" + QByteArray::number(static_cast<qulonglong>(i)) + "@example.com\r\n";
    const QString large = writeFile(QStringLiteral("large.txt"), bytes);
    const QString saved = programFolder() + QStringLiteral("/saved.txt");
    m_answers.openFiles.push_back({large});
    m_answers.saveFiles.push_back(saved);
    const std::size_t before = window().list2().count();
    const auto barMoves = [&](Button button) {
        QSignalSpy barValues(window().progressBar(), &QProgressBar::valueChanged);
        const bool ran = clickAndActDuringIt(button, [&] { click(Button::ClearList2); });
        EXPECT_TRUE(ran) << "the window handled events meanwhile";
        EXPECT_EQ(window().progressBar()->value(), 0);
        return std::any_of(barValues.begin(), barValues.end(),
                           [](const QList<QVariant> &value) { return value.at(0).toInt() > 0; });
    };

    EXPECT_TRUE(barMoves(Button::LoadFileToList2));
    ASSERT_EQ(window().list2().count(), before + kLongWork);
    const std::string last = std::to_string(kLongWork - 1);
    EXPECT_EQ(window().list2().text(before + kLongWork - 1), "someone" + last + "@example.com");
    window().list2().clear();
    fill(window().list2(), {"a"});
    EXPECT_TRUE(barMoves(Button::SaveList1ToFile));
    const QByteArray written = readFile(saved);
    EXPECT_EQ(static_cast<std::size_t>(written.count("\r\n")), kLongWork);
    EXPECT_TRUE(written.startsWith("user0@example.org\r\n"));
    EXPECT_TRUE(written.endsWith(QByteArray::fromStdString("\r\nuser" + last + "@example.org\r\n")));
    EXPECT_EQ(textsOf(window().list2()), (Items{"a"})) << "Clear List was held back";
    EXPECT_TRUE(plainMessages() == std::vector<QString>{QStringLiteral("Done.")});
    EXPECT_TRUE(errorReports().empty());
}

TEST_F(OneCommandAtATimeTest, ClosingTheWindowDuringAnOperationStopsHandlingEventsQuietly)
{
    bool lateEventHandled = false;
    QTimer late;
    late.setSingleShot(true);
    QObject::connect(&late, &QTimer::timeout, [&] { lateEventHandled = true; });
    const bool ran = clickAndActDuringIt(Button::KeepOnlyMatchesInList2, [&] {
        window().close();
        late.start(0);
    });
    ASSERT_TRUE(ran);
    EXPECT_FALSE(lateEventHandled) << "no event is handled after the window closed";
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(window().isCommandRunning());
    EXPECT_TRUE(m_answers.shown.empty());
    EXPECT_EQ(textsOf(window().list1()), m_expectedList1) << "the work ended without harm";
}

TEST_F(OneCommandAtATimeTest, ClosingTheWindowDuringAnOperationEndsTheEventLoop)
{
    // Should the loop not end, the test fails instead of hanging.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(20'000);
    bool ranDuringCommand = false;
    QTimer::singleShot(0, &window(), [&] { ranDuringCommand = clickAndActDuringIt(Button::KeepOnlyMatchesInList2, [&] { window().close(); }); });

    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(ranDuringCommand);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(m_answers.shown.empty());
}

} // namespace
} // namespace Quorvane
