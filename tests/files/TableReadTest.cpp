#include "files/ListFileError.h"
#include "files/ListStreamReader.h"
#include "files/TableReader.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace std::string_literals;

namespace Quorvane {
namespace {

using Samples::textsOf;

Table readTable(std::string_view bytes, const TableOptions &options = {})
{
    auto block = std::make_unique<ByteBlock>(bytes.size());
    if (!bytes.empty())
        std::memcpy(block->data(), bytes.data(), bytes.size());
    return tableOf(parseListBytes(std::move(block)), options, "contacts.csv");
}

struct TableCase
{
    const char *name;
    std::string bytes;
    char delimiter;
    std::optional<std::string> header;
    std::vector<std::string> columnNames;
    std::vector<std::string> rows;
};

void PrintTo(const TableCase &tableCase, std::ostream *out)
{
    *out << tableCase.name;
}

class TableRows : public testing::TestWithParam<TableCase>
{};

TEST_P(TableRows, KeepEveryRowsExactBytes)
{
    const TableCase &expected = GetParam();
    const Table table = readTable(expected.bytes);
    EXPECT_EQ(table.delimiter, expected.delimiter);
    EXPECT_EQ(table.header, expected.header);
    EXPECT_EQ(table.columnNames, expected.columnNames);
    EXPECT_EQ(textsOf(table.contents.list), expected.rows);
}

INSTANTIATE_TEST_SUITE_P(
    TableReader, TableRows,
    testing::Values(
        TableCase{"Empty", "", ',', {}, {}, {}},
        TableCase{"HeaderOnly", "Name,Email\r\n", ',', "Name,Email", {"Name", "Email"}, {}},
        TableCase{"NoFinalRowEnd", "n,e\nAnn,a@x.org", ',', "n,e", {"n", "e"}, {"Ann,a@x.org"}},
        TableCase{"QuotedHeaderNames", "\"Full, Name\",\"Say \"\"hi\"\"\"\n", ',',
                  "\"Full, Name\",\"Say \"\"hi\"\"\"", {"Full, Name", "Say \"hi\""}, {}},
        TableCase{"LineEndsInQuotesStayInTheRow", "n,e\n\"Ann\r\nLee\",a@x.org\n\"x\ny\nz\",b@x.org\n", ',', "n,e",
                  {"n", "e"}, {"\"Ann\r\nLee\",a@x.org", "\"x\ny\nz\",b@x.org"}},
        TableCase{"DelimitersAndDoubledQuotesInQuotes", "n,e\n\"a,\"\"b\"\"\nc\",d\n", ',', "n,e", {"n", "e"},
                  {"\"a,\"\"b\"\"\nc\",d"}},
        TableCase{"QuotedFieldsOpenAfterEveryKindOfLineEnd", "n,e\r\"a\rb\",c\r\n\"d\",e\n\"f\r\ng\",h", ',', "n,e",
                  {"n", "e"}, {"\"a\rb\",c", "\"d\",e", "\"f\r\ng\",h"}},
        TableCase{"QuotesPastSixteenBytes",
                  "name,email\nsomeone-with-long,\"field with \"\"doubled\"\" quotes\nover two lines\",a@x.org\n"
                  "plain-long-row-0123,b@x.org\n",
                  ',', "name,email", {"name", "email"},
                  {"someone-with-long,\"field with \"\"doubled\"\" quotes\nover two lines\",a@x.org",
                   "plain-long-row-0123,b@x.org"}},
        TableCase{"EmptyFieldsAndRaggedRows", "a,b,c\n,,\nx\n\ny,z,w,v\n", ',', "a,b,c", {"a", "b", "c"},
                  {",,", "x", "", "y,z,w,v"}},
        TableCase{"QuoteInsideAnUnquotedFieldIsText", "n,e\n5\" screen,a@x.org\nb,c\n", ',', "n,e", {"n", "e"},
                  {"5\" screen,a@x.org", "b,c"}},
        TableCase{"SemicolonsDetected", "Name;E-Mail;City\nAnn;a@x.org;Köln\n", ';', "Name;E-Mail;City",
                  {"Name", "E-Mail", "City"}, {"Ann;a@x.org;Köln"}},
        TableCase{"TabsDetected", "n\te\nAnn\ta@x.org\n", '\t', "n\te", {"n", "e"}, {"Ann\ta@x.org"}},
        TableCase{"BarsDetected", "n|e|c\na|b|c\n", '|', "n|e|c", {"n", "e", "c"}, {"a|b|c"}},
        TableCase{"DelimitersInQuotesDoNotCount", "\"a;b;c\",d\n", ',', "\"a;b;c\",d", {"a;b;c", "d"}, {}},
        TableCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFn,e\r\nAnn,a@x.org\r\n", ',', "n,e", {"n", "e"},
                  {"Ann,a@x.org"}},
        TableCase{"Utf16TabText", "\xFF\xFEn\0\t\0e\0\r\0\n\0A\0\t\0a\0@\0x\0\r\0\n\0"s, '\t', "n\te", {"n", "e"},
                  {"A\ta@x"}}));

TEST(TableReader, TakesTheGivenDelimiterAndNoHeader)
{
    const Table table = readTable("a;b,c\nd;e,f\n", {.delimiter = ';', .hasHeader = false});
    EXPECT_EQ(table.delimiter, ';');
    EXPECT_FALSE(table.header);
    EXPECT_EQ(table.firstRowNumber(), 1u);
    EXPECT_EQ(textsOf(table.contents.list), (std::vector<std::string>{"a;b,c", "d;e,f"}));
    EXPECT_EQ(readTable("a b\n", {.usualDelimiter = '\t'}).delimiter, '\t');
}

TEST(TableReader, NamesTheFileAndRowOfAnUnterminatedQuote)
{
    try {
        readTable("n,e\nAnn,a@x.org\n\"Bob\nLee,b@x.org\n");
        FAIL() << "read a table whose quote never closes";
    } catch (const ListFileError &error) {
        EXPECT_EQ(error.fileName(), "contacts.csv");
        EXPECT_EQ(error.reason(), "the quoted field in row 3 (line 3) has no closing quote");
    }
}

// A long table is searched for its first line that ends inside quotes on both cores: an open
// line in the first half is found first, one in the second half only when the first has none.
TEST(TableReader, LongTablesJoinTheLinesOfAQuotedFieldWhereverItOpens)
{
    constexpr std::size_t kLines = 300'000;
    for (const std::vector<std::size_t> &opening : {std::vector<std::size_t>{250'000}, {1'000, 250'000}}) {
        std::string bytes = "n,e\n";
        for (std::size_t line = 1; line <= kLines; ++line) {
            const bool opens = std::find(opening.begin(), opening.end(), line) != opening.end();
            bytes += opens ? "\"first\nsecond\",x\n" : "a,b\n";
        }
        const Table table = readTable(bytes);
        ASSERT_EQ(table.contents.list.count(), kLines) << opening.size();
        for (const std::size_t line : opening)
            EXPECT_EQ(table.contents.list.text(line - 1), "\"first\nsecond\",x");
        EXPECT_EQ(table.contents.list.text(kLines - 1), "a,b");
    }
}

TEST(TableReader, RowsWrittenBackGiveTheInputBytes)
{
    for (const std::string &bytes : {"n,e\r\n\"A\r\nB\",\"x\"\"y\"\r\n,\r\nlast,\"\"\r\n"s,
                                    "Name;Mail\n\"a;b\";c\n\n  spaced ; \"q\"\n"s}) {
        const Table table = readTable(bytes);
        const std::string_view end = lineEndBytes(table.contents.format.firstLineEnd);
        std::string written = *table.header + std::string(end);
        for (const std::string_view row : table.contents.list.texts())
            written += std::string(row) + std::string(end);
        EXPECT_EQ(written, bytes);
    }
}

// Read in batches of any size, for lists larger than memory, a table gives the rows of a whole
// read: a quoted field that spans lines, and a CR LF, may meet a batch's end anywhere.
TEST(TableReader, BatchesEndAtRowEnds)
{
    const std::string bytes = "n,e\r\n\"A\r\nB\",a@x\r\n\"x\"\"\ny\",\"b\nc\"\r\n,\r\n\"\"\"long quoted field\"\"\",z\r\nlast,\"\"";
    Testing::TemporaryFolder folder;
    const std::string path = folder.file("t.csv", bytes);
    const std::vector<std::string> whole = textsOf(readTable(bytes, {.hasHeader = false}).contents.list);
    for (std::size_t batchBytes = 16; batchBytes < 48; ++batchBytes) {
        ListStreamReader reader(path, Readable::AnySource, batchBytes);
        reader.readRows(',');
        std::vector<std::string> rows;
        while (!reader.atEnd()) {
            const ItemList batch = reader.nextBatch();
            for (const std::string_view row : batch.texts())
                rows.emplace_back(row);
        }
        EXPECT_EQ(rows, whole) << batchBytes << " bytes a batch";
    }
    ListStreamReader unterminated(folder.file("u.csv", "a\n\"b\nc\nd\n"), Readable::AnySource, 16);
    unterminated.readRows(',');
    EXPECT_THROW(while (!unterminated.atEnd()) unterminated.nextBatch(), ListFileError);
}

} // namespace
} // namespace Quorvane
