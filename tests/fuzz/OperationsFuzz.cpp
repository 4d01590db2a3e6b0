// Runs one operation of the engine and of the step-by-step reference on the same small lists
// built from the fuzzer's bytes, under a matching mode the bytes choose, each list compared on
// the whole item or on a field of a row; both must leave the same items, the second list
// untouched, and the progress at 0.

#include "tests/support/ListTexts.h"
#include "tests/reference/OperationPairs.h"

#include "engine/Operations.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
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

// An earlier text as people also write it, so that the modes have something to match.
std::string variantOf(const std::string &text, FuzzedDataProvider &input)
{
    static const char *const wrappings[][2] = {
        {"", ""}, {" ", "\t"}, {"\xC2\xA0", "\xE2\x80\x8B"}, {"Ann <", ">"}, {"mailto:", ""}, {"\"", "\""}, {"\xA0", ""},
        {"a,\"", "\""}, {"\"", "\";b"}, {"x\t", "\t\"y\"\"\""}, {"|", "|"},
        {"a.b+", "@GoogleMail.com"}, {"x@y, ", "; "}, {"", "@B\xC3\x9C" "CHER.de"}, {"", "@xn--bcher-kva.de"},
    };
    std::string variant = text;
    if (input.ConsumeBool()) {
        for (char &c : variant)
            c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    const auto &wrapping = wrappings[input.ConsumeIntegralInRange<size_t>(0, std::size(wrappings) - 1)];
    return wrapping[0] + variant + wrapping[1];
}

// Items are either new short byte strings or repeats (or variants) of earlier ones, so matches
// are common.
std::vector<std::string> takeTexts(FuzzedDataProvider &input, std::vector<std::string> &seen)
{
    std::vector<std::string> texts(input.ConsumeIntegralInRange<size_t>(0, 24));
    for (std::string &text : texts) {
        if (!seen.empty() && input.ConsumeBool()) {
            text = seen[input.ConsumeIntegralInRange<size_t>(0, seen.size() - 1)];
            if (input.ConsumeBool())
                text = variantOf(text, input);
        } else {
            text = input.ConsumeRandomLengthString(6);
        }
        seen.push_back(text);
    }
    return texts;
}

void run(int operation, ItemList &first, const ItemList &second, const std::string &text, const MatchMode &mode,
         bool reference)
{
    LastValue progress;
    NoErrors reporter;
    const Reference::OperationPair &pair = Reference::operationPairs().at(operation);
    if (reference)
        pair.reference(first, second, text, progress, mode);
    else
        pair.engine(first, second, text, {progress, reporter}, mode);
    if (progress.last != 0.0)
        std::abort();
}

// The whole item (column 0) or a column of a row, with one of the delimiters tables use.
KeyField takeField(FuzzedDataProvider &input)
{
    static constexpr char kDelimiters[] = {',', ';', '\t', '|'};
    return {input.ConsumeIntegralInRange<size_t>(0, 3), kDelimiters[input.ConsumeIntegralInRange<size_t>(0, 3)]};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int operation = input.ConsumeIntegralInRange(0, static_cast<int>(Reference::operationPairs().size()) - 1);
    const int modeBits = input.ConsumeIntegralInRange(0, 31);
    MatchMode mode{.ignoreCase = (modeBits & 1) != 0, .trim = (modeBits & 2) != 0, .email = (modeBits & 4) != 0,
                   .providerAliases = (modeBits & 8) != 0, .otherIsPatterns = (modeBits & 16) != 0};
    mode.field = takeField(input);
    mode.otherField = takeField(input);
    std::string text = input.ConsumeRandomLengthString(4);
    if (text.empty())
        text = "a"; // the window never passes an empty text
    std::vector<std::string> seen;
    const std::vector<std::string> firstTexts = takeTexts(input, seen);
    const std::vector<std::string> secondTexts = takeTexts(input, seen);

    ItemList fast = listOf(firstTexts);
    ItemList slow = listOf(firstTexts);
    const ItemList second = listOf(secondTexts);
    run(operation, fast, second, text, mode, false);
    run(operation, slow, second, text, mode, true);
    if (textsOf(fast) != textsOf(slow) || textsOf(second) != secondTexts)
        std::abort();
    return 0;
}
