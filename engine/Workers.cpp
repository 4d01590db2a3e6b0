#include "Workers.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <future>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace Quorvane {

namespace {

// Below this many items per thread, starting the thread costs more than its share of the work.
constexpr std::size_t kItemsPerWorker = std::size_t(1) << 16;
constexpr std::size_t kMostWorkers = 8;
constexpr auto kMostPacerWait = std::chrono::milliseconds(10);

} // namespace

std::size_t workersFor(std::size_t count)
{
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMostWorkers);
    return std::clamp<std::size_t>(count / kItemsPerWorker, 1, cores);
}

Share shareOf(std::size_t count, std::size_t worker, std::size_t workers)
{
    return {count * worker / workers, count * (worker + 1) / workers};
}

void runWorkers(std::size_t workers, ProgressPacer &pacer, const WorkerPiece &piece)
{
    std::atomic<std::size_t> othersDone{0};
    WorkerSteps callingThreadSteps(&pacer, othersDone);
    if (workers <= 1) {
        piece(0, callingThreadSteps);
        return;
    }

    std::mutex mutex;
    std::condition_variable ended;
    std::size_t running = 0;
    std::exception_ptr failure;
    const auto keepFailure = [&] {
        const std::lock_guard lock(mutex);
        if (!failure)
            failure = std::current_exception();
    };

    std::vector<std::size_t> leftOver;
    leftOver.reserve(workers);
    std::vector<std::jthread> threads;
    threads.reserve(workers - 1);
    for (std::size_t worker = 1; worker < workers; ++worker) {
        {
            const std::lock_guard lock(mutex);
            ++running;
        }
        try {
            threads.emplace_back([&, worker] {
                WorkerSteps steps(nullptr, othersDone);
                try {
                    piece(worker, steps);
                } catch (...) {
                    keepFailure();
                }
                const std::lock_guard lock(mutex);
                --running;
                ended.notify_one();
            });
        } catch (const std::system_error &) {
            const std::lock_guard lock(mutex);
            --running;
            leftOver.push_back(worker);
        }
    }
    try {
        piece(0, callingThreadSteps);
        for (const std::size_t worker : leftOver)
            piece(worker, callingThreadSteps);
    } catch (...) {
        keepFailure();
    }
    std::unique_lock lock(mutex);
    while (running > 0) {
        ended.wait_for(lock, std::min<std::chrono::milliseconds>(kMostPacerWait, progressInterval()));
        lock.unlock();
        callingThreadSteps.advance(0);
        lock.lock();
    }
    lock.unlock();
    threads.clear();
    if (failure)
        std::rethrow_exception(failure);
}

void runSideBySide(const std::function<void()> &here, const std::function<void()> &aside)
{
    std::exception_ptr asideFailure;
    {
        std::jthread thread([&] {
            try {
                aside();
            } catch (...) {
                asideFailure = std::current_exception();
            }
        });
        here();
    }
    if (asideFailure)
        std::rethrow_exception(asideFailure);
}

void runAside(ProgressSink &sink, const std::function<void()> &work, const std::function<double()> &percentDone)
{
    std::future<void> running;
    try {
        running = std::async(std::launch::async, work);
    } catch (const std::system_error &) {
        work();
        sink.setProgress(0);
        return;
    }
    while (running.wait_for(progressInterval()) != std::future_status::ready) {
        sink.setProgress(std::clamp(percentDone(), 0.0, 100.0));
        sink.yield();
    }
    sink.setProgress(0);
    running.get();
}

} // namespace Quorvane
