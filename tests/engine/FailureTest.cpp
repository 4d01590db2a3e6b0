// Runs each operation while one of its memory allocations fails, for every allocation it makes
// in turn: the failure is reported under the operation's name, the lists stay exactly as they
// were, and progress is back at 0.
#include "tests/support/AllocationFailure.h"
#include "tests/support/ListTexts.h"
#include "tests/support/Recorders.h"
#include "tests/reference/OperationPairs.h"

#include "engine/Operations.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

// The operations that trap their own failures, with the label their collecting step reports.
struct Trapped
{
    const char *name;
    int collectLabel;
};

std::vector<std::string> mixedTexts(int count, int distinct)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(i % 7 == 0 ? std::string() : "item" + std::to_string(i * 31 % distinct) + "@x.com");
    return texts;
}

const std::vector<Trapped> kTrapped = {
    {"RemoveDupesExceptFirst", 110}, {"RemoveDupesAll", 114},
    {"RemoveBlanksFromList", 110},   {"RemoveItemsWithout", 110},
    {"SubtractSecondListFromFirstList", 112}, {"KeepOnlyMatchesInList", 114},
};

} // namespace

TEST(AllocationFailure, TrappedOperationsReportAndLeaveTheListAsItWas)
{
    const std::vector<std::string> texts = mixedTexts(1200, 400);
    const std::vector<std::string> secondTexts = mixedTexts(800, 600);
    for (const Trapped &operation : kTrapped) {
        SCOPED_TRACE(operation.name);
        const Reference::OperationPair &pair = Reference::operationPair(operation.name);
        for (int skipped = 0;; ++skipped) {
            ASSERT_LT(skipped, 1000) << "the operation never finished";
            ItemList list = listOf(texts);
            const ItemList second = listOf(secondTexts);
            RecordingProgress progress;
            RecordingErrors errors;
            AllocationFailure::arm(skipped);
            pair.engine(list, second, "1", {progress, errors}, {});
            const bool failed = AllocationFailure::disarm();

            EXPECT_EQ(textsOf(second), secondTexts);
            ASSERT_FALSE(progress.values.empty());
            EXPECT_EQ(progress.values.back(), 0.0);
            if (!failed) {
                ItemList expected = listOf(texts);
                NullProgress quiet;
                pair.reference(expected, second, "1", quiet, {});
                EXPECT_EQ(textsOf(list), textsOf(expected));
                EXPECT_TRUE(errors.reports.empty());
                EXPECT_GT(skipped, 0) << "the operation allocated nothing to fail";
                break;
            }
            ASSERT_EQ(errors.reports.size(), 1u) << "failing allocation " << skipped;
            const ErrorReport &report = errors.reports.front();
            EXPECT_EQ(report.description, "Out of memory");
            EXPECT_EQ(report.object, "List");
            EXPECT_EQ(report.procedure, operation.name);
            EXPECT_EQ(report.label, operation.collectLabel);
            EXPECT_EQ(textsOf(list), texts) << "failing allocation " << skipped;
        }
    }
}

TEST(AllocationFailure, RemoveItemsWithPassesTheFailureOnUntouched)
{
    const std::vector<std::string> texts = mixedTexts(1200, 400);
    ItemList list = listOf(texts);
    RecordingProgress progress;
    RecordingErrors errors;
    AllocationFailure::arm(0);
    EXPECT_THROW(RemoveItemsWith(list, "1", {progress, errors}), std::bad_alloc);
    AllocationFailure::disarm();
    EXPECT_EQ(textsOf(list), texts);
    EXPECT_TRUE(errors.reports.empty());
    EXPECT_TRUE(progress.values.empty()) << "progress is left as it was";
}
