// Work shared among threads: every piece runs once, failures come back to the caller, only the
// calling thread talks to the progress sink, and the results are those of one thread.
#include "tests/reference/ReferenceKeys.h"
#include "tests/support/ListTexts.h"
#include "tests/support/UnexpectedErrors.h"

#include "engine/Operations.h"
#include "engine/TextPartitions.h"
#include "engine/Workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

using Texts = std::vector<std::string>;

class ThreadRecordingSink final : public ProgressSink
{
public:
    void setProgress(double percent) override
    {
        record();
        highest = std::max(highest, percent);
    }
    void yield() override { record(); }

    std::vector<std::thread::id> callers;
    double highest = 0;

private:
    void record()
    {
        const std::lock_guard lock(m_mutex);
        callers.push_back(std::this_thread::get_id());
    }
    std::mutex m_mutex;
};

// Addresses with repeats, case variants and display names spread through a long list.
Texts mixedAddresses(std::size_t count)
{
    Texts texts;
    texts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string address = "user" + std::to_string(i * 7919 % (count / 3 + 1)) + "@example.org";
        switch (i % 5) {
        case 0: texts.push_back("User <" + address + ">"); break;
        case 1: texts.push_back("USER" + address.substr(4)); break;
        case 2: texts.push_back(" " + address); break;
        default: texts.push_back(address); break;
        }
    }
    return texts;
}

} // namespace

TEST(Workers, EveryPieceRunsOnceAndOnlyTheCallingThreadShowsProgress)
{
    constexpr std::size_t kWorkers = 4;
    constexpr std::size_t kStepsPerWorker = 400;
    constexpr std::size_t kStepSize = 100; // the pacer looks at the clock every few thousand steps
    ThreadRecordingSink sink;
    ProgressPacer pacer(sink, kWorkers * kStepsPerWorker * kStepSize, ProgressPacer::Direction::Forward);
    std::atomic<int> runs[kWorkers] = {};
    runWorkers(kWorkers, pacer, [&](std::size_t worker, WorkerSteps &steps) {
        ++runs[worker];
        // The calling thread's own piece is quick; the others' steps must still reach the bar.
        if (worker == 0)
            return;
        for (std::size_t step = 0; step < kStepsPerWorker; ++step) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            steps.advance(kStepSize);
        }
    });
    for (const std::atomic<int> &count : runs)
        EXPECT_EQ(count, 1);
    ASSERT_FALSE(sink.callers.empty());
    for (const std::thread::id caller : sink.callers)
        EXPECT_EQ(caller, std::this_thread::get_id());
    EXPECT_GT(sink.highest, 50.0);
}

TEST(Workers, AFailingPieceIsRethrownAfterEveryPieceHasEnded)
{
    NullProgress progress;
    ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
    for (const std::size_t failing : {std::size_t(0), std::size_t(2)}) {
        std::atomic<int> ended = 0;
        const auto run = [&] {
            runWorkers(3, pacer, [&](std::size_t worker, WorkerSteps &) {
                std::this_thread::sleep_for(std::chrono::milliseconds(worker == failing ? 0 : 20));
                ++ended;
                if (worker == failing)
                    throw std::runtime_error("piece failed");
            });
        };
        EXPECT_THROW(run(), std::runtime_error) << failing;
        EXPECT_EQ(ended, 3) << failing;
    }
}

// The threads kept for passes are taken one piece at a time: a pass started from within a piece
// while they are busy gets a thread of its own, and a child of fork, which has none of its
// parent's threads, gets helpers of its own.
TEST(Workers, PassesRunWhereverTheKeptThreadsAreBusyOrGone)
{
    std::atomic<int> ran = 0;
    const auto pass = [&] {
        runSideBySide([&] { ++ran; }, [&] { ++ran; });
    };
    runSideBySide(pass, pass);
    EXPECT_EQ(ran, 4);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ran = 0;
        runSideBySide(pass, pass);
        _exit(ran == 4 ? 0 : 1);
    }
    // A child waiting for helpers it does not have would never end.
    int status = 0;
    for (int tries = 0; tries < 1000 && waitpid(child, &status, WNOHANG) == 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (kill(child, 0) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the child's passes never ended";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A short range runs whole on the calling thread; a long one in two halves, on two threads when
// the machine has two cores, that cover it exactly.
TEST(Workers, HalvesCoverTheRangeAndShortRangesRunWhole)
{
    for (const std::size_t count : {std::size_t(10), std::size_t(1) << 20}) {
        std::mutex mutex;
        std::unordered_set<std::thread::id> threads;
        const auto ran = runOnHalves(count, [&](Share share) {
            const std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
            return share.end - share.begin;
        });
        const std::size_t expected = workersFor(count) >= 2 ? 2 : 1;
        ASSERT_EQ(ran.size(), expected) << count;
        EXPECT_EQ(threads.size(), expected) << count;
        EXPECT_EQ(ran.front().first.begin, 0u);
        EXPECT_EQ(ran.back().first.end, count);
        EXPECT_EQ(ran.front().first.end, ran.back().first.begin + (expected == 1 ? count : 0));
        std::size_t covered = 0;
        for (const auto &[share, size] : ran)
            covered += size;
        EXPECT_EQ(covered, count);
    }
}

// The first third has nothing to fold or trim, so one worker's share keeps its texts as keys
// while the others make keys of their own.
TEST(Workers, PartitionsAreTheSameWhateverTheNumberOfWorkers)
{
    Texts texts = numberedTexts(10000, "plain", "@example.org");
    const Texts mixed = mixedAddresses(20000);
    texts.insert(texts.end(), mixed.begin(), mixed.end());
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    NullProgress progress;
    ProgressPacer pacer(progress, 0, ProgressPacer::Direction::Forward);
    for (const MatchMode &mode : {MatchMode{}, MatchMode{true, false, false}, MatchMode{false, false, true}}) {
        const TextPartitions alone(views, 16, pacer, mode, 1);
        const TextPartitions shared(views, 16, pacer, mode, 3);
        for (std::size_t p = 0; p < 16; ++p) {
            const PartitionSide one = alone.partition(p);
            const PartitionSide other = shared.partition(p);
            ASSERT_EQ(one.size(), other.size());
            for (std::size_t k = 0; k < one.size(); ++k) {
                ASSERT_EQ(one.entries[k].index, other.entries[k].index);
                ASSERT_EQ(one.entries[k].tag, other.entries[k].tag);
                const std::string expected = Reference::keyOf(texts[one.entries[k].index], mode);
                ASSERT_EQ(one.keyOf(one.entries[k]), expected);
                ASSERT_EQ(other.keyOf(other.entries[k]), expected);
            }
        }
    }
}

// Lists long enough to be shared among threads where the machine has them, held to results
// built with a plain set of the reference's keys (and normalize to the keys themselves).
TEST(Workers, LongListsGiveTheResultOfAPlainSetOfKeys)
{
    const Texts texts = mixedAddresses(140000);
    Texts others;
    for (std::size_t i = 0; i < texts.size(); i += 3)
        others.push_back(texts[i]);
    const OperationHost host = quietHost();
    for (const MatchMode &mode : {MatchMode{}, MatchMode{true, false, false}, MatchMode{false, false, true}}) {
        std::unordered_set<std::string> seen;
        std::unordered_set<std::string> otherKeys;
        for (const std::string &text : others)
            otherKeys.insert(Reference::keyOf(text, mode));
        Texts firstCopies;
        Texts notInOthers;
        Texts keys;
        for (const std::string &text : texts) {
            const std::string key = Reference::keyOf(text, mode);
            keys.push_back(key);
            if (seen.insert(key).second)
                firstCopies.push_back(text);
            if (!otherKeys.contains(key))
                notInOthers.push_back(text);
        }

        ItemList deduplicated = listOf(texts);
        RemoveDupesExceptFirst(deduplicated, host, mode);
        EXPECT_EQ(textsOf(deduplicated), firstCopies);
        ItemList subtracted = listOf(texts);
        SubtractSecondListFromFirstList(subtracted, listOf(others), host, mode);
        EXPECT_EQ(textsOf(subtracted), notInOthers);
        ItemList normalized = listOf(texts);
        replaceByKeys(normalized, mode);
        EXPECT_EQ(textsOf(normalized), keys);
    }
}
