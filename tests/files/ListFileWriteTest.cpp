#include "files/ListFile.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::string_literals;

namespace Quorvane {
namespace {

using Samples::listOf;

// Built from file bytes: one block for all items, as a read list holds them.
ItemList manyItems(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += "address" + std::to_string(i) + "@example.com\n";
    auto block = std::make_unique<ByteBlock>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block->data());
    return parseListBytes(std::move(block)).list;
}

TEST(ListFileWrite, EachItemThenCarriageReturnLineFeed)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("out.txt");
    EXPECT_TRUE(writeListFile(listOf({"a", "", " b ", "\xEF\xBB\xBF" "c"}), path).empty());
    EXPECT_EQ(Testing::readBytes(path), "a\r\n\r\n b \r\n\xEF\xBB\xBF" "c\r\n");
}

TEST(ListFileWrite, EmptyListReplacesAFileWithZeroBytes)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("out.txt");
    Testing::writeBytes(path, "old content that is longer\r\n");
    EXPECT_TRUE(writeListFile(ItemList(), path).empty());
    EXPECT_EQ(Testing::readBytes(path), "");
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(ListFileWrite, RoundTripKeepsEveryItem)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("round.txt");
    const std::vector<std::string> texts = {"", "first", "", "", "with\0nul"s, "\xFF\xFE", std::string(3'000'000, 'z'), ""};
    EXPECT_TRUE(writeListFile(listOf(texts), path).empty());
    const ItemList back = readListFile(path, Readable::AnySource).list;
    EXPECT_EQ(std::vector<std::string>(back.texts().begin(), back.texts().end()), texts);
}

// A long list goes to a regular file in two halves at once; what comes before and after it on
// the same descriptor must stay in place, appended or not.
TEST(ListFileWrite, DescriptorGetsTheSameBytesBetweenWhatComesBeforeAndAfter)
{
    Testing::TemporaryFolder folder;
    const std::string viaPath = folder.file("path.txt");
    const ItemList list = manyItems(300'000);
    EXPECT_TRUE(writeListFile(list, viaPath).empty());
    const std::string expected = "head\n" + Testing::readBytes(viaPath) + "tail\n";
    for (const int appending : {0, O_APPEND}) {
        SCOPED_TRACE(appending ? "appended" : "written");
        const std::string viaDescriptor = folder.file("descriptor.txt");
        Testing::writeBytes(viaDescriptor, "");
        const int descriptor = ::open(viaDescriptor.c_str(), O_WRONLY | O_CLOEXEC | appending);
        ASSERT_GE(descriptor, 0);
        writeAllBytes(descriptor, "head\n", 5, viaDescriptor);
        writeListToDescriptor(list.texts(), descriptor, viaDescriptor);
        writeAllBytes(descriptor, "tail\n", 5, viaDescriptor);
        ::close(descriptor);
        EXPECT_EQ(Testing::readBytes(viaDescriptor), expected);
    }
}

ListFileError::Stage writeFailureStage(const ItemList &list, const std::string &path)
{
    try {
        EXPECT_TRUE(writeListFile(list, path).empty());
    } catch (const ListFileError &error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        return error.stage();
    }
    ADD_FAILURE() << "writing " << path << " did not fail";
    return ListFileError::Stage::Read;
}

TEST(ListFileWrite, UnopenablePathsFailAtOpen)
{
    Testing::TemporaryFolder folder;
    const std::string plainFile = folder.file("plain.txt");
    Testing::writeBytes(plainFile, "x\r\n");
    const ItemList list = listOf({"a"});
    EXPECT_EQ(writeFailureStage(list, folder.file("missing/out.txt")), ListFileError::Stage::Open);
    EXPECT_EQ(writeFailureStage(list, plainFile + "/out.txt"), ListFileError::Stage::Open);
    EXPECT_EQ(writeFailureStage(list, folder.path().string()), ListFileError::Stage::Open);
    EXPECT_EQ(Testing::readBytes(plainFile), "x\r\n");
    EXPECT_EQ(folder.entryCount(), 1u);
}

// Runs write in a child process whose files may grow to at most limitBytes; returns its exit code.
template<typename Write>
int runWithFileSizeLimit(rlim_t limitBytes, Write &&write)
{
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(write());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

constexpr int kReportedWriteFailure = 7;

TEST(ListFileWrite, FileSizeLimitKeepsTheOldFileAndLeavesNoTemporary)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("precious.txt");
    const std::string oldBytes = "keep\r\nme\r\n";
    Testing::writeBytes(path, oldBytes);
    const ItemList list = manyItems(200'000);

    const int exitCode = runWithFileSizeLimit(100'000, [&] {
        try {
            EXPECT_TRUE(writeListFile(list, path).empty());
        } catch (const ListFileError &error) {
            return error.stage() == ListFileError::Stage::Write ? kReportedWriteFailure : 1;
        }
        return 0;
    });
    EXPECT_EQ(exitCode, kReportedWriteFailure);
    EXPECT_EQ(Testing::readBytes(path), oldBytes);
    EXPECT_EQ(folder.entryCount(), 1u);
}

// Long enough to be written as two halves at once; the limit falls in the second half, which
// the second thread writes: its failure is reported too.
TEST(ListFileWrite, FileSizeLimitOnADescriptorIsReported)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("stream.txt");
    const ItemList list = manyItems(300'000);
    const rlim_t threeQuarters = serialisedSize(list, LineEnd::CarriageReturnLineFeed) / 4 * 3;

    const int exitCode = runWithFileSizeLimit(threeQuarters, [&] {
        FILE *file = fopen(path.c_str(), "wb");
        try {
            writeListToDescriptor(list.texts(), fileno(file), path);
        } catch (const ListFileError &error) {
            return error.stage() == ListFileError::Stage::Write ? kReportedWriteFailure : 1;
        }
        return 0;
    });
    EXPECT_EQ(exitCode, kReportedWriteFailure);
}

TEST(ListFileWrite, APipeIsWrittenInPlaceAndStaysAPipe)
{
    Testing::TemporaryFolder folder;
    const std::string pipe = folder.file("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // Opened for reading first, so the writer's open does not wait and the bytes fit the pipe.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    EXPECT_TRUE(writeListFile(listOf({"a", "", "b"}), pipe).empty());
    char received[64] = {};
    const ssize_t size = ::read(reader, received, sizeof received);
    ::close(reader);
    EXPECT_EQ(std::string(received, size > 0 ? size_t(size) : 0), "a\r\n\r\nb\r\n");
    struct stat status {};
    ASSERT_EQ(::stat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(ListFileWrite, AFullDeviceIsReportedAsAWriteFailure)
{
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (full < 0)
        GTEST_SKIP() << "no /dev/full here";
    try {
        writeListToDescriptor(manyItems(10).texts(), full, "/dev/full");
        ADD_FAILURE() << "writing to a full device did not fail";
    } catch (const ListFileError &error) {
        EXPECT_EQ(error.stage(), ListFileError::Stage::Write);
        EXPECT_NE(std::string(error.what()).find("/dev/full"), std::string::npos) << error.what();
    }
    ::close(full);
}

TEST(ListFileWrite, ADescriptorsNameWritesThroughTheDescriptor)
{
    Testing::TemporaryFolder folder;
    const std::string log = folder.file("log.txt");
    Testing::writeBytes(log, "header\n");
    // As a shell's ">> log.txt" leaves it: open for appending.
    const int appending = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(appending, 0);
    EXPECT_TRUE(writeListFile(listOf({"a"}), "/dev/fd/" + std::to_string(appending)).empty());
    EXPECT_TRUE(writeListFile(listOf({"b"}), "/proc/self/fd/" + std::to_string(appending)).empty());
    ::close(appending);
    EXPECT_EQ(Testing::readBytes(log), "header\na\r\nb\r\n");
    EXPECT_EQ(folder.entryCount(), 1u);
}

} // namespace
} // namespace Quorvane
