#pragma once

#include "engine/ItemList.h"
#include "engine/Matching.h"
#include "engine/Overlap.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace Quorvane {

// Finds the overlap of the two lists on a thread of its own, one request at a time, so the window
// never waits for it: the thread works on snapshots, and a newer request or cancel() stops the
// work under way within one pace of the progress (about 30 ms) and lets go of its snapshots.
class OverlapWorker
{
public:
    struct Request
    {
        ItemList::Snapshot first;
        ItemList::Snapshot second;
        MatchMode mode;
        std::uint64_t generation = 0;
        ListKeys keys = {}; // made earlier of these very lists, where there are any
    };
    // overlap is null when the work failed (no memory for it).
    struct Result
    {
        std::uint64_t generation = 0;
        std::shared_ptr<const Overlap> overlap;
        ListKeys keys = {}; // those the work used, for the next one
    };
    // Called on the worker's thread with each finished request's result.
    using Deliver = std::function<void(Result)>;

    explicit OverlapWorker(Deliver deliver);
    ~OverlapWorker();
    OverlapWorker(const OverlapWorker &) = delete;
    OverlapWorker &operator=(const OverlapWorker &) = delete;

    // Replaces a request not started yet, and stops the one under way.
    void request(Request request);
    void cancel();

private:
    void run();

    Deliver m_deliver;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_pending;
    bool m_stopping = false;
    std::atomic<bool> m_cancelled{false};
    std::thread m_thread; // last: it starts once everything it reads is there
};

} // namespace Quorvane
