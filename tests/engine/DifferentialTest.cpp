// Holds every operation of the engine to the step-by-step reference on thousands of small
// random lists, under every combination of matching modes, built to hit the cases that break
// matching: blanks, letter-case variants, leading and trailing spaces of every kind, display
// names, quotes, "mailto:", NUL, invalid UTF-8 read as Latin-1, and many repeats.
#include "tests/support/ListTexts.h"
#include "tests/support/UnexpectedErrors.h"
#include "tests/reference/OperationPairs.h"
#include "tests/reference/ReferenceKeys.h"

#include "engine/Counting.h"
#include "engine/Overlap.h"
#include "engine/TextPartitions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <random>
#include <set>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

constexpr int kCasesPerOperation = 4000;
constexpr int kCasesPerMode = 1500;
constexpr unsigned kStartValue = 20261208;

class RandomLists
{
public:
    explicit RandomLists(unsigned startValue)
        : m_random(startValue)
    {}

    std::string text()
    {
        static const std::vector<std::string> pieces = {
            "a", "b", "A", "B", " ", "", std::string(1, '\0'), "\xC3\xA9", "\xC3\x89", "\xFF", "ab", "@x.com",
            "\xE9", "\xC9", "\xC3\x9F", "SS", "<", ">", "\"", "\xC2\xA0", "\xA0",
            // several addresses, international domains, composed forms and provider aliases
            ",", ";", ".", "+t", "@xn--bcher-kva.de", "@B\xC3\x9C" "CHER.de", "@stra\xC3\x9F" "e.de", "@XN--ZZ",
            "\xE1\xBA\x9E", "e\xCC\x81", "@gmail.com", "@GoogleMail.com", "@proton.me",
        };
        std::string text;
        for (int count = below(4); count > 0; --count)
            text += pieces[below(static_cast<int>(pieces.size()))];
        return text;
    }

    // The text as people also write it: in other letter case, with spaces around it, as a
    // display name's address or behind "mailto:".
    std::string variant(const std::string &text)
    {
        static const std::vector<std::string> spaces = {" ", "\t", "\r", "\xC2\xA0", "\xE2\x80\x8B",
                                                        "\xEF\xBB\xBF", "\xE3\x80\x80", "\xA0"};
        std::string result;
        for (const char c : text)
            result += below(3) == 0 && c >= 'a' && c <= 'z' ? char(c - 32) : below(3) == 0 && c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        switch (below(6)) {
        case 0: result = "Ann <" + result + ">"; break;
        case 1: result = (below(2) ? "mailto:" : "MailTo: ") + result; break;
        case 2: result = "\"" + result + "\""; break;
        case 3: result = "<" + result + ">"; break;
        default: break;
        }
        if (below(2) == 0)
            result = spaces[below(static_cast<int>(spaces.size()))] + result;
        if (below(2) == 0)
            result += spaces[below(static_cast<int>(spaces.size()))];
        return result;
    }

    // Most items come from a small pool of texts, so repeats and cross-list matches are common.
    // count items, of which about poolShare in ten come from the pool, some of them as variants.
    std::vector<std::string> list(const std::vector<std::string> &pool, int count, int poolShare)
    {
        std::vector<std::string> items;
        for (; count > 0; --count) {
            if (below(10) >= poolShare)
                items.push_back(text());
            else if (below(3) == 0)
                items.push_back(variant(pool[below(static_cast<int>(pool.size()))]));
            else
                items.push_back(pool[below(static_cast<int>(pool.size()))]);
        }
        return items;
    }

    std::vector<std::string> shortList(const std::vector<std::string> &pool) { return list(pool, below(25), 7); }

    std::vector<std::string> pool(int count)
    {
        std::vector<std::string> pool;
        for (; count > 0; --count)
            pool.push_back(text() + std::to_string(below(count)));
        return pool;
    }

    std::vector<std::string> shortPool()
    {
        std::vector<std::string> pool;
        for (int count = 1 + below(6); count > 0; --count)
            pool.push_back(text());
        return pool;
    }

    // A row of a table with text in field's column, quoted when it must be and now and then when
    // it need not; now and then a row too short to have that column.
    std::string row(const std::string &text, const KeyField &field)
    {
        if (below(12) == 0)
            return this->text();
        std::string row;
        const std::size_t columns = field.column + static_cast<std::size_t>(below(2));
        for (std::size_t column = 1; column <= columns; ++column) {
            const std::string value = column == field.column ? text : this->text();
            if (column > 1)
                row += field.delimiter;
            if (below(4) == 0 || value.find_first_of(std::string{field.delimiter, '"', '\r', '\n'}) != std::string::npos)
                row += quoted(value);
            else
                row += value;
        }
        return row;
    }

    std::vector<std::string> rows(const std::vector<std::string> &texts, const KeyField &field)
    {
        std::vector<std::string> rows;
        for (const std::string &text : texts)
            rows.push_back(row(text, field));
        return rows;
    }

    // A non-empty string to search for, often a piece of one of the items.
    std::string needle(const std::vector<std::string> &items)
    {
        if (!items.empty() && below(2) == 0) {
            const std::string &item = items[below(static_cast<int>(items.size()))];
            if (!item.empty()) {
                const int start = below(static_cast<int>(item.size()));
                return item.substr(start, 1 + below(static_cast<int>(item.size()) - start));
            }
        }
        std::string needle;
        while (needle.empty())
            needle = text();
        return needle;
    }

    // The texts made into patterns of every shape: domains, local parts, stars and question
    // marks in place of bytes, comments; some stay plain.
    std::vector<std::string> asPatterns(std::vector<std::string> texts)
    {
        for (std::string &text : texts) {
            for (char &c : text)
                c = below(4) == 0 ? "*?"[below(2)] : c;
            static const std::vector<std::string> fronts = {"", "", "@", "@*.", "*", "#"};
            text = fronts[below(static_cast<int>(fronts.size()))] + text + (below(4) == 0 ? "@" : "");
        }
        return texts;
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

    static std::string quoted(const std::string &value)
    {
        std::string quoted = "\"";
        for (const char c : value)
            quoted += c == '"' ? "\"\"" : std::string(1, c);
        return quoted + '"';
    }

private:
    std::mt19937 m_random;
};

struct Input
{
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::string needle;
};

using Reference::OperationPair;

// Every combination of the three modes, exact first, then provider aliases alone and with all.
std::vector<MatchMode> allModes()
{
    std::vector<MatchMode> modes;
    for (int bits = 0; bits < 8; ++bits)
        modes.push_back({(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0});
    modes.push_back({.providerAliases = true});
    modes.push_back({.ignoreCase = true, .trim = true, .email = true, .providerAliases = true});
    return modes;
}

// The second list read as patterns, compared exactly and as addresses.
std::vector<MatchMode> patternModes()
{
    return {MatchMode{.otherIsPatterns = true}, MatchMode{.email = true, .otherIsPatterns = true}};
}

std::string nameOf(const MatchMode &mode)
{
    const std::string patterns = mode.otherIsPatterns ? "Patterns" : "";
    if (!mode.ignoreCase && !mode.trim && !mode.email && !mode.providerAliases)
        return "Exact" + patterns;
    return std::string(mode.ignoreCase ? "IgnoreCase" : "") + (mode.trim ? "Trim" : "") + (mode.email ? "Email" : "")
        + (mode.providerAliases ? "ProviderAliases" : "") + patterns;
}

std::string describe(const Input &input)
{
    return "first = " + Samples::describe(input.first) + "\nsecond = " + Samples::describe(input.second)
           + "\nstring = " + Samples::describe({input.needle});
}

} // namespace

// Found by argument-dependent lookup when a test's parameters are printed.
namespace Quorvane {
void PrintTo(const MatchMode &mode, std::ostream *out)
{
    *out << nameOf(mode);
}

namespace Reference {
void PrintTo(const OperationPair &pair, std::ostream *out)
{
    *out << pair.name;
}
} // namespace Reference
} // namespace Quorvane

namespace {

using Case = std::tuple<OperationPair, MatchMode>;

class Differential : public testing::TestWithParam<Case>
{};
class DifferentialOnLongLists : public testing::TestWithParam<Case>
{};
class DifferentialOnRows : public testing::TestWithParam<Case>
{};

// Partitions of both lists made before the operation, as the window keeps them: the first list's
// more finely than the operation groups them, the second's under other keys, so it must not serve.
struct EarlierKeys
{
    std::shared_ptr<const TextPartitions> first;
    std::shared_ptr<const TextPartitions> second;

    EarlierKeys(const ItemList &firstList, const ItemList &secondList, const MatchMode &mode)
    {
        NullProgress progress;
        ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
        MatchMode otherKeys = mode.forOtherList();
        otherKeys.ignoreCase = !otherKeys.ignoreCase;
        first = std::make_shared<const TextPartitions>(firstList.texts(), 64, pacer, mode);
        second = std::make_shared<const TextPartitions>(secondList.texts(), 64, pacer, otherKeys);
    }
};

// Runs both sides on the input, the engine once more with partitions made earlier when asked;
// on a difference, adds a failure that shows the input.
bool sameResult(const Case &testCase, const Input &input, int run, bool withEarlierKeys = false)
{
    const auto &[pairing, mode] = testCase;
    ItemList referenceFirst = listOf(input.first);
    const ItemList second = listOf(input.second);
    NullProgress referenceProgress;
    pairing.reference(referenceFirst, second, input.needle, referenceProgress, mode);
    const std::vector<std::string> expected = textsOf(referenceFirst);

    for (const bool earlierKeys : {false, true}) {
        if (earlierKeys && !withEarlierKeys)
            break;
        ItemList engineFirst = listOf(input.first);
        OperationHost host = quietHost();
        if (earlierKeys) {
            const EarlierKeys earlier(engineFirst, second, mode);
            host.ownKeys = earlier.first;
            host.otherKeys = earlier.second;
        }
        pairing.engine(engineFirst, second, input.needle, host, mode);
        const std::vector<std::string> actual = textsOf(engineFirst);
        if (actual != expected || textsOf(second) != input.second) {
            ADD_FAILURE() << "case " << run << (earlierKeys ? " with partitions made earlier" : "") << "\n"
                          << describe(input) << "\nexpected " << Samples::describe(expected) << "\nactual   "
                          << Samples::describe(actual) << "\nsecond after " << Samples::describe(textsOf(second));
            return false;
        }
    }
    return true;
}

TEST_P(Differential, ShortListsGiveTheReferenceResult)
{
    RandomLists random(kStartValue);
    const int cases = std::get<MatchMode>(GetParam()).isExact() ? kCasesPerOperation : kCasesPerMode;
    for (int run = 0; run < cases; ++run) {
        const std::vector<std::string> pool = random.shortPool();
        Input input;
        input.first = random.shortList(pool);
        input.second = random.shortList(pool);
        if (std::get<MatchMode>(GetParam()).otherIsPatterns)
            input.second = random.asPatterns(input.second);
        input.needle = random.needle(input.first);
        if (!sameResult(GetParam(), input, run))
            return;
    }
}

// Long enough to be spread over several hash partitions; the second list holds few copies,
// so the reference's collapse of matched positions stays affordable. Run again with partitions
// made earlier (EarlierKeys): those that serve give the same result, those that do not are unused.
TEST_P(DifferentialOnLongLists, ListsOverSeveralPartitionsGiveTheReferenceResult)
{
    RandomLists random(kStartValue + 1);
    const std::vector<std::string> pool = random.pool(600);
    Input input;
    input.first = random.list(pool, 25000, 7);
    input.second = random.list(pool, 300, 9);
    input.needle = random.needle(input.first);
    sameResult(GetParam(), input, 0, true);
}

// Rows of tables, each list compared on its own column with its own delimiter.
TEST_P(DifferentialOnRows, RowsGiveTheReferenceResult)
{
    RandomLists random(kStartValue + 3);
    const MatchMode &mode = std::get<MatchMode>(GetParam());
    for (int run = 0; run < kCasesPerMode; ++run) {
        const std::vector<std::string> pool = random.shortPool();
        Input input;
        input.first = random.rows(random.shortList(pool), mode.field);
        input.second = random.rows(random.shortList(pool), mode.otherField);
        input.needle = random.needle(input.first);
        if (!sameResult(GetParam(), input, run))
            return;
    }
}

// Counts under every mode agree with sets of the reference's keys.
TEST(DifferentialCounting, CountsAgreeWithSetsOfTheReferenceKeys)
{
    RandomLists random(kStartValue + 2);
    for (const MatchMode &mode : allModes()) {
        for (int run = 0; run < kCasesPerMode; ++run) {
            const std::vector<std::string> pool = random.shortPool();
            const std::vector<std::string> texts = random.shortList(pool);
            const std::vector<std::string> others = random.shortList(pool);
            std::set<std::string> keys;
            std::size_t blanks = 0;
            for (const std::string &text : texts) {
                keys.insert(Reference::keyOf(text, mode));
                blanks += Reference::keyOf(text, mode).empty() ? 1 : 0;
            }
            std::set<std::string> otherKeys;
            for (const std::string &text : others)
                otherKeys.insert(Reference::keyOf(text, mode));
            std::size_t shared = 0;
            for (const std::string &key : keys)
                shared += otherKeys.contains(key) ? 1 : 0;

            NullProgress progress;
            const ListCounts alone = countItems(listOf(texts), mode, progress);
            const ListCounts counts = countItems(listOf(texts), listOf(others), mode, progress);
            const std::vector<std::size_t> expected = {texts.size(), blanks, keys.size(), texts.size() - keys.size(),
                                                       shared, keys.size() - shared, otherKeys.size() - shared};
            const std::vector<std::size_t> actual = {counts.items, counts.blanks, counts.distinct, counts.repeats,
                                                     counts.shared, counts.onlyInList, counts.onlyInOther};
            const std::vector<std::size_t> actualAlone = {alone.items, alone.blanks, alone.distinct, alone.repeats};
            ASSERT_EQ(actual, expected) << nameOf(mode) << " case " << run << "\n" << Samples::describe(texts) << "\n"
                                        << Samples::describe(others);
            ASSERT_EQ(actualAlone, std::vector<std::size_t>(expected.begin(), expected.begin() + 4));
        }
    }
}

// A byte that reading an address acts on counts wherever it stands in a line, also past the
// first sixteen bytes and in the last sixteen, which may overlap the ones before.
TEST(DifferentialKeys, EveryByteThatCountsIsSeenWhereverItStands)
{
    const std::vector<std::string> lines = {"ab@cd.efghij", "Ann.Lee@Example.org", "ann.lee+news@mail.example.org"};
    const std::vector<std::string> pieces = {" ", "\t", std::string(1, '\0'), "\"", "'", ":", "<", ">", ",", ";",
                                             "--", "xn--", "Q", "\xC3\xA9", "\xE9", "\xC2\xA0"};
    for (const MatchMode &mode : allModes()) {
        for (const std::string &line : lines) {
            for (const std::string &piece : pieces) {
                for (std::size_t at = 0; at <= line.size(); ++at) {
                    const std::string text = line.substr(0, at) + piece + line.substr(at);
                    ASSERT_EQ(matchKey(text, mode), Reference::keyOf(text, mode))
                        << nameOf(mode) << " " << Samples::describe({text});
                }
            }
        }
    }
}

// Which items of texts have a key that others have too, by the reference's keys.
std::vector<bool> sharedByReference(const std::vector<std::string> &texts, const std::vector<std::string> &others,
                                    const MatchMode &mode)
{
    std::set<std::string> otherKeys;
    for (const std::string &text : others)
        otherKeys.insert(Reference::keyOf(text, mode));
    std::vector<bool> shared;
    for (const std::string &text : texts)
        shared.push_back(otherKeys.contains(Reference::keyOf(text, mode)));
    return shared;
}

// The overlap of two lists, item by item, under every mode: short lists on one thread, and lists
// spread over several partitions on two.
TEST(DifferentialOverlap, EveryItemIsPlacedByTheReferenceKeys)
{
    RandomLists random(kStartValue + 3);
    for (const MatchMode &mode : allModes()) {
        for (int run = 0; run <= kCasesPerMode / 4; ++run) {
            const bool spread = run == 0;
            const std::vector<std::string> pool = spread ? random.pool(600) : random.shortPool();
            const std::vector<std::string> first = spread ? random.list(pool, 25000, 7) : random.shortList(pool);
            const std::vector<std::string> second = spread ? random.list(pool, 3000, 9) : random.shortList(pool);
            const std::vector<bool> firstShared = sharedByReference(first, second, mode);
            const std::vector<bool> secondShared = sharedByReference(second, first, mode);
            const auto inBoth = static_cast<std::size_t>(std::count(firstShared.begin(), firstShared.end(), true));
            const auto secondInFirst =
                static_cast<std::size_t>(std::count(secondShared.begin(), secondShared.end(), true));

            NullProgress progress;
            const ItemList firstList = listOf(first);
            const ItemList secondList = listOf(second);
            const Overlap overlap = findOverlap(firstList.texts(), secondList.texts(), mode, progress, spread ? 2 : 1);
            const OverlapCounts expected{first.size() - inBoth, inBoth, second.size() - secondInFirst};
            ASSERT_EQ(std::vector<bool>(overlap.firstShared.get(), overlap.firstShared.get() + first.size()), firstShared)
                << nameOf(mode) << " case " << run << "\n" << Samples::describe(first) << "\n" << Samples::describe(second);
            ASSERT_EQ(std::vector<bool>(overlap.secondShared.get(), overlap.secondShared.get() + second.size()),
                      secondShared);
            ASSERT_EQ(overlap.counts, expected);
        }
    }
}

std::string caseName(const testing::TestParamInfo<Case> &info)
{
    return std::string(std::get<OperationPair>(info.param).name) + "_" + nameOf(std::get<MatchMode>(info.param));
}

INSTANTIATE_TEST_SUITE_P(AllOperations, Differential,
                         testing::Combine(testing::ValuesIn(Reference::operationPairs()), testing::ValuesIn(allModes())), caseName);
INSTANTIATE_TEST_SUITE_P(Patterns, Differential,
                         testing::Combine(testing::ValuesIn(Reference::operationPairs()), testing::ValuesIn(patternModes())),
                         caseName);
// The reference is quadratic, so long lists run exact and under the mode that changes most.
INSTANTIATE_TEST_SUITE_P(AllOperations, DifferentialOnLongLists,
                         testing::Combine(testing::ValuesIn(Reference::operationPairs()), testing::Values(MatchMode{}, MatchMode{false, false, true})),
                         caseName);

// Each list on a column of its own: the second field of commas, the first of semicolons.
std::vector<MatchMode> rowModes()
{
    std::vector<MatchMode> modes = {MatchMode{}, MatchMode{true, false, false}, MatchMode{false, false, true}};
    for (MatchMode &mode : modes) {
        mode.field = {2, ','};
        mode.otherField = {1, ';'};
    }
    return modes;
}

INSTANTIATE_TEST_SUITE_P(AllOperations, DifferentialOnRows,
                         testing::Combine(testing::ValuesIn(Reference::operationPairs()), testing::ValuesIn(rowModes())),
                         caseName);

} // namespace
