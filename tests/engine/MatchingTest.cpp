// The keys items compare by under each mode, what the operations keep under them, the removed
// items they hand over, and the text search's time on long texts.
#include "tests/support/ListTexts.h"
#include "tests/support/UnexpectedErrors.h"
#include "tests/reference/OperationPairs.h"

#include "engine/Matching.h"
#include "engine/Operations.h"
#include "engine/TextSearch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

using Texts = std::vector<std::string>;

constexpr MatchMode kIgnoreCase{true, false, false};
constexpr MatchMode kTrim{false, true, false};
constexpr MatchMode kEmail{false, false, true};
constexpr MatchMode kIgnoreCaseAndTrim{true, true, false};

struct KeyCase
{
    const char *what;
    MatchMode mode;
    std::string text;
    std::string key;
};

} // namespace

TEST(MatchKey, EachModeMakesTheComparableForm)
{
    const std::vector<KeyCase> cases = {
        {"exact keeps every byte", {}, " Ann@X.org\r", " Ann@X.org\r"},
        {"ASCII case", kIgnoreCase, "Ann@Example.COM", "ann@example.com"},
        {"last byte of the first eight", kIgnoreCase, "abcdefgZ@x.org", "abcdefgz@x.org"},
        {"first byte of the second eight", kIgnoreCase, "abcdefghA@x.org", "abcdefgha@x.org"},
        {"A and Z only", kIgnoreCase, "@@@@@@@A[[[[[[[Z", "@@@@@@@a[[[[[[[z"},
        {"full folding", kIgnoreCase, "STRASSE Stra\xC3\x9F" "e", "strasse strasse"},
        {"Greek and accents", kIgnoreCase, "\xCE\xA3\xC3\x89", "\xCF\x83\xC3\xA9"},
        {"Latin-1 folds as shown, in UTF-8", kIgnoreCase, "CAF\xC9", "caf\xC3\xA9"},
        {"ignore case keeps spaces", kIgnoreCase, " A ", " a "},
        {"ASCII spaces", kTrim, " \t\r\n\v\fa b\t ", "a b"},
        {"Unicode spaces", kTrim, "\xC2\xA0\xE2\x80\x8B\xEF\xBB\xBF" "a\xE3\x80\x80\xE2\x80\x89", "a"},
        {"Latin-1 no-break space", kTrim, "\xA0" "caf\xE9\xA0", "caf\xE9"},
        {"trim keeps case", kTrim, " A ", "A"},
        {"all space", kTrim, " \xC2\xA0 ", ""},
        {"a lone lead byte is not a space", kTrim, "a\xE2\x80", "a\xE2\x80"},
        {"both", kIgnoreCaseAndTrim, " A\xC2\xA0", "a"},
        {"display name", kEmail, "Ann <ANN@X.org>", "ann@x.org"},
        {"quoted display name", kEmail, "\"Smith, Ann\" <ann@x.org> ", "ann@x.org"},
        {"angle brackets", kEmail, "< ann@x.org >", "ann@x.org"},
        {"quotes", kEmail, "'Ann@X.org'", "ann@x.org"},
        {"mailto in any case", kEmail, " MailTo:Ann@X.org", "ann@x.org"},
        {"mailto inside brackets", kEmail, "Ann <mailto:ann@x.org>", "ann@x.org"},
        {"a bare address", kEmail, "\xC2\xA0" "ann@x.org\t", "ann@x.org"},
        {"unmatched quote stays", kEmail, "\"ann@x.org", "\"ann@x.org"},
        {"empty brackets", kEmail, "Ann <>", ""},
    };
    for (const KeyCase &test : cases)
        EXPECT_EQ(matchKey(test.text, test.mode), test.key) << test.what;
}

// Every Unicode space separator, the no-break, zero-width and byte-order-mark spaces, as UTF-8.
TEST(MatchKey, EveryWideSpaceIsTrimmed)
{
    const std::vector<std::string> spaces = {
        "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84",
        "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A",
        "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80", "\xC2\xA0",     "\xE2\x80\x8B", "\xEF\xBB\xBF",
    };
    for (const std::string &space : spaces)
        EXPECT_EQ(matchKey(space + "a@x.org" + space, kTrim), "a@x.org") << testing::PrintToString(space);
}

TEST(MatchKey, ValidUtf8IsToldFromOtherBytes)
{
    for (const char *valid : {"", "ascii only text", "caf\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(isValidUtf8(valid)) << describe({valid});
    for (const char *invalid : {"caf\xE9", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3",
                                "abcdefgh\xFF", "\x80"})
        EXPECT_FALSE(isValidUtf8(invalid)) << describe({invalid});
}

TEST(MatchingModes, OperationsKeepTheOriginalTextOfTheCopyTheyKeep)
{
    const OperationHost host = quietHost();
    const Texts texts = {"Ann <ANN@x.org>", "bob@x.org", "ann@x.org ", "mailto:BOB@X.ORG", "carl@x.org"};

    ItemList first = listOf(texts);
    RemoveDupesExceptFirst(first, host, kEmail);
    EXPECT_EQ(textsOf(first), (Texts{"Ann <ANN@x.org>", "bob@x.org", "carl@x.org"}));

    ItemList last = listOf(texts);
    RemoveDupesAll(last, host, kEmail);
    EXPECT_EQ(textsOf(last), (Texts{"ann@x.org ", "mailto:BOB@X.ORG", "carl@x.org"}));

    ItemList subtracted = listOf(texts);
    SubtractSecondListFromFirstList(subtracted, listOf({"ANN@X.ORG"}), host, kIgnoreCase);
    EXPECT_EQ(textsOf(subtracted), (Texts{"Ann <ANN@x.org>", "bob@x.org", "ann@x.org ", "mailto:BOB@X.ORG", "carl@x.org"}));
    SubtractSecondListFromFirstList(subtracted, listOf({" ANN@X.ORG\xC2\xA0"}), host, kIgnoreCaseAndTrim);
    EXPECT_EQ(textsOf(subtracted), (Texts{"Ann <ANN@x.org>", "bob@x.org", "mailto:BOB@X.ORG", "carl@x.org"}));

    ItemList kept = listOf(texts);
    KeepOnlyMatchesInList(kept, listOf({"bob@x.org"}), host, kEmail);
    EXPECT_EQ(textsOf(kept), (Texts{"bob@x.org", "mailto:BOB@X.ORG"}));
}

TEST(MatchingModes, FiltersFoldCaseOnlyWhenTheModeFoldsIt)
{
    const OperationHost host = quietHost();
    const Texts texts = {"caf\xE9", "CAF\xC3\x89", "Caf\xC3\xA9 ", "cafe"};
    const auto with = [&](const std::string &part, const MatchMode &mode) {
        ItemList list = listOf(texts);
        RemoveItemsWith(list, part, host, mode);
        return textsOf(list);
    };
    EXPECT_EQ(with("\xC3\xA9", {}), (Texts{"caf\xE9", "CAF\xC3\x89", "cafe"}));
    // A Latin-1 item shown as "café" is matched by a typed "É" once case is ignored.
    EXPECT_EQ(with("\xC3\x89", kIgnoreCase), Texts{"cafe"});
    EXPECT_EQ(with("\xC3\x89", kEmail), Texts{"cafe"});
    EXPECT_EQ(with("\xC3\x89", kTrim), (Texts{"caf\xE9", "Caf\xC3\xA9 ", "cafe"}));

    ItemList list = listOf(texts);
    RemoveItemsWithout(list, "CAF", host, kIgnoreCase);
    EXPECT_EQ(textsOf(list), texts);
}

TEST(RemovedItems, EveryOperationHandsOverWhatItRemovesInListOrder)
{
    const Texts texts = {"a", "", "b", "a", "ab", "", "b", "c"};
    const ItemList other = listOf({"b", "z"});
    struct Expected
    {
        const char *name;
        std::string text;
        Texts removed;
    };
    const std::vector<Expected> cases = {
        {"RemoveDupesExceptFirst", "", {"a", "", "b"}},
        {"RemoveDupesAll", "", {"a", "", "b"}},
        {"RemoveBlanksFromList", "", {"", ""}},
        {"RemoveItemsWith", "b", {"b", "ab", "b"}},
        {"RemoveItemsWithout", "a", {"", "b", "", "b", "c"}},
        {"SubtractSecondListFromFirstList", "", {"b", "b"}},
        {"KeepOnlyMatchesInList", "", {"a", "", "a", "ab", "", "c"}},
    };
    for (const Expected &test : cases) {
        ItemList list = listOf(texts);
        ItemList removed = listOf({"earlier"});
        Reference::operationPair(test.name).engine(list, other, test.text, quietHost(&removed), {});
        Texts expected = {"earlier"};
        expected.insert(expected.end(), test.removed.begin(), test.removed.end());
        EXPECT_EQ(textsOf(removed), expected) << test.name;
        EXPECT_EQ(list.count() + test.removed.size(), texts.size()) << test.name;
    }
}

// The search through long texts agrees with the standard one wherever the part lies: in the
// sixteen-byte steps, in the bytes after the last of them, overlapping an earlier near miss.
TEST(TextSearch, ShortPartsAreFoundWhereTheStandardSearchFindsThem)
{
    std::mt19937 random(5);
    for (int round = 0; round < 20000; ++round) {
        std::string haystack(random() % 70, 'a');
        for (char &byte : haystack)
            byte = "ab\n"[random() % 3];
        std::string part(1 + random() % (round % 2 == 0 ? 4 : TextSearch::kShortPart), 'a');
        for (char &byte : part)
            byte = "ab"[random() % 2];
        if (random() % 2 == 0 && haystack.size() >= part.size())
            haystack.replace(random() % (haystack.size() - part.size() + 1), part.size(), part);
        ASSERT_EQ(findShortPart(haystack, part), std::string_view(haystack).find(part))
            << "'" << part << "' in '" << haystack << "'";
    }
}

// A text search that compares from every place of the item afresh takes the item's length
// times the text's: here about 10^11 byte comparisons, minutes instead of milliseconds.
TEST(TextSearch, LongTextsAreFoundInLinearTime)
{
    const std::string part = std::string(200000, 'a') + "b";
    const std::string miss(1 << 22, 'a');
    const std::string hit = miss + part;
    const OperationHost host = quietHost();
    const auto start = std::chrono::steady_clock::now();
    for (const MatchMode &mode : {MatchMode{}, kIgnoreCase}) {
        ItemList list = listOf({miss, hit, miss});
        RemoveItemsWith(list, part, host, mode);
        EXPECT_EQ(list.count(), 2u);
        RemoveItemsWithout(list, part, host, mode);
        EXPECT_EQ(list.count(), 0u);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
