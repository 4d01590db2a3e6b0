#include "WindowFixture.h"

#include "ui/ItemListModel.h"
#include "ui/ListView.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include <functional>
#include <map>

#include <sys/stat.h>

namespace Quorvane {
namespace {

using StartUpTest = WindowFixture;

// Takes no room on the disk: the size is all there is.
void makeSparseFile(const QString &path, qint64 size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size));
}

struct ExpectedButton
{
    int number;
    QGroupBox *(Form1::*frame)() const;
    QString caption;
    QRect geometry; // in pixels, inside the frame
};

TEST_F(StartUpTest, WindowHasItsFixedSizeCaptionAndTitleButtons)
{
    Form1 &window = startWindow();
    EXPECT_EQ(window.objectName(), "Form1");
    EXPECT_EQ(window.windowTitle(), "Quorvane Software");
    EXPECT_EQ(window.size(), QSize(920, 525));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(window.frame1()->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(window.frame2()->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_TRUE(window.windowIcon().availableSizes().contains(QSize(256, 256)));
    EXPECT_TRUE(m_answers.shown.empty());

    const QRect screen = window.screen()->geometry();
    EXPECT_EQ(window.x(), (screen.width() - 920) / 2);
    EXPECT_EQ(window.y(), (screen.height() - 525 + 1) / 2);
}

TEST_F(StartUpTest, ControlsStandWhereTheLayoutPutsThem)
{
    Form1 &window = startWindow();
    EXPECT_EQ(window.frame1()->title(), "List 1");
    EXPECT_EQ(window.frame1()->geometry(), QRect(8, 8, 448, 475));
    EXPECT_EQ(window.frame2()->title(), "List 2");
    EXPECT_EQ(window.frame2()->geometry(), QRect(464, 8, 448, 475));
    EXPECT_EQ(window.listView1()->parentWidget(), window.frame1());
    EXPECT_EQ(window.listView1()->geometry(), QRect(12, 20, 424, 137));
    EXPECT_EQ(window.listView2()->parentWidget(), window.frame2());
    EXPECT_EQ(window.listView2()->geometry(), QRect(12, 20, 424, 137));
    EXPECT_EQ(window.progressBar()->objectName(), "ProgressBar1");
    EXPECT_EQ(window.progressBar()->geometry(), QRect(8, 490, 903, 27));
    EXPECT_EQ(window.progressBar()->value(), 0);

    const std::vector<ExpectedButton> buttons = {
        {3, &Form1::frame1, "Load File To List", {12, 163, 207, 27}},
        {20, &Form1::frame1, "Save List To File", {228, 163, 207, 27}},
        {1, &Form1::frame1, "Clear List", {12, 197, 207, 27}},
        {22, &Form1::frame1, "Load Sample/Example List", {228, 197, 207, 27}},
        {17, &Form1::frame1, "Remove List 1 Items With...", {12, 231, 424, 27}},
        {16, &Form1::frame1, "Remove List 1 Items Without...", {12, 265, 424, 27}},
        {18, &Form1::frame1, "Remove Blanks From List 1", {12, 299, 424, 27}},
        {19, &Form1::frame1, "Remove Matches (List 2 From List 1)", {12, 333, 424, 27}},
        {15, &Form1::frame1, "Keep Only Matches in List 2", {12, 367, 424, 27}},
        {4, &Form1::frame1, "Remove List 1 Dupes Except First", {12, 401, 424, 27}},
        {7, &Form1::frame1, "Remove All List 1 Dupes", {12, 435, 424, 27}},
        {14, &Form1::frame2, "Load File To List", {12, 163, 207, 27}},
        {13, &Form1::frame2, "Save List To File", {228, 163, 207, 27}},
        {2, &Form1::frame2, "Clear List", {12, 197, 207, 27}},
        {21, &Form1::frame2, "Load Sample/Example List", {228, 197, 207, 27}},
        {10, &Form1::frame2, "Remove List 2 Items With...", {12, 231, 424, 27}},
        {9, &Form1::frame2, "Remove List 2 Items Without...", {12, 265, 424, 27}},
        {11, &Form1::frame2, "Remove Blanks From List 2", {12, 299, 424, 27}},
        {12, &Form1::frame2, "Remove Matches (List 1 From List 2)", {12, 333, 424, 27}},
        {8, &Form1::frame2, "Keep Only Matches in List 1", {12, 367, 424, 27}},
        {5, &Form1::frame2, "Remove List 2 Dupes Except First", {12, 401, 424, 27}},
        {6, &Form1::frame2, "Remove All List 2 Dupes", {12, 435, 424, 27}},
    };
    ASSERT_EQ(buttons.size(), 22u);
    for (const ExpectedButton &expected : buttons) {
        SCOPED_TRACE(expected.number);
        QPushButton *button = window.pushButton(static_cast<Button>(expected.number));
        EXPECT_EQ(button->objectName(), QStringLiteral("PushButton%1").arg(expected.number));
        EXPECT_EQ(button->text(), expected.caption);
        EXPECT_EQ(button->parentWidget(), (window.*expected.frame)());
        EXPECT_EQ(button->geometry(), expected.geometry);
        EXPECT_EQ(button->font().pixelSize(), 15);
        EXPECT_TRUE(button->font().bold());
        EXPECT_TRUE(button->font().families().contains("Arial"));
        // The caption fits its button with the installed fonts.
        EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 8);
    }
}

TEST_F(StartUpTest, TabGoesThroughTheControlsInTheirOrder)
{
    Form1 &window = startWindow();
    const std::vector<QWidget *> expected = {
        window.listView1(),     window.listView2(),     window.pushButton(Button::LoadFileToList1),  window.pushButton(Button::SaveList1ToFile),
        window.pushButton(Button::ClearList1),   window.pushButton(Button::RemoveList1ItemsWith),  window.pushButton(Button::RemoveList1ItemsWithout), window.pushButton(Button::RemoveBlanksFromList1),
        window.pushButton(Button::RemoveMatchesList2FromList1),  window.pushButton(Button::KeepOnlyMatchesInList2),  window.pushButton(Button::RemoveList1DupesExceptFirst),  window.pushButton(Button::RemoveAllList1Dupes),
        window.pushButton(Button::LoadFileToList2),  window.pushButton(Button::SaveList2ToFile),  window.pushButton(Button::ClearList2),  window.pushButton(Button::RemoveList2ItemsWith),
        window.pushButton(Button::RemoveList2ItemsWithout),   window.pushButton(Button::RemoveBlanksFromList2),  window.pushButton(Button::RemoveMatchesList1FromList2), window.pushButton(Button::KeepOnlyMatchesInList1),
        window.pushButton(Button::RemoveList2DupesExceptFirst),   window.pushButton(Button::RemoveAllList2Dupes),   window.pushButton(Button::LoadSampleList2), window.pushButton(Button::LoadSampleList1),
    };
    std::vector<QWidget *> visited = {window.listView1()};
    for (QWidget *widget = window.listView1()->nextInFocusChain(); widget != window.listView1();
         widget = widget->nextInFocusChain()) {
        if (std::find(expected.begin(), expected.end(), widget) != expected.end())
            visited.push_back(widget);
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(StartUpTest, ListViewsHaveOneWideColumnAndNoItems)
{
    Form1 &window = startWindow();
    for (ListView *view : {window.listView1(), window.listView2()}) {
        SCOPED_TRACE(view->objectName().toStdString());
        EXPECT_EQ(view->model()->columnCount(), 1);
        EXPECT_EQ(view->model()->rowCount(), 0);
        EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal).toString(), "Email Addresses:");
        EXPECT_FALSE(view->horizontalHeader()->isHidden());
        EXPECT_EQ(view->columnWidth(0), 400);
        EXPECT_FALSE(view->horizontalHeader()->stretchLastSection());
        EXPECT_EQ(view->toolTip(), "Double-click item to remove it. Move bar to right and out of window to "
                                   "reveal full names.");
        EXPECT_EQ(view->font().pixelSize(), 12);
        EXPECT_TRUE(view->font().bold());
        // The user may widen the column past the view's edge and scroll to see the rest.
        view->horizontalHeader()->resizeSection(0, 2000);
        EXPECT_EQ(view->columnWidth(0), 2000);
    }
    EXPECT_TRUE(window.list1().isEmpty());
    EXPECT_TRUE(window.list2().isEmpty());
}

TEST_F(StartUpTest, ListViewTooltipShowsOverTheRows)
{
    Form1 &window = startWindow();
    window.list1().append("someone@example.com");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget *rows = window.listView1()->viewport();
    const QPoint overFirstRow(10, 5);
    QHelpEvent hover(QEvent::ToolTip, overFirstRow, rows->mapToGlobal(overFirstRow));
    QApplication::sendEvent(rows, &hover);
    EXPECT_EQ(QToolTip::text(), kListViewToolTip);
    QToolTip::hideText();
}

TEST_F(StartUpTest, SkinFileTurnsWindowAndFramesButtonFaceAndAppliesItsStyleSheet)
{
    const QByteArray styleSheet = "QPushButton { color: #123456; }";
    writeFile("x/o.cjs", styleSheet);
    Form1 &window = startWindow();
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(window.palette().color(QPalette::Window), buttonFace);
    EXPECT_EQ(window.frame1()->palette().color(QPalette::Window), buttonFace);
    EXPECT_EQ(window.frame2()->palette().color(QPalette::Window), buttonFace);
    EXPECT_EQ(window.styleSheet(), QString::fromUtf8(styleSheet));
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(StartUpTest, FolderNamedLikeTheSkinDoesNotCount)
{
    QDir(programFolder()).mkpath("x/o.cjs");
    Form1 &window = startWindow();
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(window.styleSheet().isEmpty());
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(StartUpTest, WithoutPointerFileTheCustomPointerIsTheDefault)
{
    Form1 &window = startWindow();
    EXPECT_FALSE(window.hasCustomPointerImage());
    EXPECT_EQ(window.pointer(), Pointer::Default);
    window.setPointer(Pointer::Custom);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(StartUpTest, ShippedPointerFileBecomesTheCustomPointerWithItsHotSpot)
{
    QFile::copy(QStringLiteral(QUORVANE_ASSETS_DIR "/HAND-M.CUR"), programFolder() + "/HAND-M.CUR");
    Form1 &window = startWindow();
    EXPECT_TRUE(m_answers.shown.empty());
    ASSERT_TRUE(window.hasCustomPointerImage());
    EXPECT_EQ(window.pointer(), Pointer::Default);
    window.setPointer(Pointer::Custom);
    EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window.cursor().hotSpot(), QPoint(11, 1));
    EXPECT_EQ(window.cursor().pixmap().size(), QSize(32, 32));
    window.setPointer(Pointer::Hourglass);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
    window.setPointer(Pointer::Default);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(StartUpTest, BrokenPointerFileIsReportedAtLine108AndStartUpGoesOn)
{
    writeFile("HAND-M.CUR", "this is not a picture");
    m_random = 0.06;
    Form1 &window = startWindow();
    expectErrorReports({{"\r\nin Quorvane2/19/2015.Form1.Form_Load at line 108\r\r"}});
    EXPECT_FALSE(window.hasCustomPointerImage());
    EXPECT_EQ(m_openedUrls.size(), 1u); // label 110 still ran
    EXPECT_EQ(window.listView2()->columnWidth(0), 400);
}

// Nothing next to the program can make start-up wait, and the pointer is read only as a cursor.
TEST_F(StartUpTest, OddPointerFilesAreReportedAtLine108WithoutWaiting)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(32, 32, QImage::Format_ARGB32).save(&buffer, "PNG");
    struct Case
    {
        const char *reportSays;
        std::function<void(const QString &)> make;
    };
    const std::vector<Case> pointers = {
        {"not a cursor or icon", [&](const QString &) { writeFile("HAND-M.CUR", png); }},
        {"a pipe or a device",
         [](const QString &path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); }},
        {"a folder", [](const QString &path) { QDir().mkpath(path); }},
        {"larger than 1 MiB", [](const QString &path) { makeSparseFile(path, 4LL << 30); }},
    };
    for (const auto &[reportSays, make] : pointers) {
        SCOPED_TRACE(reportSays);
        const QString path = programFolder() + "/HAND-M.CUR";
        QFile::remove(path);
        QDir().rmdir(path);
        make(path);
        m_answers.shown.clear();
        Form1 &window = startWindow();
        expectErrorReports({{"\r\nin Quorvane2/19/2015.Form1.Form_Load at line 108\r\r", reportSays}});
        EXPECT_FALSE(window.hasCustomPointerImage());
    }
}

// Qt undoes a style sheet's CSS escapes before it opens the images named: what is checked and
// applied is the sheet with its escapes undone, and each name in the form that was checked.
TEST_F(StartUpTest, SkinThatIsAFifoOrNamesOneIsNeverWaitedOn)
{
    QDir(programFolder()).mkpath("x");
    const QString skin = programFolder() + "/x/o.cjs";
    ASSERT_EQ(::mkfifo(QFile::encodeName(skin).constData(), 0600), 0);
    startWindow();
    EXPECT_TRUE(m_answers.shown.empty()) << "a FIFO is no skin file";

    const QString fifo = programFolder() + "/image.png";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString picture = writeFile("picture.png", "not drawn in this test");
    const QString huge = programFolder() + "/huge.png";
    makeSparseFile(huge, 2LL << 30);
    const QString harmless = "QPushButton { image: URL( " + picture + " ); "
                             "border-image: url(':/quorvane/icon-32.png'); "
                             "background-image: url(\"" + programFolder() + "/missing.png\"); }";
    // Each name is handed to Qt in the one form every version of its parser reads alike.
    const QString handedOn = "QPushButton { image: url(\"" + picture + "\"); "
                             "border-image: url(\":/quorvane/icon-32.png\"); "
                             "background-image: url(\"" + programFolder() + "/missing.png\"); }";
    const QString refused;
    const std::vector<std::pair<QString, QString>> styleSheets = {
        {harmless, handedOn},
        {"QPushButton { color: \\23 12345\\36; }", "QPushButton { color: #123456; }"},
        {harmless + " QGroupBox { background-image: URL( '" + fifo + "' ) }", refused},
        {"QListView { background: url(" + programFolder() + ") }", refused},
        {"QListView { background: url(\"" + programFolder() + "/imag\\65.png\") }", refused},
        {"QListView { background: url(" + programFolder() + "/imag\\000065 .png) }", refused},
        {"QListView { background: u\\72l(" + programFolder() + "/\\image.png) }", refused},
        {"QListView { background: url(url(" + fifo + ")) }", refused},
        {"QListView { background: url(" + programFolder() + "/ima ge.png) }", refused},
        {"QListView { background: url(" + programFolder() + "/picture\\\\.png) }", refused},
        {"QListView { background: url(" + huge + ") }", refused},
    };
    for (const auto &[styleSheet, applied] : styleSheets) {
        SCOPED_TRACE(styleSheet.toStdString());
        QFile::remove(skin);
        writeFile("x/o.cjs", styleSheet.toUtf8());
        m_answers.shown.clear();
        Form1 &window = startWindow();
        EXPECT_EQ(window.styleSheet().toStdString(), applied.toStdString());
        const QString refusal = "\r\nin Quorvane2/19/2015.Form1.Form_Load at line 100\r\r";
        expectErrorReports(applied.isEmpty() ? std::vector<std::vector<QString>>{{refusal}}
                                             : std::vector<std::vector<QString>>{});
        EXPECT_EQ(window.listView1()->model()->columnCount(), 1) << "start-up went on";
    }

    QFile::remove(skin);
    makeSparseFile(skin, 2LL << 30);
    m_answers.shown.clear();
    EXPECT_TRUE(startWindow().styleSheet().isEmpty());
    expectErrorReports({{"larger than 1 MiB"}});
}

TEST_F(StartUpTest, HomePageOpensOnlyWhenTheDrawIsSeven)
{
    const std::map<double, bool> draws = {{0.0, false}, {0.0599, false}, {0.06, true}, {0.0699, true},
                                          {0.07, false}, {0.9999, false}};
    for (const auto &[draw, opens] : draws) {
        SCOPED_TRACE(draw);
        m_openedUrls.clear();
        m_random = draw;
        startWindow();
        EXPECT_EQ(m_openedUrls.size(), opens ? 1u : 0u);
        if (opens) {
            EXPECT_EQ(m_openedUrls.front(), kHomePage);
        }
    }
    EXPECT_EQ(kHomePage.host(), "www.example.com");
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(StartUpTest, SystemDrawOpensAboutOneStartInAHundred)
{
    const StartUpEnvironment environment = systemStartUpEnvironment();
    int sevens = 0;
    for (int start = 0; start < 100000; ++start) {
        const double draw = environment.random();
        ASSERT_GE(draw, 0.0);
        ASSERT_LT(draw, 1.0);
        if (static_cast<int>(draw * 100) + 1 == 7)
            ++sevens;
    }
    EXPECT_GT(sevens, 800);
    EXPECT_LT(sevens, 1200);
}

TEST_F(StartUpTest, ErrorReportShowsTheExactTextInOneWarningBox)
{
    m_random = 0.06;
    m_openerSucceeds = false;
    Form1 &window = startWindow();
    const std::vector<Shown> boxes = shownOfKind(ShownKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Application Error");
    EXPECT_EQ(boxes[0].style, BoxStyle::Warning);
    EXPECT_EQ(boxes[0].text, "Cannot open https://www.example.com/quorvane/\r\n"
                             "in Quorvane2/19/2015.Form1.Form_Load at line 110\r\r"
                             "Please email screenshot of this message to support@example.com");
    // Start-up went on with the columns after the report.
    EXPECT_EQ(window.listView1()->model()->columnCount(), 1);
}

} // namespace
} // namespace Quorvane
