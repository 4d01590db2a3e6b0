#include "tests/support/ListBytes.h"
#include "tests/support/ListTexts.h"
#include "tests/support/TemporaryRoot.h"
#include "tests/support/UnexpectedErrors.h"
#include "largelists/InputBatches.h"
#include "largelists/OutOfCore.h"
#include "largelists/SpillFolder.h"
#include "largelists/StageProgress.h"
#include "files/ListFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace Quorvane::Testing {

namespace {

// Each run spills under a root of its own, which must be empty after it.
class OutOfCore : public testing::Test
{
protected:
    std::string file(const std::string &name, const std::string &bytes) { return m_folder.file(name, bytes); }
    std::size_t spilledEntries() const { return m_spillRoot.entryCount(); }

private:
    TemporaryFolder m_folder;
    TemporaryRoot m_spillRoot;
};

class CollectingSink final : public ResultSink
{
public:
    void write(std::span<const std::string_view> batch) override { texts.insert(texts.end(), batch.begin(), batch.end()); }
    std::vector<std::string> texts;
};

class NoProgress final : public StageProgress
{
public:
    void show(std::string_view, std::uint64_t, std::uint64_t) override {}
};

ItemList readAll(const std::vector<std::string> &paths)
{
    ItemList list;
    for (const std::string &path : paths)
        list.appendList(std::move(readListFile(path, Readable::AnySource).list));
    return list;
}

// The in-memory run of the engine, with the items it removes.
std::pair<std::vector<std::string>, std::vector<std::string>> inMemoryRun(Operation operation, const std::string &text,
                                                                          const OutOfCoreInputs &inputs)
{
    ItemList first = readAll(inputs.files);
    const ItemList second = readAll(inputs.others);
    ItemList removed;
    operationRow(operation).change({first, second, text, Samples::quietHost(&removed), inputs.mode});
    return {Samples::textsOf(first), Samples::textsOf(removed)};
}

// Under every matching mode, the kept and the removed items are the engine's, in list order.
TEST_F(OutOfCore, KeptAndRemovedItemsUnderEveryMatchingMode)
{
    std::mt19937 random(5);
    OutOfCoreInputs inputs;
    inputs.files = {file("one.txt", Samples::randomListBytes(random, 3000)),
                    file("two.txt", Samples::randomListBytes(random, 500))};
    inputs.others = {file("other.txt", Samples::randomListBytes(random, 2000))};
    const MatchMode modes[] = {{}, {true, false, false}, {false, true, false}, {false, false, true}, {true, true, false}};
    const std::pair<Operation, std::string> operations[] = {
        {Operation::DedupeFirst, ""}, {Operation::DedupeLast, ""}, {Operation::RemoveBlanks, ""},
        {Operation::RemoveWith, "a@"}, {Operation::RemoveWithout, "\xC3\xA9@"},
        {Operation::Subtract, ""}, {Operation::KeepMatches, ""}, {Operation::Normalize, ""},
    };
    for (const MatchMode &mode : modes) {
        for (const auto &[operation, text] : operations) {
            inputs.mode = mode;
            const auto [keptInMemory, removedInMemory] = inMemoryRun(operation, text, inputs);
            for (const std::uint64_t limit : {std::uint64_t(1) << 10, std::uint64_t(64) << 10}) {
                SCOPED_TRACE(testing::Message() << "operation " << static_cast<int>(operation) << ", modes "
                                                << mode.ignoreCase << mode.trim << mode.email << ", limit " << limit);
                inputs.memoryLimit = limit;
                CollectingSink kept;
                CollectingSink removed;
                {
                    SpillFolder folder;
                    NoProgress noProgress;
                    const OutOfCoreCounts counts =
                        runOutOfCore(operation, text, inputs, folder, noProgress, kept, &removed);
                    EXPECT_EQ(counts.itemsOut, kept.texts.size());
                    EXPECT_EQ(counts.itemsIn, keptInMemory.size() + removedInMemory.size());
                }
                EXPECT_TRUE(kept.texts == keptInMemory);
                EXPECT_TRUE(removed.texts == removedInMemory);
                EXPECT_EQ(spilledEntries(), 0u);
            }
        }
    }
}

TEST(InputBatches, BatchesSplitLinesAsAWholeReadDoes)
{
    TemporaryFolder folder;
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const std::size_t size = random() % 3000;
        for (std::size_t i = 0; i < size; ++i)
            bytes += "ab\r\n"[random() % 4];
        const std::string path = folder.file("list" + std::to_string(round % 2));
        writeBytes(path, bytes);

        auto block = std::make_unique<ByteBlock>(bytes.size());
        std::memcpy(block->data(), bytes.data(), bytes.size());
        const ItemList whole = parseListBytes(std::move(block)).list;
        std::vector<std::string> expected(whole.texts().begin(), whole.texts().end());
        expected.insert(expected.end(), whole.texts().begin(), whole.texts().end());

        InputBatches batches({path, path}, 1 + random() % 64);
        std::vector<std::string> got;
        for (ItemList batch = batches.next(); !batch.isEmpty();) {
            got.insert(got.end(), batch.texts().begin(), batch.texts().end());
            batch.clear();
            batch.appendList(batches.next());
        }
        ASSERT_EQ(got, expected) << "round " << round;
    }
}

} // namespace

} // namespace Quorvane::Testing
