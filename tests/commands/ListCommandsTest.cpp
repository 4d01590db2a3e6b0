#include "FakeCommandHost.h"

#include "commands/ListCommands.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/resource.h>
#include <unistd.h>

namespace Quorvane {
namespace {

using Samples::textsOf;
using Items = std::vector<std::string>;
using Kind = FakeCommandHost::Kind;
using Texts = std::vector<std::string>;

// The load, save, clear and sample commands' logic, against a stand-in for the window.
class ListCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(std::filesystem::is_directory(m_folder.path())); }

    std::string path(const char *name) const { return m_folder.file(name); }

    std::string writeFile(const char *name, const std::string &bytes) const
    {
        Testing::writeBytes(path(name), bytes);
        return path(name);
    }

    static std::string readFile(const std::string &path) { return Testing::readBytes(path); }

    // The names of what is in the folder besides folders, in order.
    Texts filesInFolder() const
    {
        Texts names;
        for (const auto &entry : std::filesystem::directory_iterator(m_folder.path())) {
            if (entry.symlink_status().type() != std::filesystem::file_type::directory)
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void load(const std::string &procedure = "PushButton3_Click") { runLoadCommand(m_list, procedure, m_host.host()); }
    void save(const std::string &procedure = "PushButton20_Click") { runSaveCommand(m_list, procedure, m_host.host()); }

    Testing::TemporaryFolder m_folder;
    ItemList m_list;
    FakeCommandHost m_host;
};

TEST_F(ListCommandsTest, LoadAppendsTheLinesOfOneFileAfterTheItemsAlreadyThere)
{
    m_list.append("first");
    m_host.openFiles.push_back({writeFile("one.txt", "a\r\nb\r\nc\r\n")});
    load();
    EXPECT_EQ(textsOf(m_list), (Items{"first", "a", "b", "c"}));
    ASSERT_EQ(m_host.asked.size(), 1u);
    EXPECT_EQ(m_host.asked[0].kind, Kind::OpenDialog);
    EXPECT_EQ(m_host.asked[0].text, "Load List(s) - Hold Ctrl to select multiple list files");
    EXPECT_EQ(m_host.asked[0].filter, "Text Files (*.txt);;All Files (*)");
    EXPECT_EQ(m_host.pointer(), Pointer::Default);
    EXPECT_TRUE(m_host.reports.empty());
}

TEST_F(ListCommandsTest, LoadReadsEveryKindOfLineEnd)
{
    const std::vector<std::pair<std::string, Items>> files = {
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\rb\rc\r", {"a", "b", "c"}},
        {"a\nb\nc\n", {"a", "b", "c"}},
        {"a\r\nb\r\n\r\n", {"a", "b", ""}},
        {" a \r\n\r\nb", {" a ", "", "b"}},
        {"", {}},
    };
    for (const auto &[bytes, items] : files) {
        SCOPED_TRACE(bytes);
        m_list.clear();
        m_host.openFiles.push_back({writeFile("list.txt", bytes)});
        load();
        EXPECT_EQ(textsOf(m_list), items);
    }
    EXPECT_TRUE(m_host.reports.empty());
    EXPECT_TRUE(m_host.textsOf(Kind::Inform).empty());
}

TEST_F(ListCommandsTest, LoadTakesSeveralFilesInTheDialogsOrderAndSkipsAMissingOne)
{
    const std::string second = writeFile("b.txt", "b1\r\nb2\r\n");
    const std::string first = writeFile("a.txt", "a1\r\n");
    m_host.openFiles.push_back({second, path("gone.txt"), first, second});
    std::size_t loadedWhenNotFound = 0;
    m_host.onAsked = [&](const FakeCommandHost::Asked &) { loadedWhenNotFound = m_list.count(); };
    load();
    EXPECT_EQ(textsOf(m_list), (Items{"b1", "b2", "a1", "b1", "b2"}));
    EXPECT_EQ(loadedWhenNotFound, 2u);
    EXPECT_EQ(m_host.textsOf(Kind::Inform), Texts{"File not found"});
    EXPECT_TRUE(m_host.reports.empty());
    EXPECT_EQ(m_host.pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, HourglassShowsFromBeforeTheFirstFileToAfterTheLast)
{
    m_host.openFiles.push_back({path("gone.txt"), path("also-gone.txt")});
    load();
    ASSERT_EQ(m_host.asked.size(), 3u);
    EXPECT_EQ(m_host.asked[0].pointer, Pointer::Default); // the dialog
    EXPECT_EQ(m_host.asked[1].pointer, Pointer::Hourglass);
    EXPECT_EQ(m_host.asked[2].pointer, Pointer::Hourglass);
    EXPECT_EQ(m_host.pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, UnreadableFileIsReportedWithTheCallingLabelAndTheNextFileLoads)
{
    std::filesystem::create_directory(m_folder.path() / "folder.txt");
    const std::string folder = path("folder.txt");
    m_host.openFiles.push_back({folder, writeFile("good.txt", "x\r\n")});
    load("PushButton14_Click");
    EXPECT_EQ(textsOf(m_list), (Items{"x"}));
    EXPECT_EQ(m_host.reportLocations(), Texts{"Form1.PushButton14_Click at line 134"});

    m_host.openFiles.push_back({folder});
    load();
    EXPECT_EQ(m_host.reportLocations(),
              (Texts{"Form1.PushButton14_Click at line 134", "Form1.PushButton3_Click at line 120"}));
    EXPECT_EQ(m_host.pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, CancelledLoadChangesNothingNotEvenThePointer)
{
    m_list.append("kept");
    m_host.setPointer(Pointer::Custom);
    load();
    EXPECT_EQ(textsOf(m_list), (Items{"kept"}));
    EXPECT_EQ(m_host.pointer(), Pointer::Custom);
    EXPECT_EQ(m_host.asked.size(), 1u);
}

TEST_F(ListCommandsTest, SaveWritesEveryItemWithCrLfAndSaysDoneUnderTheHourglass)
{
    m_list.appendList(Samples::listOf({"a", "", "c"}));
    const std::string saved = path("saved");
    m_host.saveFiles.push_back(saved);
    save();
    EXPECT_EQ(readFile(saved), "a\r\n\r\nc\r\n");
    ASSERT_EQ(m_host.asked.size(), 2u);
    EXPECT_EQ(m_host.asked[0].kind, Kind::SaveDialog);
    EXPECT_EQ(m_host.asked[0].text, "Save");
    EXPECT_EQ(m_host.asked[0].filter, "Text Files (*.txt);;All Files (*)");
    EXPECT_EQ(m_host.asked[1].kind, Kind::Inform);
    EXPECT_EQ(m_host.asked[1].text, "Done.");
    EXPECT_EQ(m_host.asked[1].pointer, Pointer::Hourglass);
    EXPECT_EQ(m_host.pointer(), Pointer::Default);

    // What was saved loads back as the same items.
    m_list.clear();
    m_host.openFiles.push_back({saved});
    load();
    EXPECT_EQ(textsOf(m_list), (Items{"a", "", "c"}));
}

TEST_F(ListCommandsTest, SavingAnEmptyListGivesAnEmptyFile)
{
    const std::string saved = path("empty.txt");
    m_host.saveFiles.push_back(saved);
    save();
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_TRUE(readFile(saved).empty());
    EXPECT_EQ(m_host.textsOf(Kind::Inform), Texts{"Done."});
}

TEST_F(ListCommandsTest, OverwriteAsksFirstAndNoLeavesTheFileAlone)
{
    const std::string old = writeFile("old.txt", "old line one\r\nold line two\r\n");
    m_list.append("new");
    const std::string question = "Are you sure you wish to overwrite " + old + " ?";

    m_host.saveFiles.push_back(old);
    m_host.confirmations.push_back(false);
    save();
    EXPECT_EQ(readFile(old), "old line one\r\nold line two\r\n");
    EXPECT_EQ(m_host.textsOf(Kind::Confirm), Texts{question});
    EXPECT_EQ(m_host.asked.size(), 2u);
    EXPECT_EQ(m_host.pointer(), Pointer::Default);

    m_host.saveFiles.push_back(old);
    m_host.confirmations.push_back(true);
    save();
    EXPECT_EQ(readFile(old), "new\r\n");
    EXPECT_EQ(m_host.textsOf(Kind::Confirm), (Texts{question, question}));
    EXPECT_EQ(m_host.textsOf(Kind::Inform), Texts{"Done."});
}

// When the system cannot say whether a file is there, the save says so and asks before
// writing, as it would over a file it knows of.
TEST_F(ListCommandsTest, ExistenceTestThatFailsIsReportedAndStillAsksTheQuestion)
{
    const std::string loop = path("loop");
    ASSERT_EQ(::symlink("loop", loop.c_str()), 0);
    const std::string tooLong = path("") + std::string(300, 'n');
    for (const std::string &target : {loop, tooLong}) {
        SCOPED_TRACE(target.substr(target.size() - 10));
        m_host = FakeCommandHost();
        m_list.append("a");
        m_host.saveFiles.push_back(target);
        m_host.confirmations.push_back(false);
        save();
        EXPECT_EQ(m_host.reportLocations(), Texts{"Form1.PushButton20_Click at line 114"});
        EXPECT_EQ(m_host.textsOf(Kind::Confirm), Texts{"Are you sure you wish to overwrite " + target + " ?"});
        EXPECT_TRUE(m_host.textsOf(Kind::Inform).empty());
    }
    EXPECT_EQ(filesInFolder(), Texts{"loop"});
}

TEST_F(ListCommandsTest, CancelledSaveWritesNothingAndShowsNothing)
{
    m_list.append("a");
    save();
    EXPECT_EQ(m_host.asked.size(), 1u);
    EXPECT_EQ(m_host.pointer(), Pointer::Default);
    EXPECT_TRUE(filesInFolder().empty());
}

TEST_F(ListCommandsTest, SaveThatCannotOpenIsReportedOnceAtLine124WithoutDone)
{
    m_list.append("a");
    const std::string notAFolder = writeFile("plain.txt", "keep\r\n");
    m_host.saveFiles.push_back(notAFolder + "/inside.txt");
    save();
    EXPECT_EQ(m_host.reportLocations(), Texts{"Form1.PushButton20_Click at line 124"});
    EXPECT_TRUE(m_host.textsOf(Kind::Inform).empty());
    EXPECT_EQ(readFile(notAFolder), "keep\r\n");
    EXPECT_EQ(m_host.pointer(), Pointer::Default);
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
    const std::string old = "the old list\r\n";
    const std::string target = writeFile("old.txt", old);
    m_list.appendList(Samples::numberedList(20000, "someone", "@example.org"));
    m_host.saveFiles.push_back(target);
    {
        const FileSizeLimit limit(4096);
        save("PushButton13_Click");
    }
    EXPECT_EQ(m_host.reportLocations(), Texts{"Form1.PushButton13_Click at line 130"});
    EXPECT_TRUE(m_host.textsOf(Kind::Inform).empty());
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(filesInFolder(), Texts{"old.txt"});
    EXPECT_EQ(m_host.pointer(), Pointer::Default);
}

TEST_F(ListCommandsTest, SamplesAppendThreeAddressesSharingOnlyTheSupportAddress)
{
    ItemList list2;
    m_list.append("mine");
    runSampleCommand(m_list, ListId::List1, "PushButton22_Click", m_host.host());
    runSampleCommand(m_list, ListId::List1, "PushButton22_Click", m_host.host());
    runSampleCommand(list2, ListId::List2, "PushButton21_Click", m_host.host());
    const auto &first = sampleAddresses(ListId::List1);
    const auto &second = sampleAddresses(ListId::List2);
    EXPECT_EQ(textsOf(m_list), (Items{"mine", std::string(first[0]), std::string(first[1]), std::string(first[2]),
                                      std::string(first[0]), std::string(first[1]), std::string(first[2])}));
    EXPECT_EQ(textsOf(list2), (Items{std::string(second[0]), std::string(second[1]), std::string(second[2])}));
    EXPECT_TRUE(m_host.asked.empty());

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
        EXPECT_TRUE(std::none_of(all[i].begin(), all[i].end(), [](char c) { return c >= 'A' && c <= 'Z'; })) << all[i];
    }
}

} // namespace
} // namespace Quorvane
