// Holds every operation of the engine to the step-by-step reference on thousands of small
// random lists, built to hit the cases that break exact matching: blanks, letter-case
// variants, leading and trailing spaces, NUL and non-ASCII bytes, and many repeats.
#include "ListSamples.h"
#include "ReferenceOperations.h"

#include "engine/Operations.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

constexpr int kCasesPerOperation = 4000;
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
            "a", "b", "A", "B", " ", "", std::string(1, '\0'), "\xC3\xA9", "\xFF", "ab", "@x.com",
        };
        std::string text;
        for (int count = below(4); count > 0; --count)
            text += pieces[below(static_cast<int>(pieces.size()))];
        return text;
    }

    // Most items come from a small pool of texts, so repeats and cross-list matches are common.
    // count items, of which about poolShare in ten come from the pool.
    std::vector<std::string> list(const std::vector<std::string> &pool, int count, int poolShare)
    {
        std::vector<std::string> items;
        for (; count > 0; --count)
            items.push_back(below(10) < poolShare ? pool[below(static_cast<int>(pool.size()))] : text());
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

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

private:
    std::mt19937 m_random;
};

struct Input
{
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::string needle;
};

using Operation = std::function<void(ItemList &first, const ItemList &second, const std::string &needle)>;

struct Pairing
{
    const char *name;
    Operation engine;
    Operation reference;
};

void PrintTo(const Pairing &pairing, std::ostream *out)
{
    *out << pairing.name;
}

OperationHost quietHost()
{
    static NullProgress progress;
    static UnexpectedErrors reporter;
    return {progress, reporter};
}

NullProgress &referenceProgress()
{
    static NullProgress progress;
    return progress;
}

const std::vector<Pairing> &pairings()
{
    static const std::vector<Pairing> all = {
        {"RemoveDupesExceptFirst",
         [](ItemList &l, const ItemList &, const std::string &) { RemoveDupesExceptFirst(l, quietHost()); },
         [](ItemList &l, const ItemList &, const std::string &) { Reference::RemoveDupesExceptFirst(l, referenceProgress()); }},
        {"RemoveDupesAll",
         [](ItemList &l, const ItemList &, const std::string &) { RemoveDupesAll(l, quietHost()); },
         [](ItemList &l, const ItemList &, const std::string &) { Reference::RemoveDupesAll(l, referenceProgress()); }},
        {"RemoveBlanksFromList",
         [](ItemList &l, const ItemList &, const std::string &) { RemoveBlanksFromList(l, quietHost()); },
         [](ItemList &l, const ItemList &, const std::string &) { Reference::RemoveBlanksFromList(l, referenceProgress()); }},
        {"RemoveItemsWith",
         [](ItemList &l, const ItemList &, const std::string &s) { RemoveItemsWith(l, s, quietHost()); },
         [](ItemList &l, const ItemList &, const std::string &s) { Reference::RemoveItemsWith(l, s, referenceProgress()); }},
        {"RemoveItemsWithout",
         [](ItemList &l, const ItemList &, const std::string &s) { RemoveItemsWithout(l, s, quietHost()); },
         [](ItemList &l, const ItemList &, const std::string &s) { Reference::RemoveItemsWithout(l, s, referenceProgress()); }},
        {"SubtractSecondListFromFirstList",
         [](ItemList &l, const ItemList &o, const std::string &) { SubtractSecondListFromFirstList(l, o, quietHost()); },
         [](ItemList &l, const ItemList &o, const std::string &) { Reference::SubtractSecondListFromFirstList(l, o, referenceProgress()); }},
        {"KeepOnlyMatchesInList",
         [](ItemList &l, const ItemList &o, const std::string &) { KeepOnlyMatchesInList(l, o, quietHost()); },
         [](ItemList &l, const ItemList &o, const std::string &) { Reference::KeepOnlyMatchesInList(l, o, referenceProgress()); }},
    };
    return all;
}

std::string describe(const Input &input)
{
    return "first = " + Samples::describe(input.first) + "\nsecond = " + Samples::describe(input.second)
           + "\nstring = " + Samples::describe({input.needle});
}

class Differential : public testing::TestWithParam<Pairing>
{};

// Runs both sides on the input; on a difference, adds a failure that shows the input.
bool sameResult(const Pairing &pairing, const Input &input, int run)
{
    ItemList engineFirst = listOf(input.first);
    ItemList referenceFirst = listOf(input.first);
    const ItemList second = listOf(input.second);
    pairing.engine(engineFirst, second, input.needle);
    pairing.reference(referenceFirst, second, input.needle);

    const std::vector<std::string> expected = textsOf(referenceFirst);
    const std::vector<std::string> actual = textsOf(engineFirst);
    if (actual == expected && textsOf(second) == input.second)
        return true;
    ADD_FAILURE() << "case " << run << "\n" << describe(input) << "\nexpected " << Samples::describe(expected)
                  << "\nactual   " << Samples::describe(actual) << "\nsecond after " << Samples::describe(textsOf(second));
    return false;
}

} // namespace

TEST_P(Differential, ShortListsGiveTheReferenceResult)
{
    RandomLists random(kStartValue);
    for (int run = 0; run < kCasesPerOperation; ++run) {
        const std::vector<std::string> pool = random.shortPool();
        Input input;
        input.first = random.shortList(pool);
        input.second = random.shortList(pool);
        input.needle = random.needle(input.first);
        if (!sameResult(GetParam(), input, run))
            return;
    }
}

// Long enough to be spread over several hash partitions; the second list holds few copies,
// so the reference's collapse of matched positions stays affordable.
TEST_P(Differential, ListsOverSeveralPartitionsGiveTheReferenceResult)
{
    RandomLists random(kStartValue + 1);
    const std::vector<std::string> pool = random.pool(600);
    Input input;
    input.first = random.list(pool, 25000, 7);
    input.second = random.list(pool, 300, 9);
    input.needle = random.needle(input.first);
    sameResult(GetParam(), input, 0);
}

INSTANTIATE_TEST_SUITE_P(AllOperations, Differential, testing::ValuesIn(pairings()),
                         [](const testing::TestParamInfo<Pairing> &info) { return std::string(info.param.name); });
