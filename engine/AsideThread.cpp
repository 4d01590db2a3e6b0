#include "AsideThread.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <vector>

#include <pthread.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Quorvane {

namespace {

// How long a helper looks for its next piece before sleeping: longer than the gaps between the
// passes of one operation, short enough to cost little CPU. A caller looks for the end of a piece
// far more briefly: the piece may have long to go, and looking slows it where both threads share
// a core of the host.
constexpr auto kLookForNextPiece = std::chrono::milliseconds(2);
constexpr auto kLookForEnd = std::chrono::microseconds(100);
constexpr std::size_t kMostHelpers = 7;

void pause()
{
#ifdef __SSE2__
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// Calls done() until it is true or the time is up; returns its last answer. Now and then it
// lets another thread waiting for this core run: the one it looks for may be that thread.
template<typename Done>
bool lookFor(Done &&done, std::chrono::steady_clock::duration time)
{
    const auto until = std::chrono::steady_clock::now() + time;
    for (unsigned round = 1;; ++round) {
        if (done())
            return true;
        if (round % 64 == 0) {
            if (std::chrono::steady_clock::now() >= until)
                return false;
            std::this_thread::yield();
        }
        pause();
    }
}

} // namespace

struct AsideThread::Completion
{
    std::atomic<bool> done{false};
    std::mutex mutex;
    std::condition_variable ended;

    void signal()
    {
        {
            const std::lock_guard lock(mutex);
            done.store(true, std::memory_order_release);
        }
        ended.notify_all();
    }
};

namespace {

using Completion = AsideThread::Completion;

// A thread that runs one piece at a time for whoever takes it while it is free.
class Helper
{
public:
    Helper()
        : m_thread([this] { serve(); })
    {}

    // Hands work to this helper when it is free; then signals completion once work is done.
    bool tryStart(std::function<void()> &work, const std::shared_ptr<Completion> &completion)
    {
        bool free = false;
        if (!m_taken.compare_exchange_strong(free, true, std::memory_order_acquire))
            return false;
        {
            const std::lock_guard lock(m_mutex);
            m_work = std::move(work);
            m_completion = completion;
            m_pending.store(true, std::memory_order_release);
        }
        m_wake.notify_one();
        return true;
    }

private:
    void serve()
    {
        for (;;) {
            if (!lookFor([this] { return m_pending.load(std::memory_order_acquire); }, kLookForNextPiece)) {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_pending.load(std::memory_order_acquire); });
            }
            std::function<void()> work;
            std::shared_ptr<Completion> completion;
            {
                const std::lock_guard lock(m_mutex);
                work = std::move(m_work);
                completion = std::move(m_completion);
                m_pending.store(false, std::memory_order_relaxed);
            }
            work();
            work = nullptr;
            // Free before the caller hears of the end, so that its next pass finds this helper.
            m_taken.store(false, std::memory_order_release);
            completion->signal();
        }
    }

    std::atomic<bool> m_taken{false};
    std::atomic<bool> m_pending{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<void()> m_work;
    std::shared_ptr<Completion> m_completion;
    std::jthread m_thread; // last: it starts using the members above at once
};

// One helper for each core beside the calling thread's. Never destroyed: a helper asleep at exit
// holds nothing, and no pass may find them gone during the exit of the process.
class Helpers
{
public:
    static Helpers &instance();

    bool tryStart(std::function<void()> &work, const std::shared_ptr<Completion> &completion)
    {
        return std::any_of(m_helpers.begin(), m_helpers.end(),
                           [&](const std::unique_ptr<Helper> &helper) { return helper->tryStart(work, completion); });
    }

private:
    Helpers()
    {
        const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1u);
        try {
            for (std::size_t i = 0; i + 1 < std::min(cores, kMostHelpers + 1); ++i)
                m_helpers.push_back(std::make_unique<Helper>());
        } catch (const std::system_error &) {
            // Fewer helpers: the pieces beyond them get threads of their own, or none.
        }
    }

    std::vector<std::unique_ptr<Helper>> m_helpers;
};

std::atomic<Helpers *> g_helpers{nullptr};
std::mutex g_makingHelpers;

// A child of fork has none of its parent's threads: it makes helpers of its own when it needs
// them. It runs alone here, so the lock may be made anew whatever state the fork caught it in.
void forgetHelpersInChild()
{
    new (&g_makingHelpers) std::mutex;
    g_helpers.store(nullptr, std::memory_order_relaxed);
}

Helpers &Helpers::instance()
{
    if (Helpers *helpers = g_helpers.load(std::memory_order_acquire))
        return *helpers;
    const std::lock_guard lock(g_makingHelpers);
    if (Helpers *helpers = g_helpers.load(std::memory_order_acquire))
        return *helpers;
    static const int registered = pthread_atfork(nullptr, nullptr, forgetHelpersInChild);
    (void)registered;
    auto *helpers = new Helpers;
    g_helpers.store(helpers, std::memory_order_release);
    return *helpers;
}

} // namespace

AsideThread::AsideThread(std::function<void()> work)
    : m_completion(std::make_shared<Completion>())
{
    if (Helpers::instance().tryStart(work, m_completion))
        return;
    m_thread = std::jthread([work = std::move(work), completion = m_completion] {
        work();
        completion->signal();
    });
}

AsideThread::~AsideThread()
{
    while (!waitFor(std::chrono::milliseconds(100))) {}
}

bool AsideThread::waitFor(std::chrono::milliseconds timeout)
{
    Completion &completion = *m_completion;
    const auto done = [&] { return completion.done.load(std::memory_order_acquire); };
    if (lookFor(done, std::min<std::chrono::steady_clock::duration>(timeout, kLookForEnd)))
        return true;
    std::unique_lock lock(completion.mutex);
    return completion.ended.wait_for(lock, timeout, done);
}

} // namespace Quorvane
