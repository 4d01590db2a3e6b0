#include "tests/support/ListTexts.h"

#include "engine/PartitionMatcher.h"
#include "engine/Seams.h"
#include "engine/TextPartitions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace Quorvane;

namespace {

std::vector<std::string> numberedTexts(int count, int distinct, const std::string &suffix)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(std::to_string(i * 7 % distinct) + suffix);
    return texts;
}

std::vector<std::string_view> viewsOf(const std::vector<std::string> &texts)
{
    return {texts.begin(), texts.end()};
}

} // namespace

TEST(TextPartitions, EqualTextsOfTwoListsShareAPartitionAndOrderIsKept)
{
    const std::vector<std::string> first = numberedTexts(3000, 900, "@x");
    const std::vector<std::string> second = numberedTexts(2000, 1300, "@x");
    const std::vector<std::string_view> firstViews = viewsOf(first);
    const std::vector<std::string_view> secondViews = viewsOf(second);
    NullProgress progress;
    ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
    const TextPartitions firstPartitions(firstViews, 64, pacer);
    const TextPartitions secondPartitions(secondViews, 64, pacer);
    ASSERT_EQ(firstPartitions.partitionCount(), 64u);

    std::map<std::string, std::size_t> partitionOfText;
    std::vector<int> seen(first.size(), 0);
    std::size_t largest = 0;
    for (std::size_t p = 0; p < 64; ++p) {
        const std::span<const TextEntry> entries = firstPartitions.partition(p).entries;
        largest = std::max(largest, entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k) {
            ++seen[entries[k].index];
            if (k > 0) {
                EXPECT_LT(entries[k - 1].index, entries[k].index);
            }
            EXPECT_EQ(firstPartitions.partition(p).keyOf(entries[k]), first[entries[k].index]);
            const auto [place, isNew] = partitionOfText.emplace(first[entries[k].index], p);
            EXPECT_EQ(place->second, p) << "copies of one text in two partitions";
        }
    }
    EXPECT_EQ(largest, firstPartitions.largestPartition());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(first.size()));
    for (std::size_t p = 0; p < 64; ++p) {
        for (const TextEntry &entry : secondPartitions.partition(p).entries) {
            const auto place = partitionOfText.find(second[entry.index]);
            if (place != partitionOfText.end()) {
                EXPECT_EQ(place->second, p);
            }
        }
    }
}

// Partitions made earlier stand in for new ones only for the very same texts and keys, grouped at
// least as finely; read more coarsely, each partition is a run of the finer ones.
TEST(TextPartitions, PartitionsMadeEarlierServeTheirOwnTextsAndReadCoarser)
{
    const std::vector<std::string> texts = numberedTexts(5000, 1200, "@X");
    const std::vector<std::string_view> views = viewsOf(texts);
    const std::vector<std::string_view> copy = views;
    NullProgress progress;
    ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
    const TextPartitions fine(views, 64, pacer, MatchMode{.ignoreCase = true});
    const MatchMode alsoPatterns{.ignoreCase = true, .otherIsPatterns = true};
    EXPECT_TRUE(fine.serves(views, alsoPatterns, 16)) << "the same keys";
    EXPECT_TRUE(fine.serves(views, MatchMode{.ignoreCase = true}, 64));
    EXPECT_FALSE(fine.serves(views, MatchMode{.ignoreCase = true}, 128)) << "coarser than asked";
    EXPECT_FALSE(fine.serves(views, MatchMode{}, 16)) << "other keys";
    EXPECT_FALSE(fine.serves(copy, MatchMode{.ignoreCase = true}, 16)) << "equal texts elsewhere";
    EXPECT_FALSE(fine.serves(std::span(views).first(4999), MatchMode{.ignoreCase = true}, 16));

    const TextPartitions coarse(views, 16, pacer, MatchMode{.ignoreCase = true});
    std::size_t largest = 0;
    for (std::size_t p = 0; p < 16; ++p) {
        std::multiset<std::uint32_t> fromFine;
        for (const TextEntry &entry : fine.partition(p, 16).entries)
            fromFine.insert(entry.index);
        std::multiset<std::uint32_t> made;
        for (const TextEntry &entry : coarse.partition(p).entries)
            made.insert(entry.index);
        EXPECT_EQ(fromFine, made) << "partition " << p;
        largest = std::max(largest, made.size());
    }
    EXPECT_EQ(fine.largestPartition(16), largest);
    EXPECT_EQ(fine.heldBytes(), 5000 * (sizeof(TextEntry) + sizeof(std::string_view)) + 256 * 1024)
        << "folded keys stored beside the entries";
}

// Tags taken from a tiny range make different texts share tags all the time, as colliding
// hashes would; the byte comparison must still decide alone.
// Texts another process rewrites between the two passes (a mapped file) must not be placed past
// what the first pass counted: all of them now hash into the last partition, which had room for
// a few.
TEST(TextPartitions, TextsThatChangeAfterHashingAreStillPlacedOnceEach)
{
    // A mapped file another process rewrites: every text becomes the one the last partition
    // holds, after it was hashed. Each entry must still be placed once, within its partition.
    std::vector<std::string> texts;
    for (int i = 0; i < 4000; ++i)
        texts.push_back(std::to_string(10000 + i) + "@x"); // all of one length
    const std::vector<std::string_view> views = viewsOf(texts);
    NullProgress progress;
    ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
    const TextPartitions unchanged(views, 16, pacer);
    const PartitionSide last = unchanged.partition(15);
    ASSERT_GT(last.size(), 0u);
    const std::string lastText(last.keyOf(last.entries[0]));
    for (const std::size_t workers : {1, 2}) {
        std::vector<std::string> changing = texts;
        const std::vector<std::string_view> changingViews = viewsOf(changing);
        setSeamAction(Seam::BetweenHashPasses, [&] {
            for (std::string &text : changing)
                text.replace(0, text.size(), lastText);
        });
        const TextPartitions changed(changingViews, 16, pacer, {}, workers);
        setSeamAction(Seam::BetweenHashPasses, {});
        std::vector<int> placed(texts.size(), 0);
        for (std::size_t p = 0; p < 16; ++p) {
            EXPECT_EQ(changed.partition(p).size(), unchanged.partition(p).size()) << workers;
            for (const TextEntry &entry : changed.partition(p).entries)
                ++placed[entry.index];
        }
        EXPECT_EQ(std::count(placed.begin(), placed.end(), 1), std::ssize(texts)) << workers;
    }
}

TEST(PartitionMatcher, TextsSharingTagsAreStillToldApartByTheirBytes)
{
    std::mt19937 random(77);
    const std::vector<std::string> alphabet = {"a", "A", std::string("a\0", 2), "a ", "", "b", "ab"};
    const auto pick = [&] { return alphabet[random() % alphabet.size()]; };
    NullProgress progress;
    ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
    std::atomic<std::size_t> othersDone{0};
    WorkerSteps steps(&pacer, othersDone);
    PartitionMatcher matcher(40);
    PartitionMatcher bothListsMatcher(80);
    for (int run = 0; run < 2000; ++run) {
        std::vector<std::string> texts;
        std::vector<std::string> others;
        for (std::size_t n = random() % 40; n > 0; --n)
            texts.push_back(pick());
        for (std::size_t n = random() % 40; n > 0; --n)
            others.push_back(pick());
        const std::uint32_t tagRange = 1 + random() % 3;
        // Equal texts need equal tags, as with real hashes; different texts share them freely.
        const auto tagOf = [&](const std::string &text) {
            return static_cast<std::uint32_t>(std::hash<std::string>{}(text) % tagRange);
        };
        std::vector<TextEntry> entries;
        std::vector<TextEntry> otherEntries;
        for (std::uint32_t i = 0; i < texts.size(); ++i)
            entries.push_back({i, tagOf(texts[i])});
        for (std::uint32_t i = 0; i < others.size(); ++i)
            otherEntries.push_back({i, tagOf(others[i])});
        const std::vector<std::string_view> keys = viewsOf(texts);
        const std::vector<std::string_view> otherKeys = viewsOf(others);
        const PartitionSide side{entries, keys};
        const PartitionSide otherSide{otherEntries, otherKeys};

        for (const bool backward : {false, true}) {
            std::unique_ptr<bool[]> flags = std::make_unique<bool[]>(texts.size());
            matcher.flagRepeats(side, backward, flags.get(), steps);
            std::set<std::string> met;
            for (std::size_t step = 0; step < texts.size(); ++step) {
                const std::size_t i = backward ? texts.size() - 1 - step : step;
                ASSERT_EQ(flags[i], !met.insert(texts[i]).second)
                    << "run " << run << " item " << i << " of " << Samples::describe(texts);
            }
        }
        const std::set<std::string> distinct(texts.begin(), texts.end());
        const std::set<std::string> otherDistinct(others.begin(), others.end());
        std::size_t shared = 0;
        for (const std::string &text : distinct)
            shared += otherDistinct.contains(text) ? 1 : 0;
        const PartitionMatcher::KeyCounts counts = bothListsMatcher.countKeys(side, otherSide, steps);
        ASSERT_EQ(counts.repeatsInFirst, texts.size() - distinct.size()) << "run " << run;
        ASSERT_EQ(counts.shared, shared) << "run " << run;
        ASSERT_EQ(counts.onlyInSecond, otherDistinct.size() - shared) << "run " << run;
        std::unique_ptr<bool[]> firstShared = std::make_unique<bool[]>(texts.size());
        std::unique_ptr<bool[]> secondShared = std::make_unique<bool[]>(others.size());
        matcher.flagShared(side, otherSide, firstShared.get(), secondShared.get(), steps);
        for (std::size_t i = 0; i < texts.size(); ++i)
            ASSERT_EQ(firstShared[i], otherDistinct.contains(texts[i])) << "run " << run << " item " << i;
        for (std::size_t i = 0; i < others.size(); ++i) {
            ASSERT_EQ(secondShared[i], distinct.contains(others[i]))
                << "run " << run << " other " << i << " of " << Samples::describe(others) << " against "
                << Samples::describe(texts);
        }
        for (const bool flagWhenPresent : {false, true}) {
            std::unique_ptr<bool[]> flags = std::make_unique<bool[]>(texts.size());
            matcher.flagPresence(side, otherSide, flagWhenPresent, flags.get(), steps);
            const std::set<std::string> present(others.begin(), others.end());
            for (std::size_t i = 0; i < texts.size(); ++i) {
                ASSERT_EQ(flags[i], present.contains(texts[i]) == flagWhenPresent)
                    << "run " << run << " item " << i << " of " << Samples::describe(texts) << " in "
                    << Samples::describe(others);
            }
        }
    }
}
