#include "files/ListFile.h"
#include "files/TemporaryNameGuard.h"
#include "tests/files/WriteFailure.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::string_literals;

namespace Quorvane {
namespace {

using Samples::listOf;
using Testing::writeFailure;

int exitStatusOf(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Standard output or error as a shell's ">> file" or "2>> file" leaves it; however the path
// spells it, the list is appended through it and what was written there before stays.
TEST(ListFileTarget, StandardOutputAndErrorAreWrittenThroughHoweverTheyAreSpelled)
{
    Testing::TemporaryFolder folder;
    const std::string log = folder.file("log.txt");
    const std::string link = folder.file("to-stdout");
    ASSERT_EQ(::symlink("/dev/stdout", link.c_str()), 0);
    const std::pair<int, std::string> spellings[] = {
        {STDOUT_FILENO, "/dev/stdout"}, {STDOUT_FILENO, "/dev/./stdout"}, {STDOUT_FILENO, "//dev/stdout"},
        {STDOUT_FILENO, link},          {STDOUT_FILENO, "/proc/self/fd/1"}, {STDERR_FILENO, "/dev/stderr"},
    };
    for (const auto &[stream, spelling] : spellings) {
        Testing::writeBytes(log, "from the shell\n");
        const pid_t child = fork();
        if (child == 0) {
            const int appending = ::open(log.c_str(), O_WRONLY | O_APPEND);
            ::dup2(appending, stream);
            _exit(writeFailure(listOf({"a", "b"}), spelling).empty() ? 0 : 1);
        }
        EXPECT_EQ(exitStatusOf(child), 0) << spelling;
        EXPECT_EQ(Testing::readBytes(log), "from the shell\na\r\nb\r\n") << spelling;
    }
    EXPECT_EQ(folder.entryCount(), 2u);
}

TEST(ListFileTarget, LinksAreFollowedToTheFileTheyNameAndStayLinks)
{
    Testing::TemporaryFolder folder;
    const std::string real = folder.file("real.txt");
    const std::string first = folder.file("first");
    const std::string second = folder.file("second");
    Testing::writeBytes(real, "old\r\n");
    ASSERT_EQ(::symlink("second", first.c_str()), 0);
    ASSERT_EQ(::symlink(real.c_str(), second.c_str()), 0);
    EXPECT_TRUE(writeListFile(listOf({"new"}), first, {.lineEnd = LineEnd::LineFeed}).empty());
    EXPECT_EQ(Testing::readBytes(real), "new\n");
    struct stat status {};
    ASSERT_EQ(::lstat(first.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));

    // Relative links count from their own folder: A/link1 -> ../B/link2 -> real.txt is B/real.txt.
    ASSERT_EQ(::mkdir(folder.file("A").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(folder.file("B").c_str(), 0755), 0);
    Testing::writeBytes(folder.file("B/real.txt"), "old\r\n");
    ASSERT_EQ(::symlink("../B/link2", folder.file("A/link1").c_str()), 0);
    ASSERT_EQ(::symlink("real.txt", folder.file("B/link2").c_str()), 0);
    EXPECT_TRUE(writeListFile(listOf({"new"}), folder.file("A/link1"), {.lineEnd = LineEnd::LineFeed}).empty());
    EXPECT_EQ(Testing::readBytes(folder.file("B/real.txt")), "new\n");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("B/link2")));

    const std::string loop = folder.file("loop");
    const std::string dangling = folder.file("dangling");
    ASSERT_EQ(::symlink("loop", loop.c_str()), 0);
    ASSERT_EQ(::symlink("missing/nowhere.txt", dangling.c_str()), 0);
    EXPECT_EQ(writeFailure(listOf({"a"}), loop), "Cannot write \"" + loop + "\": Too many levels of symbolic links");
    EXPECT_EQ(writeFailure(listOf({"a"}), dangling), "Cannot write \"" + dangling + "\": it is a symbolic link to nothing");
    EXPECT_EQ(folder.entryCount(), 7u);
}

TEST(ListFileTarget, TheWindowRefusesWhatIsNotARegularFile)
{
    Testing::TemporaryFolder folder;
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const WriteOptions window{.writable = Writable::RegularFileOnly};
    // No reader: an open for writing would wait for ever.
    EXPECT_EQ(writeFailure(listOf({"a"}), fifo, window), "Cannot write \"" + fifo + "\": it is a pipe or a device, not a file");
    EXPECT_EQ(writeFailure(listOf({"a"}), "/dev/null", window),
              "Cannot write \"/dev/null\": it is a pipe or a device, not a file");
    EXPECT_EQ(writeFailure(listOf({"a"}), folder.path().string(), window),
              "Cannot write \"" + folder.path().string() + "\": it is a folder");
}

TEST(ListFileTarget, AFifoWhoseReaderLeavesIsAnErrorNotADeath)
{
    Testing::TemporaryFolder folder;
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> texts(100'000, "address@example.com");
    const pid_t child = fork();
    if (child == 0) {
        std::thread reader([&] { ::close(::open(fifo.c_str(), O_RDONLY)); });
        const std::string failure = writeFailure(Samples::listOf(texts), fifo);
        reader.join();
        _exit(failure == "Cannot write \"" + fifo + "\": Broken pipe" ? 0 : 1);
    }
    EXPECT_EQ(exitStatusOf(child), 0);
}

TEST(ListFileTarget, RemovedItemsAndResultArePutInPlaceTogether)
{
    Testing::TemporaryFolder folder;
    const std::string removed = folder.file("removed.txt");
    const std::string out = folder.file("out.txt");
    const ItemList kept = listOf({"kept"});
    const ItemList gone = listOf({"gone"});
    EXPECT_TRUE(writeListFiles(std::vector<ListToWrite>{{gone, removed}, {kept, out}}).empty());
    EXPECT_EQ(Testing::readBytes(removed), "gone\r\n");
    EXPECT_EQ(Testing::readBytes(out), "kept\r\n");

    // OUT cannot be written: the removed items' file is not replaced either.
    Testing::writeBytes(removed, "old\r\n");
    const std::string unwritable = folder.file("missing/out.txt");
    EXPECT_THROW((void)writeListFiles(std::vector<ListToWrite>{{gone, removed}, {kept, unwritable}}), ListFileError);
    EXPECT_EQ(Testing::readBytes(removed), "old\r\n");
    EXPECT_EQ(folder.entryCount(), 2u);
}

TEST(ListFileTarget, BatchesReachTheFileOnlyAtCommit)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("out.txt");
    Testing::writeBytes(path, "old\r\n");
    {
        ListFileOutput dropped(path, {.lineEnd = LineEnd::LineFeed});
        dropped.write(listOf({"a"}).texts());
    }
    EXPECT_EQ(Testing::readBytes(path), "old\r\n");
    ListFileOutput output(path, {.lineEnd = LineEnd::LineFeed});
    output.write(listOf({"a", "b"}).texts());
    output.write(listOf({"c"}).texts());
    EXPECT_EQ(Testing::readBytes(path), "old\r\n");
    EXPECT_TRUE(output.commit().empty());
    EXPECT_EQ(Testing::readBytes(path), "a\nb\nc\n");
    EXPECT_EQ(folder.entryCount(), 1u);
}

// Run by the signal tests below as a program of its own: writes a list to the file named in
// the environment.
TEST(SaveHelper, DISABLED_WriteListToTheNamedFile)
{
    const char *path = std::getenv("QUORVANE_SAVE_TARGET");
    ASSERT_NE(path, nullptr);
    (void)writeListFile(listOf({"new", "list"}), path);
}

// The program lives on after the handler: the old file stays or the new one is whole.
TEST(ListFileSignals, ASignalWhileATemporaryHasANameRemovesIt)
{
    Testing::TemporaryFolder folder;
    const std::string temporary = folder.file(".quorvane-test");
    const pid_t child = fork();
    if (child == 0) {
        const int folderDescriptor = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
        const TemporaryNameGuard guard(folderDescriptor, ".quorvane-test");
        Testing::writeBytes(temporary, "half a list");
        ::raise(SIGTERM);
        _exit(0);
    }
    EXPECT_EQ(exitStatusOf(child), 128 + SIGTERM);
    EXPECT_EQ(folder.entryCount(), 0u);
}

TEST(ListFileSignals, ASignalAtEverySystemCallOfASaveLeavesOldOrNewAndNoTemporary)
{
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("list.txt");
    for (const char *call : {"openat", "write", "fsync", "linkat", "renameat", "rename"}) {
        for (const char *signal : {"SIGINT", "SIGTERM", "SIGHUP"}) {
            Testing::writeBytes(path, "old\r\n");
            const std::string command = "QUORVANE_SAVE_TARGET='" + path + "' strace -f -qq -o /dev/null -e trace=" + call
                                        + " -e inject=" + call + ":signal=" + signal + ":when=1+ /proc/" + std::to_string(getpid())
                                        + "/exe --gtest_also_run_disabled_tests --gtest_filter=SaveHelper.* >/dev/null 2>&1";
            // The save either finishes or dies of the signal: both are fine, not starting at all is not.
            ASSERT_NE(std::system(command.c_str()), -1) << "cannot start strace";
            const std::string bytes = Testing::readBytes(path);
            EXPECT_TRUE(bytes == "old\r\n" || bytes == "new\r\nlist\r\n") << call << " " << signal << ": " << bytes;
            EXPECT_EQ(folder.entryCount(), 1u) << call << " " << signal;
        }
    }
}

} // namespace
} // namespace Quorvane
