// Rows of a table compared on one field: the field rules, the key made from a field under each
// mode, the operations on rows, and how the key column is chosen.
#include "tests/support/ListTexts.h"
#include "tests/support/UnexpectedErrors.h"
#include "tests/reference/OperationPairs.h"

#include "engine/Counting.h"
#include "engine/KeyColumn.h"
#include "engine/Operations.h"

#include <gtest/gtest.h>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

using Texts = std::vector<std::string>;

KeyField column(std::size_t number, char delimiter = ',')
{
    return {number, delimiter};
}

MatchMode onColumn(std::size_t number, MatchMode mode = {})
{
    mode.field = column(number);
    return mode;
}

TEST(KeyField, FieldsOfRows)
{
    struct Case
    {
        std::string row;
        std::size_t column;
        std::optional<std::string> text;
    };
    const std::vector<Case> cases = {
        {"a,b,c", 2, "b"},
        {"a,b,c", 3, "c"},
        {"a,b,c", 4, {}},
        {"a,,c", 2, ""},
        {"a,", 2, ""},
        {"", 1, ""},
        {"", 2, {}},
        {"\"x,y\",z", 1, "x,y"},
        {"\"x,y\",z", 2, "z"},
        {"\"say \"\"hi\"\"\",z", 1, "say \"hi\""},
        {"\"two\r\nlines\",z", 1, "two\r\nlines"},
        {"\"\",z", 1, ""},
        {"\"open", 1, "open"},
        {"\"a\"b,c", 1, "ab"},
        {"5\" screen,c", 1, "5\" screen"},
        {"a,\"b\"", 2, "b"},
        // Long rows, read sixteen bytes at a time: fields on both sides of those steps.
        {"first-field-0123,second,third", 2, "second"},
        {"first-field-012,second,third", 3, "third"},
        {"0123456789abcdef", 1, "0123456789abcdef"},
        {"0123456789abcdef", 2, {}},
        {"0123456789abcde,", 2, ""},
        {"a-long-first-field,\"quoted, after sixteen\",key", 3, "key"},
        {"a-long-first-field,b,\"quoted \"\"key\"\"\",tail", 3, "quoted \"key\""},
        {"a-long-first-field,b\"c,d", 2, "b\"c"},
    };
    for (const Case &test : cases) {
        std::string scratch;
        const std::optional<std::string_view> text = fieldText(test.row, column(test.column), scratch);
        EXPECT_EQ(text ? std::optional<std::string>(*text) : std::nullopt, test.text) << test.row << " #" << test.column;
    }
    EXPECT_EQ(fieldTexts("a\t\"b\tc\"\t", '\t'), (Texts{"a", "b\tc", ""}));
}

TEST(KeyField, QuotesOnlyWhereNeededAndRewritesOneField)
{
    EXPECT_EQ(quotedField("a@x.org", ','), "a@x.org");
    EXPECT_EQ(quotedField("a;b", ','), "a;b");
    EXPECT_EQ(quotedField("a;b", ';'), "\"a;b\"");
    EXPECT_EQ(quotedField("say \"hi\"", ','), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(quotedField("a\nb", '\t'), "\"a\nb\"");
    EXPECT_EQ(rowWithField("Ann,\" A@X.org \",\"x,y\"", column(2), "a@x.org"), "Ann,a@x.org,\"x,y\"");
    EXPECT_EQ(rowWithField("Ann", column(2), "a@x.org"), "Ann");
}

TEST(KeyField, ModesApplyToTheField)
{
    MatchMode email;
    email.email = true;
    struct Case
    {
        MatchMode mode;
        std::string row;
        std::string key;
    };
    const std::vector<Case> cases = {
        {onColumn(2), "Ann,A@x.org,x", "A@x.org"},
        {onColumn(2, email), "Ann,\"Ann <A@X.org>\",x", "a@x.org"},
        {onColumn(2, {.trim = true}), "Ann,\"  a\"\"b  \",x", "a\"b"},
        {onColumn(3, email), "Ann,a@x.org", ""},
    };
    for (const Case &test : cases) {
        KeyMaker keys(test.mode);
        EXPECT_EQ(keys.keyOf(test.row), test.key) << test.row;
        EXPECT_FALSE(test.mode.isExact());
    }
    // A key trimmed out of an unquoted field lies inside the maker's buffer, not at its start.
    KeyMaker keys(onColumn(1, {.trim = true}));
    EXPECT_TRUE(keys.isScratch(keys.keyOf("\"  a\"\"b\"")));
}

// Rows compared on their fields, each list on its own column: every operation keeps whole rows.
TEST(KeyField, OperationsKeepWholeRows)
{
    MatchMode mode = onColumn(2, {.ignoreCase = true});
    mode.otherField = column(1, ';');
    const Texts rows = {"Ann,a@x.org,1", "Bob,\"B@x.org\",2", "ann,A@X.ORG,3", "short", "Cy,c@x.org,4", "x"};
    const Texts unsubscribed = {"b@x.org;2024", "\"C@X.org\";2023"};
    struct Case
    {
        const char *operation;
        std::string text;
        Texts kept;
    };
    const std::vector<Case> cases = {
        {"RemoveDupesExceptFirst", {}, {"Ann,a@x.org,1", "Bob,\"B@x.org\",2", "short", "Cy,c@x.org,4"}},
        {"RemoveDupesAll", {}, {"Bob,\"B@x.org\",2", "ann,A@X.ORG,3", "Cy,c@x.org,4", "x"}},
        {"SubtractSecondListFromFirstList", {}, {"Ann,a@x.org,1", "ann,A@X.ORG,3", "short", "x"}},
        {"KeepOnlyMatchesInList", {}, {"Bob,\"B@x.org\",2", "Cy,c@x.org,4"}},
        {"RemoveItemsWith", "ANN", {"Ann,a@x.org,1", "Bob,\"B@x.org\",2", "ann,A@X.ORG,3", "short", "Cy,c@x.org,4", "x"}},
        {"RemoveItemsWith", "b@", {"Ann,a@x.org,1", "ann,A@X.ORG,3", "short", "Cy,c@x.org,4", "x"}},
    };
    for (const Case &test : cases) {
        ItemList list = listOf(rows);
        Reference::operationPair(test.operation).engine(list, listOf(unsubscribed), test.text, quietHost(), mode);
        EXPECT_EQ(textsOf(list), test.kept) << test.operation << " " << test.text;
    }

    ItemList list = listOf(rows);
    NullProgress progress;
    const ListCounts counts = countItems(list, listOf(unsubscribed), mode, progress);
    EXPECT_EQ(counts.blanks, 2u);
    EXPECT_EQ(counts.distinct, 4u);
    EXPECT_EQ(counts.shared, 2u);

    MatchMode trim = onColumn(2, {.trim = true});
    ItemList normalized = listOf({"Ann, a@x.org ,1", "\"A,B\",\"  \"\"q\"\" \"", "short"});
    replaceByKeys(normalized, trim);
    EXPECT_EQ(textsOf(normalized), (Texts{"Ann,a@x.org,1", "\"A,B\",\"\"\"q\"\"\"", "short"}));
}

TEST(KeyColumn, NamedByHeaderOrNumber)
{
    const Texts names = {"First Name", "Email Address", "2", " city "};
    EXPECT_EQ(columnNamed(names, "Email Address"), 2u);
    EXPECT_EQ(columnNamed(names, "email address"), 2u);
    EXPECT_EQ(columnNamed(names, "CITY"), 4u);
    EXPECT_EQ(columnNamed(names, "2"), 3u);
    EXPECT_EQ(columnNamed(names, "4"), 4u);
    EXPECT_EQ(columnNamed(names, "5"), std::nullopt);
    EXPECT_EQ(columnNamed(names, "0"), std::nullopt);
    EXPECT_EQ(columnNamed(names, "Phone"), std::nullopt);
    EXPECT_EQ(columnNamed({}, "7"), 7u);
}

TEST(KeyColumn, FoundWhereTheValuesLookLikeAddresses)
{
    const std::vector<std::string_view> rows = {"Ann,ann at x,\"Ann <a@x.org>\",b@y",
                                                "Bob,bob@x.org,b@x.org,",
                                                "Cy,,c@x.org,c@x.org"};
    EXPECT_EQ(mostAddressLikeColumn(rows, ','), 3u);
    EXPECT_EQ(mostAddressLikeColumn(std::vector<std::string_view>{"a;b", "c;d"}, ';'), std::nullopt);
}

} // namespace
