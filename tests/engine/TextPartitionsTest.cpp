#include "ListSamples.h"

#include "engine/TextPartitions.h"

#include <gtest/gtest.h>

#include <map>
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
        const std::span<const TextEntry> entries = firstPartitions.partition(p);
        largest = std::max(largest, entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k) {
            ++seen[entries[k].index];
            if (k > 0) {
                EXPECT_LT(entries[k - 1].index, entries[k].index);
            }
            const auto [place, isNew] = partitionOfText.emplace(first[entries[k].index], p);
            EXPECT_EQ(place->second, p) << "copies of one text in two partitions";
        }
    }
    EXPECT_EQ(largest, firstPartitions.largestPartition());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(first.size()));
    for (std::size_t p = 0; p < 64; ++p) {
        for (const TextEntry &entry : secondPartitions.partition(p)) {
            const auto place = partitionOfText.find(second[entry.index]);
            if (place != partitionOfText.end()) {
                EXPECT_EQ(place->second, p);
            }
        }
    }
}

TEST(TextTable, TextsWithEqualTagsAreStillToldApartByTheirBytes)
{
    const std::vector<std::string> texts = {"a", "A", std::string("a\0", 2), "a", "", "a ", ""};
    const std::vector<std::string_view> views = viewsOf(texts);
    TextTable table(views, texts.size());
    table.clearFor(texts.size());
    // Every entry gets the same tag, as if their hashes collided.
    std::vector<bool> inserted;
    for (std::uint32_t i = 0; i < texts.size(); ++i)
        inserted.push_back(table.insert({i, 7}));
    EXPECT_EQ(inserted, (std::vector<bool>{true, true, true, false, true, true, false}));

    const std::vector<std::string> others = {"a ", "b", ""};
    const std::vector<std::string_view> otherViews = viewsOf(others);
    EXPECT_TRUE(table.contains({0, 7}, otherViews));
    EXPECT_FALSE(table.contains({1, 7}, otherViews));
    EXPECT_TRUE(table.contains({2, 7}, otherViews));
    EXPECT_FALSE(table.contains({0, 8}, otherViews)) << "a text is looked up under its own tag";

    table.clearFor(2);
    EXPECT_FALSE(table.contains({0, 7}, otherViews));
}
