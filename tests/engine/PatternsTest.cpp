// The other list read as patterns: each kind of pattern, the glob matcher against a plain
// definition and on patterns that make a backtracking matcher take exponential time, and the
// operations that read patterns.
#include "tests/support/ListTexts.h"
#include "tests/support/UnexpectedErrors.h"
#include "tests/reference/ReferencePatterns.h"

#include "engine/GlobPattern.h"
#include "engine/Operations.h"
#include "engine/PatternSet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

using Texts = std::vector<std::string>;

struct PatternCase
{
    const char *kind;
    std::string pattern;
    Texts matched;
    Texts unmatched;
};

} // namespace

TEST(Patterns, EachKindMatchesWhatItSays)
{
    const std::vector<PatternCase> cases = {
        {"plain address", "ann@x.org", {"ann@x.org"}, {"ann@x.org.au", "bob@x.org", "xann@x.org"}},
        {"domain", "@yahoo.com", {"bob@yahoo.com", "a@b@yahoo.com"}, {"bob@yahoo.com.au", "bob@my.yahoo.com", "yahoo.com"}},
        {"subdomains", "@*.example.com", {"a@x.example.com", "a@y.x.example.com"}, {"a@example.com", "a@xexample.com"}},
        {"local part", "info@", {"info@x.org", "info@"}, {"salesinfo@x.org", "info.x@y.org", "info"}},
        {"glob over the key", "*@*.ru", {"ivan@mail.ru", "@.ru"}, {"ivan@mail.rus", "ivan.ru"}},
        {"local-part glob", "info*@", {"info@x.org", "info2@y.net"}, {"salesinfo@x.org", "x@info.org"}},
        {"domain glob", "@mail?.*", {"a@mail1.com", "a@mails.co.uk"}, {"a@mail.com", "mail1.com@x.org"}},
        {"glob without an at", "*spam*", {"spammer@x.org", "a@nospam.org"}, {"spa@m.org"}},
        {"comment", "# info@", {}, {"# info@", "info@x.org"}},
        {"blank line", "", {}, {"", "@"}},
    };
    for (const PatternCase &test : cases) {
        const std::string_view line = test.pattern;
        const PatternSet patterns({&line, 1}, {});
        for (const std::string &key : test.matched)
            EXPECT_TRUE(patterns.matches(key)) << test.kind << ": " << key;
        for (const std::string &key : test.unmatched)
            EXPECT_FALSE(patterns.matches(key)) << test.kind << ": " << key;
    }
}

TEST(Patterns, GlobsMatchAsTheirDefinitionSays)
{
    std::mt19937 random(23);
    const auto textOf = [&](std::string_view alphabet, std::size_t most) {
        std::string text(random() % (most + 1), ' ');
        for (char &c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        // Pieces longer than one word of bits are scanned too.
        const std::string glob = round % 100 == 0 ? "*" + std::string(70, 'a') + "?*" : textOf("ab*?", 8);
        const std::string text = round % 100 == 0 ? std::string(60 + random() % 20, 'a') + textOf("ab", 12) : textOf("ab", 12);
        ASSERT_EQ(GlobPattern(glob).matches(text), Reference::globMatches(glob, text)) << glob << " on " << text;
    }
}

// A matcher that backtracks tries every way of sharing the text among the stars: here about
// 10^30 ways for each text.
TEST(Patterns, GlobsWithManyStarsTakeLinearTime)
{
    std::string manyStars = "*";
    for (int i = 0; i < 30; ++i)
        manyStars += "a*";
    const std::vector<std::string> globs = {manyStars + "b", manyStars + "?b*c", "*" + std::string(300, 'a') + "b*"};
    const std::string text(1 << 20, 'a');
    const auto start = std::chrono::steady_clock::now();
    for (const std::string &glob : globs) {
        EXPECT_FALSE(GlobPattern(glob).matches(text)) << glob.substr(0, 20);
        EXPECT_TRUE(GlobPattern(glob).matches(text + "b" + glob.substr(glob.size() - 1))) << glob.substr(0, 20);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Patterns, OperationsMatchTheComparedFormsAndKeepTheOriginals)
{
    const Texts items = {"Ann <ANN@X.org>", "bob@Yahoo.com.au", "INFO@y.org", "cid@sub.Z.org", "dan@z.org"};
    const ItemList patterns = listOf({"# role accounts", "Info@", "@*.z.org", " ann@x.org", ""});
    const MatchMode mode{.email = true, .otherIsPatterns = true};
    ItemList removed;
    ItemList subtracted = listOf(items);
    SubtractSecondListFromFirstList(subtracted, patterns, quietHost(&removed), mode);
    EXPECT_EQ(textsOf(subtracted), (Texts{"bob@Yahoo.com.au", "dan@z.org"}));
    EXPECT_EQ(textsOf(removed), (Texts{"Ann <ANN@X.org>", "INFO@y.org", "cid@sub.Z.org"}));

    ItemList kept = listOf(items);
    KeepOnlyMatchesInList(kept, PatternSet(patterns.texts(), mode), quietHost());
    EXPECT_EQ(textsOf(kept), textsOf(removed));
    // Without patterns the same lines are plain items: only the address matches.
    ItemList plain = listOf(items);
    SubtractSecondListFromFirstList(plain, patterns, quietHost(), MatchMode{.email = true});
    EXPECT_EQ(plain.count(), items.size() - 1);
}
