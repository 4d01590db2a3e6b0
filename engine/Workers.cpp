#include "Workers.h"

#include "AsideThread.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <future>
#include <memory>
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
    std::exception_ptr failure;
    const auto keepFailure = [&] {
        const std::lock_guard lock(mutex);
        if (!failure)
            failure = std::current_exception();
    };

    std::vector<std::size_t> leftOver;
    std::vector<std::unique_ptr<AsideThread>> asides;
    asides.reserve(workers - 1);
    for (std::size_t worker = 1; worker < workers; ++worker) {
        try {
            asides.push_back(std::make_unique<AsideThread>([&, worker] {
                WorkerSteps steps(nullptr, othersDone);
                try {
                    piece(worker, steps);
                } catch (...) {
                    keepFailure();
                }
            }));
        } catch (const std::system_error &) {
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
    for (const std::unique_ptr<AsideThread> &aside : asides) {
        while (!aside->waitFor(std::min<std::chrono::milliseconds>(kMostPacerWait, progressInterval())))
            callingThreadSteps.advance(0);
    }
    callingThreadSteps.advance(0);
    if (failure)
        std::rethrow_exception(failure);
}

void runSideBySide(const std::function<void()> &here, const std::function<void()> &aside)
{
    std::exception_ptr asideFailure;
    {
        const AsideThread thread([&] {
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
