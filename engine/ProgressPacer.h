#pragma once

#include "engine/Progress.h"

#include <chrono>
#include <cstddef>

namespace Quorvane {

// Shows how far a long operation has come and lets the host breathe, about every 30 ms of work.
// Counting steps costs one addition; the clock is read only every few thousand steps.
class ProgressPacer
{
public:
    // Forward scans rise towards 100; backward scans start by showing 0 and rise from there.
    enum class Direction { Forward, Backward };

    ProgressPacer(ProgressSink &sink, std::size_t totalSteps, Direction direction);

    void advance(std::size_t steps = 1)
    {
        m_done += steps;
        if (m_done >= m_nextCheck)
            checkClock();
    }

private:
    void checkClock();

    ProgressSink &m_sink;
    std::size_t m_total;
    std::size_t m_done = 0;
    std::size_t m_nextCheck;
    std::chrono::steady_clock::time_point m_lastReport;
};

} // namespace Quorvane
