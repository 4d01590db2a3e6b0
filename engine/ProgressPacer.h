#pragma once

#include "engine/Progress.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <utility>

namespace Quorvane {

// Shows how far a long operation has come and lets the host breathe, about every 30 ms of work.
// Counting steps costs one addition; the clock is read only every few thousand steps.
class ProgressPacer
{
public:
    // Forward scans rise towards 100; backward scans start by showing 0 and rise from there.
    enum class Direction { Forward, Backward };

    ProgressPacer(ProgressSink &sink, std::size_t totalSteps, Direction direction);

    void advance(std::size_t steps)
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

// Calls step(i) for i from begin to end - 1, telling the pacer (or a worker's step count) once
// per block of steps rather than once per step, which keeps the counting out of tight loops.
template<typename Pacer, typename Step>
void forEachPaced(std::size_t begin, std::size_t end, Pacer &pacer, Step &&step)
{
    constexpr std::size_t kBlock = 1024;
    for (std::size_t start = begin; start < end; start += kBlock) {
        const std::size_t blockEnd = std::min(end, start + kBlock);
        for (std::size_t i = start; i < blockEnd; ++i)
            step(i);
        pacer.advance(blockEnd - start);
    }
}

template<typename Pacer, typename Step>
void forEachPaced(std::size_t count, Pacer &pacer, Step &&step)
{
    forEachPaced(0, count, pacer, std::forward<Step>(step));
}

} // namespace Quorvane
