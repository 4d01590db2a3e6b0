#include "OverlapWorker.h"

namespace Quorvane {

namespace {

struct Cancelled
{};

// Nothing to show; stops the work when asked to, at the points where it lets the host breathe.
class CancellingProgress final : public ProgressSink
{
public:
    explicit CancellingProgress(const std::atomic<bool> &cancelled)
        : m_cancelled(cancelled)
    {}
    void setProgress(double) override {}
    void yield() override
    {
        if (m_cancelled.load(std::memory_order_relaxed))
            throw Cancelled();
    }

private:
    const std::atomic<bool> &m_cancelled;
};

} // namespace

OverlapWorker::OverlapWorker(Deliver deliver)
    : m_deliver(std::move(deliver))
    , m_thread([this] { run(); })
{}

OverlapWorker::~OverlapWorker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_cancelled = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void OverlapWorker::request(Request request)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pending = std::move(request);
        m_cancelled = true;
    }
    m_wake.notify_one();
}

void OverlapWorker::cancel()
{
    const std::lock_guard lock(m_mutex);
    m_pending.reset();
    m_cancelled = true;
}

void OverlapWorker::run()
{
    for (;;) {
        std::optional<Request> request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || m_pending; });
            if (m_stopping)
                return;
            request.swap(m_pending);
            m_cancelled = false;
        }
        Result result{request->generation, nullptr};
        try {
            // One thread: the other core is the window's.
            CancellingProgress progress(m_cancelled);
            result.overlap = std::make_shared<const Overlap>(findOverlap(
                request->first.texts(), request->second.texts(), request->mode, progress, 1, request->keys));
            result.keys = std::move(request->keys);
        } catch (const Cancelled &) {
            continue;
        } catch (const std::exception &) {
            // No overlap to show, which the window says; the lists themselves are untouched.
        }
        request.reset(); // the snapshots go before the window hears of the result
        m_deliver(std::move(result));
    }
}

} // namespace Quorvane
