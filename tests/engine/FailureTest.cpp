// Runs each operation while one of its memory allocations fails, for every allocation it makes
// in turn: the failure is reported under the operation's name, the lists stay exactly as they
// were, and progress is back at 0.
#include "tests/support/AllocationFailure.h"
#include "tests/support/ListTexts.h"
#include "tests/reference/ReferenceOperations.h"

#include "engine/Operations.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

class RecordingHost final : public ProgressSink, public ErrorReporter
{
public:
    void setProgress(double percent) override { values.push_back(percent); }
    void yield() override {}
    void report(const ErrorReport &report) override { reports.push_back(report); }

    std::vector<double> values;
    std::vector<ErrorReport> reports;
};

using Operation = std::function<void(ItemList &first, const ItemList &second, const OperationHost &host)>;
using ReferenceOperation = std::function<void(ItemList &first, const ItemList &second)>;

struct Trapped
{
    const char *name;
    int collectLabel;
    Operation engine;
    ReferenceOperation reference;
};

std::vector<std::string> mixedTexts(int count, int distinct)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(i % 7 == 0 ? std::string() : "item" + std::to_string(i * 31 % distinct) + "@x.com");
    return texts;
}

const std::vector<Trapped> &trappedOperations()
{
    static NullProgress quiet;
    static const std::vector<Trapped> all = {
        {"RemoveDupesExceptFirst", 110,
         [](ItemList &l, const ItemList &, const OperationHost &h) { RemoveDupesExceptFirst(l, h); },
         [](ItemList &l, const ItemList &) { Reference::RemoveDupesExceptFirst(l, quiet); }},
        {"RemoveDupesAll", 114,
         [](ItemList &l, const ItemList &, const OperationHost &h) { RemoveDupesAll(l, h); },
         [](ItemList &l, const ItemList &) { Reference::RemoveDupesAll(l, quiet); }},
        {"RemoveBlanksFromList", 110,
         [](ItemList &l, const ItemList &, const OperationHost &h) { RemoveBlanksFromList(l, h); },
         [](ItemList &l, const ItemList &) { Reference::RemoveBlanksFromList(l, quiet); }},
        {"RemoveItemsWithout", 110,
         [](ItemList &l, const ItemList &, const OperationHost &h) { RemoveItemsWithout(l, "1", h); },
         [](ItemList &l, const ItemList &) { Reference::RemoveItemsWithout(l, "1", quiet); }},
        {"SubtractSecondListFromFirstList", 112,
         [](ItemList &l, const ItemList &o, const OperationHost &h) { SubtractSecondListFromFirstList(l, o, h); },
         [](ItemList &l, const ItemList &o) { Reference::SubtractSecondListFromFirstList(l, o, quiet); }},
        {"KeepOnlyMatchesInList", 114,
         [](ItemList &l, const ItemList &o, const OperationHost &h) { KeepOnlyMatchesInList(l, o, h); },
         [](ItemList &l, const ItemList &o) { Reference::KeepOnlyMatchesInList(l, o, quiet); }},
    };
    return all;
}

} // namespace

TEST(AllocationFailure, TrappedOperationsReportAndLeaveTheListAsItWas)
{
    const std::vector<std::string> texts = mixedTexts(1200, 400);
    const std::vector<std::string> secondTexts = mixedTexts(800, 600);
    for (const Trapped &operation : trappedOperations()) {
        SCOPED_TRACE(operation.name);
        for (int skipped = 0;; ++skipped) {
            ASSERT_LT(skipped, 1000) << "the operation never finished";
            ItemList list = listOf(texts);
            const ItemList second = listOf(secondTexts);
            RecordingHost host;
            AllocationFailure::arm(skipped);
            operation.engine(list, second, {host, host});
            const bool failed = AllocationFailure::disarm();

            EXPECT_EQ(textsOf(second), secondTexts);
            ASSERT_FALSE(host.values.empty());
            EXPECT_EQ(host.values.back(), 0.0);
            if (!failed) {
                ItemList expected = listOf(texts);
                operation.reference(expected, second);
                EXPECT_EQ(textsOf(list), textsOf(expected));
                EXPECT_TRUE(host.reports.empty());
                EXPECT_GT(skipped, 0) << "the operation allocated nothing to fail";
                break;
            }
            ASSERT_EQ(host.reports.size(), 1u) << "failing allocation " << skipped;
            const ErrorReport &report = host.reports.front();
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
    RecordingHost host;
    AllocationFailure::arm(0);
    EXPECT_THROW(RemoveItemsWith(list, "1", {host, host}), std::bad_alloc);
    AllocationFailure::disarm();
    EXPECT_EQ(textsOf(list), texts);
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(host.values.empty()) << "progress is left as it was";
}
