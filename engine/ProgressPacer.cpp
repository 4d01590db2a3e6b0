#include "ProgressPacer.h"

#include <algorithm>
#include <atomic>

namespace Quorvane {

namespace {

constexpr std::size_t kStepsBetweenClockReads = 4096;

std::atomic<std::chrono::milliseconds::rep> g_interval{30};

} // namespace

std::chrono::milliseconds progressInterval()
{
    return std::chrono::milliseconds(g_interval.load(std::memory_order_relaxed));
}

void setProgressInterval(std::chrono::milliseconds interval)
{
    g_interval.store(interval.count(), std::memory_order_relaxed);
}

ProgressPacer::ProgressPacer(ProgressSink &sink, std::size_t totalSteps, Direction direction)
    : m_sink(sink)
    , m_total(std::max<std::size_t>(totalSteps, 1))
    , m_nextCheck(kStepsBetweenClockReads)
    , m_lastReport(std::chrono::steady_clock::now())
{
    if (direction == Direction::Backward)
        m_sink.setProgress(0);
}

void ProgressPacer::checkClock()
{
    m_nextCheck = m_done + kStepsBetweenClockReads;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastReport < progressInterval())
        return;
    const double done = static_cast<double>(std::min(m_done, m_total));
    m_sink.setProgress(done / static_cast<double>(m_total) * 100.0);
    m_sink.yield();
    // The time spent in the host does not count as work.
    m_lastReport = std::chrono::steady_clock::now();
}

} // namespace Quorvane
