#include "engine/Seams.h"
#include "files/ListFile.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace std::string_literals;

namespace Quorvane {
namespace {

using Samples::textsOf;

// UTF-16 bytes in the given order for UTF-16 code units.
std::string utf16(const std::u16string &units, TextEncoding byteOrder)
{
    std::string bytes;
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += byteOrder == TextEncoding::Utf16BigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

constexpr auto LE = TextEncoding::Utf16LittleEndian;
constexpr auto BE = TextEncoding::Utf16BigEndian;
constexpr auto Bytes = TextEncoding::Bytes;

struct EncodingCase
{
    const char *name;
    std::string bytes;
    std::vector<std::string> items;
    TextEncoding encoding;
    bool byteOrderMarkDropped;
    LineEnd firstLineEnd;
};

void PrintTo(const EncodingCase &encodingCase, std::ostream *out)
{
    *out << encodingCase.name;
}

class Encodings : public testing::TestWithParam<EncodingCase>
{};

// Read from a real file, copied as the window reads them and mapped as the batch tool does.
TEST_P(Encodings, DecodeAndDescribeTheFile)
{
    const EncodingCase &c = GetParam();
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("list.txt");
    Testing::writeBytes(path, c.bytes);
    for (const ReadBy by : {ReadBy::Copying, ReadBy::Mapping}) {
        SCOPED_TRACE(by == ReadBy::Mapping ? "mapped" : "copied");
        const ListFileContents contents = readListFile(path, Readable::RegularFileOnly, by);
        EXPECT_EQ(textsOf(contents.list), c.items);
        EXPECT_EQ(contents.format.encoding, c.encoding);
        EXPECT_EQ(contents.format.byteOrderMarkDropped, c.byteOrderMarkDropped);
        EXPECT_EQ(contents.format.firstLineEnd, c.firstLineEnd);
    }
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::u16string kAddresses = u"ann@example.org\r\nJos\u00E9@example.com\r\n\U0001F4E7@example.net\r\n";
const std::vector<std::string> kAddressItems = {"ann@example.org", "Jos\xC3\xA9@example.com",
                                                "\xF0\x9F\x93\xA7@example.net"};
// Past the first lines, where only decoding tells.
constexpr int kFirstLines = 40;

std::u16string plainLines()
{
    std::u16string lines;
    for (int i = 0; i < kFirstLines; ++i)
        lines += u"a@x.org\n";
    return lines + u"\u0416@x.org";
}

std::vector<std::string> plainItems()
{
    std::vector<std::string> items(kFirstLines, "a@x.org");
    items.push_back("\xD0\x96@x.org");
    return items;
}

const std::string kFirstLinesLittleEndian = utf16(std::u16string(kFirstLines * 4, u'a') + u"\n", TextEncoding::Utf16LittleEndian);
std::string repeated(std::string_view bytes, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += bytes;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    ListFile, Encodings,
    testing::Values(
        EncodingCase{"Utf8", "a\nb", {"a", "b"}, Bytes, false, LineEnd::LineFeed},
        EncodingCase{"Utf8WithMark", kUtf8Mark + "a\r\nb", {"a", "b"}, Bytes, true, LineEnd::CarriageReturnLineFeed},
        EncodingCase{"OnlyTheMark", kUtf8Mark, {}, Bytes, true, LineEnd::None},
        EncodingCase{"LoneCarriageReturns", "a\rb\r", {"a", "b"}, Bytes, false, LineEnd::CarriageReturn},
        EncodingCase{"NoLineEnd", "a", {"a"}, Bytes, false, LineEnd::None},
        EncodingCase{"LittleEndianWithMark", utf16(u"\uFEFF" + kAddresses, LE), kAddressItems, LE, true,
                     LineEnd::CarriageReturnLineFeed},
        EncodingCase{"BigEndianWithMark", utf16(u"\uFEFF" + kAddresses, BE), kAddressItems, BE, true,
                     LineEnd::CarriageReturnLineFeed},
        // Plainly UTF-16 in its first lines; a later character need not be Latin-1.
        EncodingCase{"LittleEndianPlain", utf16(plainLines(), LE), plainItems(), LE, false, LineEnd::LineFeed},
        EncodingCase{"BigEndianPlain", utf16(plainLines(), BE), plainItems(), BE, false, LineEnd::LineFeed},
        EncodingCase{"MarkThenCarriageReturn", utf16(u"\uFEFFa\rb", LE), {"a", "b"}, LE, true, LineEnd::CarriageReturn},
        // Not clean UTF-16: every byte stays, the mark included.
        EncodingCase{"OddLengthWithMark", utf16(u"\uFEFFa\nb", LE) + "c", {"\xFF\xFE" "a\0"s, "\0b\0c"s}, Bytes, false,
                     LineEnd::LineFeed},
        EncodingCase{"UnpairedHighSurrogatePastTheFirstLines", kFirstLinesLittleEndian + "\x00\xD8" "c\0"s,
                     {repeated("a\0"s, kFirstLines * 4), "\0\x00\xD8" "c\0"s}, Bytes, false, LineEnd::LineFeed},
        EncodingCase{"UnpairedLowSurrogateWithMark", utf16(u"\uFEFFa", BE) + "\xDC\x00"s,
                     {"\xFE\xFF\0a\xDC\0"s}, Bytes, false, LineEnd::None},
        EncodingCase{"HighSurrogateAtTheEndWithMark", utf16(u"\uFEFFab", BE) + "\xD8\x3D"s,
                     {"\xFE\xFF\0a\0b\xD8\x3D"s}, Bytes, false, LineEnd::None},
        // NUL bytes that are not plainly UTF-16 load byte for byte.
        EncodingCase{"OnlyNulBytes", "\0\0\0\0\n"s, {"\0\0\0\0"s}, Bytes, false, LineEnd::LineFeed},
        EncodingCase{"NulInEveryByte", "a\0\0\0b\0"s, {"a\0\0\0b\0"s}, Bytes, false, LineEnd::None},
        EncodingCase{"OneUnitIsTooLittleToTell", "a\0"s, {"a\0"s}, Bytes, false, LineEnd::None},
        EncodingCase{"TwoUnitsAreEnough", "a\0b\0"s, {"ab"}, LE, false, LineEnd::None},
        EncodingCase{"NulsOnlyInTheFirstLine", "a\0b\0\n\0xy\n"s, {"a\0b\0"s, "\0xy"s}, Bytes, false,
                     LineEnd::LineFeed}),
    [](const testing::TestParamInfo<EncodingCase> &info) { return std::string(info.param.name); });

// A mapped UTF-16 file rewritten with wider characters of the same size while it is decoded:
// what is decoded after the rewrite is the new text, and no byte lands past the decoded block.
TEST(ListFileEncoding, MappedFileRewrittenWhileDecodedStaysWithinItsBlock)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("changing.txt");
    constexpr std::size_t kLines = 40000; // many pieces of decoding
    std::u16string narrow = u"\uFEFF";
    std::u16string wide = u"\uFEFF";
    for (std::size_t line = 0; line < kLines; ++line) {
        narrow += u"a\n";
        wide += u"\u4E00\n";
    }
    Testing::writeBytes(path, utf16(narrow, LE));
    setSeamAction(Seam::BetweenDecodePieces, [&] {
        const std::string bytes = utf16(wide, LE);
        std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).write(bytes.data(), std::ssize(bytes));
    });
    const ListFileContents contents = readListFile(path, Readable::AnySource, ReadBy::Mapping);
    setSeamAction(Seam::BetweenDecodePieces, {});
    ASSERT_EQ(contents.list.count(), kLines);
    EXPECT_EQ(contents.list.text(0), "a");
    EXPECT_EQ(contents.list.text(kLines - 1), "\xE4\xB8\x80");
}

TEST(ListFileMemory, ManySmallFilesCostWhatTheyHold)
{
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("small.txt");
    Testing::writeBytes(path, "a@x.org\r\nb@x.org\r\n");
    ItemList list;
    constexpr std::size_t kFiles = 200;
    for (std::size_t i = 0; i < kFiles; ++i)
        list.appendList(readListFile(path, Readable::RegularFileOnly).list);
    EXPECT_EQ(list.count(), 2 * kFiles);
    EXPECT_LE(list.storedBytes(), kFiles * 32);

    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], "a\nb\n", 4), 4);
    close(ends[1]);
    const ItemList fromPipe = readListFromDescriptor(ends[0], "pipe").list;
    close(ends[0]);
    EXPECT_EQ(textsOf(fromPipe), (std::vector<std::string>{"a", "b"}));
    EXPECT_LE(fromPipe.storedBytes(), 64u) << "what the pipe's first read left unused was kept";
}

} // namespace
} // namespace Quorvane
