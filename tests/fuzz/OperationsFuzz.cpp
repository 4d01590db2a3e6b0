// Runs one operation of the engine and of the step-by-step reference on the same small lists
// built from the fuzzer's bytes; both must leave the same items, the second list untouched,
// and the progress at 0.

#include "tests/support/ListTexts.h"
#include "tests/reference/ReferenceOperations.h"

#include "engine/Operations.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Quorvane;
using Samples::listOf;
using Samples::textsOf;

namespace {

class LastValue final : public ProgressSink
{
public:
    void setProgress(double percent) override
    {
        if (!(percent >= 0.0 && percent <= 100.0))
            std::abort();
        last = percent;
    }
    void yield() override {}
    double last = -1.0;
};

class NoErrors final : public ErrorReporter
{
public:
    void report(const ErrorReport &) override { std::abort(); }
};

// Items are either new short byte strings or repeats of earlier ones, so matches are common.
std::vector<std::string> takeTexts(FuzzedDataProvider &input, std::vector<std::string> &seen)
{
    std::vector<std::string> texts(input.ConsumeIntegralInRange<size_t>(0, 24));
    for (std::string &text : texts) {
        if (!seen.empty() && input.ConsumeBool())
            text = seen[input.ConsumeIntegralInRange<size_t>(0, seen.size() - 1)];
        else
            text = input.ConsumeRandomLengthString(6);
        seen.push_back(text);
    }
    return texts;
}

void run(int operation, ItemList &first, const ItemList &second, const std::string &text, bool reference)
{
    LastValue progress;
    NoErrors reporter;
    const OperationHost host{progress, reporter};
    switch (operation) {
    case 0: reference ? Reference::RemoveDupesExceptFirst(first, progress) : RemoveDupesExceptFirst(first, host); break;
    case 1: reference ? Reference::RemoveDupesAll(first, progress) : RemoveDupesAll(first, host); break;
    case 2: reference ? Reference::RemoveBlanksFromList(first, progress) : RemoveBlanksFromList(first, host); break;
    case 3: reference ? Reference::RemoveItemsWith(first, text, progress) : RemoveItemsWith(first, text, host); break;
    case 4: reference ? Reference::RemoveItemsWithout(first, text, progress) : RemoveItemsWithout(first, text, host); break;
    case 5:
        reference ? Reference::SubtractSecondListFromFirstList(first, second, progress)
                  : SubtractSecondListFromFirstList(first, second, host);
        break;
    default:
        reference ? Reference::KeepOnlyMatchesInList(first, second, progress)
                  : KeepOnlyMatchesInList(first, second, host);
        break;
    }
    if (progress.last != 0.0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int operation = input.ConsumeIntegralInRange(0, 6);
    std::string text = input.ConsumeRandomLengthString(4);
    if (text.empty())
        text = "a"; // the window never passes an empty text
    std::vector<std::string> seen;
    const std::vector<std::string> firstTexts = takeTexts(input, seen);
    const std::vector<std::string> secondTexts = takeTexts(input, seen);

    ItemList fast = listOf(firstTexts);
    ItemList slow = listOf(firstTexts);
    const ItemList second = listOf(secondTexts);
    run(operation, fast, second, text, false);
    run(operation, slow, second, text, true);
    if (textsOf(fast) != textsOf(slow) || textsOf(second) != secondTexts)
        std::abort();
    return 0;
}
