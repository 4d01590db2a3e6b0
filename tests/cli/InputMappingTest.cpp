#include "CliTestFolder.h"

#include "cli/CommandLine.h"
#include "cli/InputMapping.h"
#include "files/ListFile.h"

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

// Writing through to a file while its bytes are still being read from a mapping would change
// them under the run: such a file is copied in first.
TEST_F(InputMappingTest, AFileThatMayBeWrittenIsCopiedAndAnyOtherMapped)
{
    const std::string list = file("list.txt", "a\n");
    const std::string other = file("other.txt", "b\n");
    const std::string output = file("out.txt", "old\n");
    const std::string link = path("link.txt");
    ASSERT_EQ(::symlink(list.c_str(), link.c_str()), 0);
    const int standardOutputOnList = ::open(list.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(standardOutputOnList, 0);

    const InputMapping toStandardOutput(invocationOf({"subtract", list, "--other", other}),
                                        Streams{STDIN_FILENO, standardOutputOnList, STDERR_FILENO});
    EXPECT_EQ(toStandardOutput.readingOf(list), ReadBy::Copying);
    EXPECT_EQ(toStandardOutput.readingOf(link), ReadBy::Copying);
    EXPECT_EQ(toStandardOutput.readingOf(other), ReadBy::Mapping);
    EXPECT_EQ(toStandardOutput.readingOf("-"), ReadBy::Copying);

    const InputMapping toNamedFiles(invocationOf({"dedupe-first", "-o", output, "--removed", link, list}), Streams{});
    EXPECT_EQ(toNamedFiles.readingOf(list), ReadBy::Copying);
    EXPECT_EQ(toNamedFiles.readingOf(output), ReadBy::Copying);
    EXPECT_EQ(toNamedFiles.readingOf(other), ReadBy::Mapping);
    ::close(standardOutputOnList);
}

// Another program cuts a mapped input short before its texts are written out: the run ends
// with a message and status 1, the output file stays as it was and no temporary is left.
TEST_F(InputMappingTest, AnInputCutShortEndsTheRunAndKeepsTheOutput)
{
    std::string bytes;
    for (int i = 0; i < 100'000; ++i)
        bytes += "someone" + std::to_string(i) + "@example.com\n";
    const std::string list = file("list.txt", bytes);
    const std::string output = file("out.txt", "old\n");
    const Invocation invocation = invocationOf({"dedupe-first", "-o", output, list});
    EXPECT_EXIT(
        {
            const InputMapping mapping(invocation, Streams{});
            const ListFileContents contents = readListFile(list, Readable::AnySource, mapping.readingOf(list));
            if (::truncate(list.c_str(), 0) == 0) {
                ListFileOutput out(output);
                out.write(contents.list);
                out.commit();
            }
            std::_Exit(0);
        },
        testing::ExitedWithCode(1), "an input file was cut short");
    EXPECT_EQ(Testing::readBytes(output), "old\n");
    EXPECT_EQ(entryCount(), 2u);
}

} // namespace
} // namespace Quorvane
