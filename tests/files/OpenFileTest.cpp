#include "files/FileExists.h"
#include "files/OpenFile.h"
#include "files/ListFileError.h"
#include "files/ReadableName.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace Quorvane {
namespace {

// What opening path gives: "" when it opened, otherwise the message.
std::string openingOutcome(const std::string &path, Readable readable)
{
    try {
        const FileDescriptor file = openForReading(path, readable);
        EXPECT_TRUE(file.isOpen());
        EXPECT_EQ(fcntl(file.get(), F_GETFL) & O_NONBLOCK, 0) << path;
        EXPECT_NE(fcntl(file.get(), F_GETFD) & FD_CLOEXEC, 0) << path;
        return {};
    } catch (const ListFileError &error) {
        EXPECT_EQ(error.stage(), ListFileError::Stage::Open);
        return error.what();
    }
}

TEST(OpenFile, DecidesOnWhatTheOpenDescriptorIs)
{
    Testing::TemporaryFolder folder;
    const std::string file = folder.file("list.txt");
    const std::string fifo = folder.file("fifo");
    Testing::writeBytes(file, "a\n");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folderPath = folder.path().string();
    const std::string pipeRefusal = "it is a pipe or a device, not a file";

    struct Case
    {
        std::string path;
        Readable readable;
        std::string expected; // "" to open, else the end of the message
    };
    const Case cases[] = {
        {file, Readable::RegularFileOnly, ""},
        {file, Readable::AnySource, ""},
        {"/dev/null", Readable::AnySource, ""},
        // Nobody writes to the FIFO: a blocking open would never return.
        {fifo, Readable::RegularFileOnly, "Cannot read \"" + fifo + "\": " + pipeRefusal},
        {"/dev/zero", Readable::RegularFileOnly, "Cannot read \"/dev/zero\": " + pipeRefusal},
        {folderPath, Readable::RegularFileOnly, "Cannot read \"" + folderPath + "\": it is a folder"},
        {folderPath, Readable::AnySource, "Cannot read \"" + folderPath + "\": it is a folder"},
        {folder.file("missing"), Readable::AnySource,
         "Cannot open \"" + folder.file("missing") + "\": No such file or directory"},
        // Cut at the NUL the name would open the existing file.
        {file + "\0.other"s, Readable::AnySource, "Invalid argument"},
    };
    alarm(20);
    for (const Case &c : cases) {
        const std::string outcome = openingOutcome(c.path, c.readable);
        EXPECT_TRUE(outcome.ends_with(c.expected)) << c.path << ": " << outcome;
        EXPECT_EQ(outcome.empty(), c.expected.empty()) << c.path << ": " << outcome;
    }
    alarm(0);
}

TEST(OpenFile, DescriptorIsClosedOnceAndCanBeHandedOver)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    FileDescriptor reader(ends[0]);
    {
        FileDescriptor writer(ends[1]);
        FileDescriptor moved(std::move(writer));
        EXPECT_FALSE(writer.isOpen());
        EXPECT_EQ(write(moved.get(), "x", 1), 1);
    }
    char byte = 0;
    EXPECT_EQ(read(reader.get(), &byte, 1), 1);
    EXPECT_EQ(read(reader.get(), &byte, 1), 0) << "the write end stayed open";
    const int handedOver = reader.release();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(close(handedOver), 0);
}

TEST(ReadableName, EscapesWhatCouldMisleadOrGarbleATerminal)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain/list.txt", "plain/list.txt"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA7", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA7"},
        {"latin1-caf\xE9.txt", "latin1-caf\\xE9.txt"},
        {"new\nline\x1B[31m\x7F", "new\\x0Aline\\x1B[31m\\x7F"},
        {"csi\xC2\x9B" "2J", "csi\\xC2\\x9B2J"},
        {"back\\x41slash", "back\\\\x41slash"},
        {"overlong\xC0\xAF surrogate\xED\xA0\x80 cut\xE2\x82", "overlong\\xC0\\xAF surrogate\\xED\\xA0\\x80 cut\\xE2\\x82"},
        {"nul\0end"s, "nul\\x00end"},
    };
    for (const auto &[bytes, expected] : cases)
        EXPECT_EQ(readableName(bytes), expected);
}

TEST(ReadableName, NamesTheFileInEveryMessage)
{
    const ListFileError error(ListFileError::Stage::Write,
                              describeFileFailure("Cannot write", "a\xFF.txt", "Permission denied"));
    EXPECT_STREQ(error.what(), "Cannot write \"a\\xFF.txt\": Permission denied");
}

TEST(FileExists, IsTrueForWhatCanBeStatedAndFalseForEverythingElse)
{
    const Testing::TemporaryFolder folder;
    const std::string path = folder.path().string();
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FileExists(path + "/missing.txt"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(path + std::string("\0", 1) + "x"));
    EXPECT_FALSE(FileExists(path + "/missing/deeper.txt"));
}

} // namespace
} // namespace Quorvane
