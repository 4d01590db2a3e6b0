#pragma once

#include "engine/Progress.h"
#include "engine/ProgressPacer.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace Quorvane {

// How many threads a pass over count items is worth on this machine: one for short lists, where
// starting a thread costs more than it saves.
std::size_t workersFor(std::size_t count);

// The contiguous share of [0, count) that one of workers takes.
struct Share
{
    std::size_t begin;
    std::size_t end;
};
Share shareOf(std::size_t count, std::size_t worker, std::size_t workers);

// Counts one worker's steps. Only the calling thread (worker 0) talks to the pacer, which may
// show progress and let the window handle events; the other workers add their steps to a shared
// count that the calling thread passes on.
class WorkerSteps
{
public:
    WorkerSteps(ProgressPacer *pacer, std::atomic<std::size_t> &othersDone)
        : m_pacer(pacer)
        , m_othersDone(othersDone)
    {}

    void advance(std::size_t steps)
    {
        if (m_pacer)
            m_pacer->advance(steps + m_othersDone.exchange(0, std::memory_order_relaxed));
        else
            m_othersDone.fetch_add(steps, std::memory_order_relaxed);
    }

private:
    ProgressPacer *m_pacer;
    std::atomic<std::size_t> &m_othersDone;
};

// Items that are handled each alone go to the workers in chunks of this many, each chunk to
// whichever worker is free: a worker held up elsewhere leaves more of them to the others.
constexpr std::size_t kItemsPerChunk = std::size_t(16) << 10;

// Hands the numbers below count out one at a time to whichever worker asks next, so that a worker
// held up elsewhere (a late start, page faults, another program) leaves more of them to the others.
class WorkQueue
{
public:
    explicit WorkQueue(std::size_t count)
        : m_count(count)
    {}

    // The next number, or count once none is left.
    std::size_t take() { return std::min(m_next.fetch_add(1, std::memory_order_relaxed), m_count); }

private:
    std::atomic<std::size_t> m_next{0};
    std::size_t m_count;
};

// The items [0, count) cut into chunkCount chunks (at least one) of about equal size, handed out
// one chunk at a time to whichever worker asks next.
class ChunkQueue
{
public:
    struct Chunk
    {
        std::size_t number;
        Share items;
    };

    ChunkQueue(std::size_t count, std::size_t chunkCount)
        : m_count(count)
        , m_chunkCount(std::max<std::size_t>(chunkCount, 1))
        , m_chunks(m_chunkCount)
    {}

    // The next chunk, or nothing once none is left.
    std::optional<Chunk> take()
    {
        const std::size_t number = m_chunks.take();
        if (number == m_chunkCount)
            return std::nullopt;
        return Chunk{number, shareOf(m_count, number, m_chunkCount)};
    }

private:
    std::size_t m_count;
    std::size_t m_chunkCount;
    WorkQueue m_chunks;
};

using WorkerPiece = std::function<void(std::size_t worker, WorkerSteps &steps)>;

// Runs piece(worker, steps) for every worker from 0 to workers - 1, each on a thread of its own;
// the calling thread is worker 0 and, once its piece is done, keeps the pacer going until the
// others end. Where no thread can be started, the calling thread does that piece too. The first
// exception any piece throws is rethrown here, after every piece has ended.
void runWorkers(std::size_t workers, ProgressPacer &pacer, const WorkerPiece &piece);

// Runs aside on a thread of its own and here on the calling thread, and returns once both have
// ended; a failure of here is rethrown first, then one of aside. Throws std::system_error,
// before running either, when no thread can be started.
void runSideBySide(const std::function<void()> &here, const std::function<void()> &aside);

// Runs part(share) on each half of [0, count) side by side when count is worth two workers, and
// on the whole of it here when it is not or no thread can be started. Returns each share it ran
// with what part gave for it, in order: one pair, or two.
template<typename Part>
auto runOnHalves(std::size_t count, Part &&part) -> std::vector<std::pair<Share, decltype(part(Share{}))>>
{
    using Result = decltype(part(Share{}));
    const Share whole{0, count};
    if (workersFor(count) >= 2) {
        const Share first{0, count / 2};
        const Share second{count / 2, count};
        Result inFirst{};
        Result inSecond{};
        try {
            runSideBySide([&] { inFirst = part(first); }, [&] { inSecond = part(second); });
            return {{first, inFirst}, {second, inSecond}};
        } catch (const std::system_error &) {
            // No second thread to be had: the whole range below.
        }
    }
    return {{whole, part(whole)}};
}

// Runs work on a thread of its own; meanwhile the calling thread shows percentDone() on the sink
// and lets the host handle events, about every 30 ms, and sets the bar to 0 at the end. Where no
// thread can be started, the calling thread does the work. What work throws is rethrown here.
// percentDone is called on the calling thread while work runs: it must read only what work
// publishes atomically.
void runAside(ProgressSink &sink, const std::function<void()> &work, const std::function<double()> &percentDone);

} // namespace Quorvane
