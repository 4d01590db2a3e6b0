// Times each operation of the catalogue that changes a list, and counting against a second list,
// on generated e-mail-like lists: by default a million lines of about 27 bytes with about 30%
// repeats, and a second list half of which occurs in the first. Each list lies in one block of
// bytes with line ends between the texts, as read from a file. Usage: engine_bench [LINES] [RUNS]
// [OPERATION|all] [exact|ignore-case|trim|email]; OPERATION is quorvane-cli's name for it
// (dedupe-first, count ...), and only that one runs; the last argument chooses how items match
// (exact by default).
#include "engine/Counting.h"
#include "engine/OperationCatalogue.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using namespace Quorvane;

namespace {

constexpr unsigned kStartValue = 1208;

class AddressMaker
{
public:
    explicit AddressMaker(unsigned startValue)
        : m_random(startValue)
    {}

    std::string address()
    {
        static const char *const names[] = {"anna", "bert", "carla", "dieter", "emma", "felix", "greta",
                                            "hans", "ines", "jonas", "karin", "lukas", "marie", "nils"};
        static const char *const domains[] = {"example.com", "mail.example.org", "post.example.net",
                                              "web.example.de", "inbox.example.info"};
        std::string text = names[below(std::size(names))];
        text += '.';
        text += names[below(std::size(names))];
        text += std::to_string(below(100000));
        text += '@';
        text += domains[below(std::size(domains))];
        return text;
    }

    std::size_t below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random); }

private:
    std::mt19937_64 m_random;
};

struct Lists
{
    std::vector<std::string> first;
    std::vector<std::string> second;
};

// About 30% of the first list repeats an earlier line; about 1% is blank. Half of the second
// list is taken from the first, the rest is new.
Lists makeLists(std::size_t lines)
{
    AddressMaker maker(kStartValue);
    Lists lists;
    lists.first.reserve(lines);
    for (std::size_t i = 0; i < lines; ++i) {
        const std::size_t roll = maker.below(100);
        if (roll == 0)
            lists.first.emplace_back();
        else if (roll <= 30 && i > 0)
            lists.first.push_back(lists.first[maker.below(i)]);
        else
            lists.first.push_back(maker.address());
    }
    lists.second.reserve(lines);
    for (std::size_t i = 0; i < lines; ++i)
        lists.second.push_back(i % 2 == 0 ? lists.first[maker.below(lines)] : maker.address());
    return lists;
}

// One block holding every text followed by CR LF, and the items as views into it.
ItemList asReadFromFile(const std::vector<std::string> &texts)
{
    std::size_t size = 0;
    for (const std::string &text : texts)
        size += text.size() + 2;
    auto block = std::make_unique<ByteBlock>(size);
    std::vector<std::string_view> items;
    items.reserve(texts.size());
    char *at = block->data();
    for (const std::string &text : texts) {
        std::memcpy(at, text.data(), text.size());
        items.emplace_back(at, text.size());
        at += text.size();
        *at++ = '\r';
        *at++ = '\n';
    }
    ItemList list;
    list.adopt(std::move(block), std::move(items));
    return list;
}

class PrintingReporter final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override { std::fprintf(stderr, "%s\n", formatErrorReport(report).c_str()); }
};

struct Benchmark
{
    std::string_view name;
    std::function<void(const OperationCall &call)> run;
};

// The text the operations that look for one search for: about a third of the items hold it.
constexpr std::string_view kSearchedText = "@web.";

std::vector<Benchmark> benchmarksOfTheCatalogue()
{
    std::vector<Benchmark> benchmarks;
    for (const OperationRow &row : operationCatalogue()) {
        if (row.change)
            benchmarks.push_back({row.commandName, row.change});
    }
    benchmarks.push_back({operationRow(Operation::Count).commandName,
                          [](const OperationCall &c) { countItems(c.list, c.other, c.mode, c.host.progress); }});
    return benchmarks;
}

// Wall time and the time the process spent on the cores, its worker threads included: on a shared
// machine the second one shows the work when other programs keep the cores busy.
struct Stopwatch
{
    std::chrono::steady_clock::time_point wallStart = std::chrono::steady_clock::now();
    double cpuStart = cpuMilliseconds();

    static double cpuMilliseconds()
    {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    }
    double wallMilliseconds() const
    {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    }
    double cpuMillisecondsSinceStart() const { return cpuMilliseconds() - cpuStart; }
};

} // namespace

int main(int argc, char **argv)
{
    const std::size_t lines = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string only = argc > 3 && std::string(argv[3]) != "all" ? argv[3] : "";
    const std::string modeName = argc > 4 ? argv[4] : "exact";
    const MatchMode mode{modeName == "ignore-case", modeName == "trim", modeName == "email"};
    if (!mode.isExact() == (modeName == "exact")) {
        std::fprintf(stderr, "unknown mode %s\n", modeName.c_str());
        return 2;
    }
    const Lists lists = makeLists(lines);
    const ItemList second = asReadFromFile(lists.second);

    NullProgress progress;
    PrintingReporter reporter;
    const OperationHost host{progress, reporter};
    const std::vector<Benchmark> benchmarks = benchmarksOfTheCatalogue();

    std::printf("%zu lines (second list %zu), %s, best and median wall time and best CPU time (all threads) of %d runs, milliseconds\n", lines, lists.second.size(), modeName.c_str(), runs);
    std::printf("%-34s %10s %10s %10s %10s\n", "operation", "best", "median", "best cpu", "items out");
    for (const Benchmark &benchmark : benchmarks) {
        if (!only.empty() && only != benchmark.name)
            continue;
        std::vector<double> times;
        std::vector<double> cpuTimes;
        std::size_t itemsOut = 0;
        for (int run = 0; run < runs; ++run) {
            ItemList list = asReadFromFile(lists.first);
            const Stopwatch stopwatch;
            benchmark.run({list, second, kSearchedText, host, mode});
            times.push_back(stopwatch.wallMilliseconds());
            cpuTimes.push_back(stopwatch.cpuMillisecondsSinceStart());
            itemsOut = list.count();
        }
        std::sort(times.begin(), times.end());
        std::printf("%-34.*s %10.1f %10.1f %10.1f %10zu\n", static_cast<int>(benchmark.name.size()),
                    benchmark.name.data(), times.front(), times[times.size() / 2],
                    *std::min_element(cpuTimes.begin(), cpuTimes.end()), itemsOut);
    }
    return 0;
}
