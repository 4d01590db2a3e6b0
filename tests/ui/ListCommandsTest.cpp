#include "OperationFixture.h"

#include "files/FileExists.h"
#include "files/ListCommands.h"
#include "ui/ListView.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <sys/resource.h>

namespace Quorvane {
namespace {

class ListCommandsTest : public OperationFixture
{
protected:
    void SetUp() override
    {
        OperationFixture::SetUp();
        m_answers.onShown = [this](const Shown &shown) {
            m_pointerWhenShown.push_back({shown.text, window().pointer()});
        };
    }

    Pointer pointerWhen(const QString &text) const
    {
        for (const auto &[shownText, pointer] : m_pointerWhenShown) {
            if (shownText == text)
                return pointer;
        }
        ADD_FAILURE() << "never shown: " << text.toStdString();
        return Pointer::Default;
    }

    std::vector<std::pair<QString, Pointer>> m_pointerWhenShown;
};

TEST_F(ListCommandsTest, LoadAppendsTheLinesOfOneFileAfterTheItemsAlreadyThere)
{
    fill(window().list1(), {"first"});
    m_answers.openFiles.push_back({writeFile("one.txt", "a\r\nb\r\nc\r\n")});
    click(Button::LoadFileToList1);
    EXPECT_EQ(itemsOf(window().list1()), (Items{"first", "a", "b", "c"}));
    EXPECT_TRUE(window().list2().isEmpty());
    ASSERT_EQ(m_answers.shown.size(), 1u);
    EXPECT_EQ(m_answers.shown[0].kind, ShownKind::OpenDialog);
    EXPECT_EQ(m_answers.shown[0].title, "Load List(s) - Hold Ctrl to select multiple list files");
    EXPECT_EQ(m_answers.shown[0].text, "Text Files (*.txt);;All Files (*)");
    EXPECT_EQ(window().pointer(), Pointer::Default);
    EXPECT_EQ(window().listView1()->model()->rowCount(), 4);
}

TEST_F(ListCommandsTest, LoadReadsEveryKindOfLineEnd)
{
    const std::vector<std::pair<QByteArray, Items>> files = {
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\rb\rc\r", {"a", "b", "c"}},
        {"a\nb\nc\n", {"a", "b", "c"}},
        {"a\r\nb\r\n\r\n", {"a", "b", ""}},
        {" a \r\n\r\nb", {" a ", "", "b"}},
        {"", {}},
    };
    for (const auto &[bytes, items] : files) {
        SCOPED_TRACE(bytes.toStdString());
        window().list2().clear();
        m_answers.openFiles.push_back({writeFile("list.txt", bytes)});
        click(Button::LoadFileToList2);
        EXPECT_EQ(itemsOf(window().list2()), items);
    }
    EXPECT_TRUE(errorReports().empty());
    EXPECT_TRUE(plainMessages().empty());
}

TEST_F(ListCommandsTest, LoadTakesSeveralFilesInTheDialogsOrderAndSkipsAMissingOne)
{
    const QString second = writeFile("b.txt", "b1\r\nb2\r\n");
    const QString first = writeFile("a.txt", "a1\r\n");
    m_answers.openFiles.push_back({second, programFolder() + "/gone.txt", first, second});
    std::size_t loadedWhenNotFound = 0;
    m_answers.onShown = [&](const Shown &) { loadedWhenNotFound = window().list1().count(); };
    click(Button::LoadFileToList1);
    EXPECT_EQ(itemsOf(window().list1()), (Items{"b1", "b2", "a1", "b1", "b2"}));
    EXPECT_EQ(loadedWhenNotFound, 2u);
    EXPECT_EQ(plainMessages(), std::vector<QString>{"File not found"});
    EXPECT_TRUE(errorReports().empty());
    EXPECT_EQ(window().pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, HourglassShowsFromBeforeTheFirstFileToAfterTheLast)
{
    m_answers.openFiles.push_back({programFolder() + "/gone.txt", programFolder() + "/also-gone.txt"});
    click(Button::LoadFileToList1);
    ASSERT_EQ(m_pointerWhenShown.size(), 3u);
    EXPECT_EQ(m_pointerWhenShown[0].second, Pointer::Default); // the dialog
    EXPECT_EQ(m_pointerWhenShown[1].second, Pointer::Hourglass);
    EXPECT_EQ(m_pointerWhenShown[2].second, Pointer::Hourglass);
    EXPECT_EQ(window().pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, ClicksWhileALoadRunsAreHeldBack)
{
    m_answers.openFiles.push_back({programFolder() + "/gone.txt", writeFile("a.txt", "a\r\n")});
    m_answers.onShown = [this](const Shown &) { click(Button::LoadSampleList1); };
    click(Button::LoadFileToList1);
    EXPECT_EQ(itemsOf(window().list1()), (Items{"a"}));
    EXPECT_FALSE(window().isCommandRunning());
    click(Button::LoadSampleList1);
    EXPECT_EQ(window().list1().count(), 4u);
}

TEST_F(ListCommandsTest, UnreadableFileIsReportedWithTheCallingLabelAndTheNextFileLoads)
{
    QDir(programFolder()).mkpath("folder.txt");
    const QString folder = programFolder() + "/folder.txt";
    const QString good = writeFile("good.txt", "x\r\n");
    m_answers.openFiles.push_back({folder, good});
    click(Button::LoadFileToList2);
    EXPECT_EQ(itemsOf(window().list2()), (Items{"x"}));
    std::vector<QString> reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("\r\nin Quorvane2/19/2015.Form1.PushButton14_Click at line 134\r\r"));

    m_answers.openFiles.push_back({folder});
    click(Button::LoadFileToList1);
    reports = errorReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[1].contains("\r\nin Quorvane2/19/2015.Form1.PushButton3_Click at line 120\r\r"));
    EXPECT_EQ(window().pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, CancelledLoadChangesNothingNotEvenThePointer)
{
    fill(window().list1(), {"kept"});
    window().setPointer(Pointer::Custom);
    click(Button::LoadFileToList1);
    EXPECT_EQ(itemsOf(window().list1()), (Items{"kept"}));
    EXPECT_EQ(window().pointer(), Pointer::Custom);
    EXPECT_EQ(m_answers.shown.size(), 1u);
}

TEST(FileExists, IsTrueForWhatCanBeStatedAndFalseForEverythingElse)
{
    QTemporaryDir folder;
    const std::string path = QFile::encodeName(folder.path()).toStdString();
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FileExists(path + "/missing.txt"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(path + std::string("\0", 1) + "x"));
    EXPECT_FALSE(FileExists(path + "/missing/deeper.txt"));
}

TEST_F(ListCommandsTest, SaveWritesEveryItemWithCrLfAndSaysDone)
{
    fill(window().list1(), {"a", "", "c"});
    const QString path = programFolder() + "/saved";
    m_answers.saveFiles.push_back(path);
    click(Button::SaveList1ToFile);
    EXPECT_EQ(readFile(path), QByteArray("a\r\n\r\nc\r\n"));
    ASSERT_EQ(m_answers.shown.size(), 2u);
    EXPECT_EQ(m_answers.shown[0].kind, ShownKind::SaveDialog);
    EXPECT_EQ(m_answers.shown[0].title, "Save");
    EXPECT_EQ(m_answers.shown[0].text, "Text Files (*.txt);;All Files (*)");
    EXPECT_EQ(plainMessages(), std::vector<QString>{"Done."});
    EXPECT_EQ(pointerWhen("Done."), Pointer::Hourglass);
    EXPECT_EQ(window().pointer(), Pointer::Default);

    // What was saved loads back as the same items.
    m_answers.openFiles.push_back({path});
    click(Button::LoadFileToList2);
    EXPECT_EQ(itemsOf(window().list2()), (Items{"a", "", "c"}));
}

TEST_F(ListCommandsTest, SavingAnEmptyListGivesAnEmptyFile)
{
    const QString path = programFolder() + "/empty.txt";
    m_answers.saveFiles.push_back(path);
    click(Button::SaveList2ToFile);
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_TRUE(readFile(path).isEmpty());
    EXPECT_EQ(plainMessages(), std::vector<QString>{"Done."});
}

TEST_F(ListCommandsTest, OverwriteAsksFirstAndNoLeavesTheFileAlone)
{
    const QString path = writeFile("old.txt", "old line one\r\nold line two\r\n");
    fill(window().list2(), {"new"});
    const QString question = "Are you sure you wish to overwrite " + path + " ?";

    m_answers.saveFiles.push_back(path);
    m_answers.buttons.push_back(QMessageBox::No);
    click(Button::SaveList2ToFile);
    EXPECT_EQ(readFile(path), QByteArray("old line one\r\nold line two\r\n"));
    ASSERT_EQ(m_answers.shown.size(), 2u);
    EXPECT_EQ(m_answers.shown[1].text, question);
    EXPECT_EQ(m_answers.shown[1].style, BoxStyle::YesNo);
    EXPECT_EQ(m_answers.shown[1].title, "Quorvane ");
    EXPECT_EQ(window().pointer(), Pointer::Default);

    m_answers.saveFiles.push_back(path);
    m_answers.buttons.push_back(QMessageBox::Yes);
    click(Button::SaveList2ToFile);
    EXPECT_EQ(readFile(path), QByteArray("new\r\n"));
    ASSERT_EQ(m_answers.shown.size(), 5u);
    EXPECT_EQ(m_answers.shown[3].text, question);
    EXPECT_EQ(m_answers.shown[4].text, "Done.");
}

TEST_F(ListCommandsTest, CancelledSaveWritesNothingAndShowsNothing)
{
    fill(window().list1(), {"a"});
    click(Button::SaveList1ToFile);
    EXPECT_EQ(m_answers.shown.size(), 1u);
    EXPECT_EQ(window().pointer(), Pointer::Default);
    EXPECT_TRUE(QDir(programFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(ListCommandsTest, SaveThatCannotOpenIsReportedOnceAtLine124WithoutDone)
{
    fill(window().list1(), {"a"});
    const QString notAFolder = writeFile("plain.txt", "keep\r\n");
    m_answers.saveFiles.push_back(notAFolder + "/inside.txt");
    click(Button::SaveList1ToFile);
    const std::vector<QString> reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("\r\nin Quorvane2/19/2015.Form1.PushButton20_Click at line 124\r\r"));
    EXPECT_TRUE(plainMessages().empty());
    EXPECT_EQ(readFile(notAFolder), QByteArray("keep\r\n"));
    EXPECT_EQ(window().pointer(), Pointer::Default);
}

// Limits the size of files this process may write, for the life of the object.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

TEST_F(ListCommandsTest, SaveThatFailsToWriteKeepsTheOldFileAndReportsOnceAtLine130)
{
    const QByteArray old = "the old list\r\n";
    const QString path = writeFile("old.txt", old);
    for (int i = 0; i < 20000; ++i)
        window().list2().append("someone" + std::to_string(i) + "@example.org");
    m_answers.saveFiles.push_back(path);
    {
        const FileSizeLimit limit(4096);
        click(Button::SaveList2ToFile);
    }
    const std::vector<QString> reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].contains("\r\nin Quorvane2/19/2015.Form1.PushButton13_Click at line 130\r\r"));
    EXPECT_TRUE(plainMessages().empty());
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(QDir(programFolder()).entryList(QDir::Files), QStringList{"old.txt"});
    EXPECT_EQ(window().pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, ClearEmptiesOnlyItsOwnList)
{
    fill(window().list1(), {"a", "b"});
    fill(window().list2(), {"c"});
    click(Button::ClearList1);
    EXPECT_TRUE(window().list1().isEmpty());
    EXPECT_EQ(itemsOf(window().list2()), (Items{"c"}));
    click(Button::ClearList1);
    click(Button::ClearList2);
    EXPECT_TRUE(window().list2().isEmpty());
    EXPECT_EQ(window().listView1()->model()->columnCount(), 1);
    EXPECT_TRUE(m_answers.shown.empty());
}

TEST_F(ListCommandsTest, SamplesAppendThreeAddressesSharingOnlyTheSupportAddress)
{
    fill(window().list1(), {"mine"});
    click(Button::LoadSampleList1);
    click(Button::LoadSampleList1);
    click(Button::LoadSampleList2);
    const auto &first = sampleAddresses(SampleList::First);
    const auto &second = sampleAddresses(SampleList::Second);
    const Items list1 = itemsOf(window().list1());
    EXPECT_EQ(list1, (Items{"mine", std::string(first[0]), std::string(first[1]), std::string(first[2]),
                            std::string(first[0]), std::string(first[1]), std::string(first[2])}));
    EXPECT_EQ(itemsOf(window().list2()), (Items{std::string(second[0]), std::string(second[1]), std::string(second[2])}));
    EXPECT_TRUE(m_answers.shown.empty());

    EXPECT_EQ(first[1], kSupportAddress);
    EXPECT_EQ(second[0], kSupportAddress);
    const auto localPart = [](std::string_view address) { return address.substr(0, address.find('@')); };
    EXPECT_EQ(localPart(first[0]), localPart(second[1]));
    EXPECT_NE(first[0], second[1]);
    std::vector<std::string_view> all(first.begin(), first.end());
    all.insert(all.end(), second.begin(), second.end());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string_view domain = all[i].substr(all[i].find('@') + 1);
        EXPECT_TRUE(domain == "example.com" || domain == "example.org" || domain == "example.net") << all[i];
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            if (!(i == 1 && j == 3)) {
                EXPECT_NE(all[i], all[j]);
            }
        }
        EXPECT_EQ(QString::fromUtf8(all[i].data(), all[i].size()).toLower().toStdString(), all[i]);
    }
}

} // namespace
} // namespace Quorvane
