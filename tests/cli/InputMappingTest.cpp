#include "CliTestFolder.h"

#include "cli/CommandLine.h"
#include "cli/InputMapping.h"
#include "files/ListFile.h"
#include "tests/support/ListBytes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace Quorvane {
namespace {

using InputMappingTest = Testing::CliTestFolder;

Invocation invocationOf(const std::vector<std::string> &arguments)
{
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    return parseCommandLine(views);
}

ReadBy readingOfFile(const InputMapping &mapping, const std::string &path)
{
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return mapping.readingOf(file.get());
}

// Writing through to a file while its bytes are still being read from a mapping would change
// them under the run, and a file another user owns can be rewritten or cut short by them: such
// files are copied in first.
TEST_F(InputMappingTest, AFileThatMayBeWrittenOrIsAnotherUsersIsCopiedAndAnyOtherMapped)
{
    const std::string list = file("list.txt", "a\n");
    const std::string other = file("other.txt", "b\n");
    const std::string output = file("out.txt", "old\n");
    const std::string theirs = file("theirs.txt", "c\n");
    // Only root can give a file away; as anyone else that case goes untested.
    const bool givenAway = ::chown(theirs.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) == 0;
    const std::string link = path("link.txt");
    ASSERT_EQ(::symlink(list.c_str(), link.c_str()), 0);
    const int standardOutputOnList = ::open(list.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(standardOutputOnList, 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);

    const InputMapping toStandardOutput(invocationOf({"subtract", list, "--other", other}),
                                        Streams{STDIN_FILENO, standardOutputOnList, STDERR_FILENO});
    EXPECT_EQ(readingOfFile(toStandardOutput, list), ReadBy::Copying);
    EXPECT_EQ(readingOfFile(toStandardOutput, link), ReadBy::Copying);
    EXPECT_EQ(readingOfFile(toStandardOutput, other), ReadBy::Mapping);
    EXPECT_EQ(readingOfFile(toStandardOutput, theirs), givenAway ? ReadBy::Copying : ReadBy::Mapping);
    EXPECT_EQ(toStandardOutput.readingOf(pipeEnds[0]), ReadBy::Copying);

    const InputMapping toNamedFiles(invocationOf({"dedupe-first", "-o", output, "--removed", link, list}), Streams{});
    EXPECT_EQ(readingOfFile(toNamedFiles, list), ReadBy::Copying);
    EXPECT_EQ(readingOfFile(toNamedFiles, output), ReadBy::Copying);
    EXPECT_EQ(readingOfFile(toNamedFiles, other), ReadBy::Mapping);
    for (const int descriptor : {standardOutputOnList, pipeEnds[0], pipeEnds[1]})
        ::close(descriptor);
}

// Another program cuts a mapped input short before its texts are written out: the run ends
// with a message and status 1, the output file stays as it was and no temporary is left.
TEST_F(InputMappingTest, AnInputCutShortEndsTheRunAndKeepsTheOutput)
{
    const std::string list = file("list.txt", Samples::numberedLines(100'000, "someone", "@example.com"));
    const std::string output = file("out.txt", "old\n");
    const Invocation invocation = invocationOf({"dedupe-first", "-o", output, list});
    EXPECT_EXIT(
        {
            InputMapping mapping(invocation, Streams{});
            const ListFileContents contents = mapping.read(list);
            if (::truncate(list.c_str(), 0) == 0) {
                ListFileOutput out(output);
                out.write(contents.list.texts());
                out.commit();
            }
            std::_Exit(0);
        },
        testing::ExitedWithCode(1), "\"" + list + "\" was cut short");
    EXPECT_EQ(Testing::readBytes(output), "old\n");
    EXPECT_EQ(entryCount(), 2u);
}

} // namespace
} // namespace Quorvane
