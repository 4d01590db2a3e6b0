#include "files/LineSplitting.h"
#include "files/ListFile.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace std::string_literals;
using namespace std::string_view_literals;

namespace Quorvane {
namespace {

using Samples::textsOf;

std::vector<std::string> parse(std::string_view bytes)
{
    auto block = std::make_unique<ByteBlock>(bytes.size());
    if (!bytes.empty())
        std::memcpy(block->data(), bytes.data(), bytes.size());
    return textsOf(parseListBytes(std::move(block)).list);
}

struct LineEndCase
{
    const char *name;
    std::string bytes;
    std::vector<std::string> items;
};

void PrintTo(const LineEndCase &lineEndCase, std::ostream *out)
{
    *out << lineEndCase.name;
}

class LineEnds : public testing::TestWithParam<LineEndCase>
{};

TEST_P(LineEnds, SplitIntoTheExpectedItems)
{
    EXPECT_EQ(parse(GetParam().bytes), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    ListFile, LineEnds,
    testing::Values(
        LineEndCase{"Empty", "", {}},
        LineEndCase{"CarriageReturns", "a\rb\rc", {"a", "b", "c"}},
        LineEndCase{"CarriageReturnLineFeeds", "a\r\nb\r\nc\r\n", {"a", "b", "c"}},
        LineEndCase{"LineFeeds", "a\nb\nc\n", {"a", "b", "c"}},
        LineEndCase{"Mixed", "a\rb\r\nc\nd", {"a", "b", "c", "d"}},
        LineEndCase{"LineFeedThenCarriageReturnIsTwoEnds", "a\n\rb", {"a", "", "b"}},
        LineEndCase{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}},
        LineEndCase{"DoubleTrailingEnd", "a\r\n\r\n", {"a", ""}},
        LineEndCase{"OnlyOneEnd", "\r\n", {""}},
        LineEndCase{"OnlyCarriageReturns", "\r\r", {"", ""}},
        LineEndCase{"BlankLinesKept", "a\r\n\r\n\nb\r\r", {"a", "", "", "b", ""}},
        LineEndCase{"SpacesAndCaseKept", " A \r\na\t\r\n", {" A ", "a\t"}},
        LineEndCase{"ByteOrderMarkAtTheStartIsNoText", "\xEF\xBB\xBF" "a\r\nb", {"a", "b"}},
        LineEndCase{"ByteOrderMarkLaterIsText", "a\r\n\xEF\xBB\xBF" "b", {"a", "\xEF\xBB\xBF" "b"}},
        LineEndCase{"NulBytesAreOrdinary", "a\0b\r\n\0"s, {"a\0b"s, "\0"s}},
        LineEndCase{"InvalidUtf8Kept", "\xFF\xFE\x80\n\xC3", {"\xFF\xFE\x80", "\xC3"}}),
    [](const testing::TestParamInfo<LineEndCase> &info) { return std::string(info.param.name); });

// Splits one byte at a time: the obvious reading of the line rules.
std::vector<std::string> splitByteByByte(const std::string &bytes)
{
    std::vector<std::string> items;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r')
            continue;
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            items.push_back(line);
            line.clear();
        } else {
            line += bytes[i];
        }
    }
    if (!bytes.empty() && bytes.back() != '\r' && bytes.back() != '\n')
        items.push_back(line);
    return items;
}

TEST(ListFileParse, LineEndsAtEveryOffsetOfLongRandomText)
{
    std::mt19937 random(20261208);
    const std::string alphabet = "ab\r\n\r\n "s + '\0';
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 200, ' ');
        for (char &byte : bytes)
            byte = alphabet[random() % alphabet.size()];
        const std::vector<std::string> expected = splitByteByByte(bytes);
        ASSERT_EQ(parse(bytes), expected) << "round " << round;
        // Cut into pieces of about any size, the text gives the same lines piece by piece.
        for (const std::size_t size : {1, 2, 3, 7, 50}) {
            std::vector<std::string_view> lines;
            for (std::string_view rest = bytes; !rest.empty();) {
                const std::string_view piece = rest.substr(0, pieceEnd(rest, size));
                rest.remove_prefix(piece.size());
                appendLines(piece, lines);
            }
            ASSERT_EQ(std::vector<std::string>(lines.begin(), lines.end()), expected) << "round " << round << " " << size;
        }
    }
}

// Texts long enough to be split on two cores, with every kind of line end where the halves meet.
TEST(ListFileParse, LongTextsSplitAsTheirBytesSayWhereverTheHalvesMeet)
{
    const auto lines = [](int count, const std::string &lineEnd) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "line " + std::to_string(i) + lineEnd;
        return text;
    };
    const std::string plain = lines(200'000, "\n");
    const std::size_t middle = plain.size() / 2;
    const auto around = [&](const std::string &bytes) {
        std::string text = plain;
        text.replace(middle - bytes.size() / 2, bytes.size(), bytes);
        return text;
    };
    const std::string texts[] = {plain,
                                 lines(200'000, "\r\n"),
                                 lines(200'000, "\r"),
                                 lines(200'000, "\r\n") + "unended",
                                 around("\r\n"),
                                 around("\r\r\n\n"),
                                 around("\n\r"),
                                 around(std::string(64, '\n')),
                                 around("\r\n\r\n\r\n"),
                                 plain.substr(0, middle) + std::string(middle, 'x'),
                                 plain.substr(0, middle) + "\r"};
    for (std::size_t t = 0; t < std::size(texts); ++t)
        EXPECT_EQ(parse(texts[t]), splitByteByByte(texts[t])) << "text " << t;
}

TEST(ListFileParse, LongLinesAndManyLines)
{
    const std::string longLine(5'000'000, 'x');
    EXPECT_EQ(parse(longLine + "\r\ny"), (std::vector<std::string>{longLine, "y"}));

    std::string manyLines;
    for (int i = 0; i < 200'000; ++i)
        manyLines += std::to_string(i) + "\r\n";
    const std::vector<std::string> items = parse(manyLines);
    ASSERT_EQ(items.size(), 200'000u);
    EXPECT_EQ(items.front(), "0");
    EXPECT_EQ(items.back(), "199999");
}

TEST(ListFileRead, ReadsAFileAsItsBytesSay)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("list.txt");
    Testing::writeBytes(path, "one\r\ntwo\nthree\rfour");
    EXPECT_EQ(textsOf(readListFile(path, Readable::AnySource).list), (std::vector<std::string>{"one", "two", "three", "four"}));

    Testing::writeBytes(path, "");
    EXPECT_TRUE(readListFile(path, Readable::AnySource).list.isEmpty());
}

// A large file is read as two halves at once, from wherever the descriptor stands (standard
// input may have been read from before), and the descriptor is left at the file's end.
TEST(ListFileRead, ReadsALargeFileFromTheDescriptorsOffsetToItsEnd)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("large.txt");
    std::string bytes = "skipped\n";
    const int lineCount = 1'000'000;
    for (int i = 0; i < lineCount; ++i)
        bytes += "someone" + std::to_string(i) + "@example.com\r\n";
    Testing::writeBytes(path, bytes);
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::lseek(descriptor, 8, SEEK_SET), 8);
    const ItemList list = readListFromDescriptor(descriptor, path).list;
    EXPECT_EQ(::lseek(descriptor, 0, SEEK_CUR), static_cast<off_t>(bytes.size()));
    ::close(descriptor);
    ASSERT_EQ(list.count(), static_cast<std::size_t>(lineCount));
    EXPECT_EQ(list.text(0), "someone0@example.com");
    EXPECT_EQ(list.text(lineCount / 2), "someone500000@example.com");
    EXPECT_EQ(list.text(lineCount - 1), "someone999999@example.com");

    // Cut short by another program as the read begins: exactly what is left is read, and no
    // item of zero bytes stands for what went missing.
    const std::size_t cut = bytes.size() / 4 * 3 + 5;
    const int shrinking = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(shrinking, 0);
    bool truncated = false;
    const auto truncateOnce = [&](std::size_t) {
        if (!truncated)
            truncated = ::truncate(path.c_str(), static_cast<off_t>(cut)) == 0;
    };
    const ItemList shortened = readListFromDescriptor(shrinking, path, truncateOnce).list;
    ::close(shrinking);
    ASSERT_TRUE(truncated);
    EXPECT_TRUE(textsOf(shortened) == splitByteByByte(bytes.substr(0, cut)));
}

TEST(ListFileRead, ReadsAPipeLongerThanOneChunk)
{
    std::string bytes;
    for (int i = 0; i < 50'000; ++i)
        bytes += "item" + std::to_string(i) + "\n";
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([&] {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = write(ends[1], bytes.data() + done, bytes.size() - done);
            if (written <= 0)
                break;
            done += static_cast<std::size_t>(written);
        }
        close(ends[1]);
    });
    const ItemList list = readListFromDescriptor(ends[0], "-").list;
    writer.join();
    close(ends[0]);
    EXPECT_EQ(textsOf(list), splitByteByByte(bytes));
}

void expectReadFailureNaming(const std::string &path)
{
    try {
        readListFile(path, Readable::AnySource);
        ADD_FAILURE() << "reading " << path << " did not fail";
    } catch (const ListFileError &error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
}

TEST(ListFileRead, FailsNamingTheFile)
{
    Testing::TemporaryFolder folder;
    expectReadFailureNaming(folder.file("missing.txt"));
    expectReadFailureNaming(folder.path().string());
}

} // namespace
} // namespace Quorvane
