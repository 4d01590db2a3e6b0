// Files no list tool should choke on: odd bytes, a giant line, more data than memory, and
// save targets that cannot be written. Nothing already in a list or on disk may be lost.
#include "OperationFixture.h"

#include "tests/support/Sanitizers.h"
#include "ui/ListView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <sys/stat.h>

namespace Quorvane {
namespace {

using namespace std::string_literals;

class HostileFilesTest : public OperationFixture
{
protected:
    QStringList filesInFolder() const { return QDir(programFolder()).entryList(QDir::Files); }
};

TEST_F(HostileFilesTest, OddBytesSurviveLoadAndSaveByteForByte)
{
    const QByteArray bytes = QByteArray::fromStdString(
        "\xEF\xBB\xBF" "bom@example.com\r\nnul\0inside\rbad\xFF\xC3 utf8\nmixed\r\n\r\n  spaced  "s);
    m_answers.openFiles.push_back({writeFile("odd.txt", bytes)});
    click(Button::LoadFileToList1);
    // The byte-order mark at the start is no text; every other byte stays.
    EXPECT_EQ(textsOf(window().list1()),
              (Items{"bom@example.com", "nul\0inside"s, "bad\xFF\xC3 utf8", "mixed", "", "  spaced  "}));

    const QString saved = programFolder() + "/saved.txt";
    m_answers.saveFiles.push_back(saved);
    click(Button::SaveList1ToFile);
    EXPECT_EQ(readFile(saved).toStdString(),
              "bom@example.com\r\nnul\0inside\r\nbad\xFF\xC3 utf8\r\nmixed\r\n\r\n  spaced  \r\n"s);
    EXPECT_TRUE(errorReports().empty());
}

TEST_F(HostileFilesTest, AHundredMegabyteLineLoadsAsOneItemAndSavesBack)
{
    const QByteArray giant(100 << 20, 'g');
    m_answers.openFiles.push_back({writeFile("giant.txt", giant + "\nnext")});
    click(Button::LoadFileToList2);
    ASSERT_EQ(window().list2().count(), 2u);
    EXPECT_EQ(window().list2().text(0).size(), std::size_t(giant.size()));
    EXPECT_EQ(window().list2().text(1), "next");

    // The view draws only the line's start: a repaint must not lay out 100 MB of text.
    showWindow();
    QElapsedTimer repaint;
    repaint.start();
    window().listView2()->viewport()->repaint();
    EXPECT_LT(repaint.elapsed(), 1000);

    const QString saved = programFolder() + "/saved.txt";
    m_answers.saveFiles.push_back(saved);
    click(Button::SaveList2ToFile);
    EXPECT_TRUE(readFile(saved) == giant + "\r\nnext\r\n");
    EXPECT_TRUE(errorReports().empty());
}

TEST_F(HostileFilesTest, RunningOutOfMemoryOnALoadIsReportedAndTheListStaysUsable)
{
#if QUORVANE_ADDRESS_SANITIZER
    GTEST_SKIP() << "AddressSanitizer aborts on a failed allocation instead of throwing std::bad_alloc";
#endif
    // Two terabytes that take no disk space: no machine here can hold them.
    const QString huge = programFolder() + "/huge.txt";
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(2) << 40));
    }
    window().list1().append("kept");
    m_answers.openFiles.push_back({writeFile("a.txt", "a\r\n"), huge, writeFile("b.txt", "b\r\n")});
    click(Button::LoadFileToList1);

    const std::vector<QString> reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].startsWith("Out of memory\r\nin Quorvane2/19/2015.Form1.PushButton3_Click at line 134"))
        << reports[0].toStdString();
    EXPECT_EQ(textsOf(window().list1()), (Items{"kept", "a", "b"}));
    EXPECT_EQ(window().pointer(), Pointer::Default);

    click(Button::LoadSampleList1);
    EXPECT_EQ(window().list1().count(), 6u);
}

TEST_F(HostileFilesTest, SavingWhereNoFileCanBeIsReportedAndLeavesNothingBehind)
{
    window().list1().append("a");
    const QString keep = writeFile("keep.txt", "keep\r\n");
    const QStringList before = filesInFolder();
    m_answers.saveFiles.push_back(programFolder() + "/no-such-folder/out.txt");
    m_answers.saveFiles.push_back(programFolder());
    click(Button::SaveList1ToFile);
    click(Button::SaveList1ToFile);

    expectErrorReports({{"PushButton20_Click at line 124"}, {"PushButton20_Click at line 124"}});
    EXPECT_TRUE(plainMessages().empty());
    EXPECT_EQ(filesInFolder(), before);
    EXPECT_EQ(readFile(keep), QByteArray("keep\r\n"));
    EXPECT_FALSE(QDir(programFolder() + "/no-such-folder").exists());
}

TEST_F(HostileFilesTest, APipeOrADeviceIsRefusedInsteadOfFreezingTheWindow)
{
    const std::string pipe = (programFolder() + "/pipe").toStdString();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    window().list1().append("kept");
    // Nobody writes to the pipe or reads from it: opening it would wait for ever.
    m_answers.openFiles.push_back({QString::fromStdString(pipe), "/dev/zero", writeFile("b.txt", "b\r\n")});
    click(Button::LoadFileToList1);
    m_answers.saveFiles.push_back(QString::fromStdString(pipe));
    click(Button::SaveList1ToFile);

    expectErrorReports({{"PushButton3_Click at line 134"}, {"/dev/zero"}, {"PushButton20_Click at line 124"}});
    EXPECT_TRUE(plainMessages().empty());
    EXPECT_EQ(textsOf(window().list1()), (Items{"kept", "b"}));
    struct stat status {};
    ASSERT_EQ(::stat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

// The file dialogs show a name whose bytes are not UTF-8 with U+FFFD in their place. Such a
// name is refused: encoding the shown name back would load or replace another file.
TEST_F(HostileFilesTest, ANameTheDialogsCannotRepresentIsRefusedNotSwappedForAnother)
{
    const QString decoy = writeFile(QString::fromUtf8("caf\uFFFD.txt"), "decoy\r\n");
    const QString good = writeFile("good.txt", "good\r\n");
    m_answers.openFiles.push_back({good, decoy});
    click(Button::LoadFileToList1);
    EXPECT_TRUE(window().list1().isEmpty());

    fill(window().list2(), {"new"});
    m_answers.saveFiles.push_back(decoy);
    click(Button::SaveList2ToFile);
    EXPECT_EQ(readFile(decoy), QByteArray("decoy\r\n"));

    expectErrorReports({{"not valid UTF-8", "PushButton3_Click at line 108"}, {"PushButton13_Click at line 108"}});
    EXPECT_EQ(shownOfKind(ShownKind::MessageBox).size(), 2u) << "no question, no Done.";
    EXPECT_EQ(window().pointer(), Pointer::Default);
}

} // namespace
} // namespace Quorvane
