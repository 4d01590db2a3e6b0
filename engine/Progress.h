#pragma once

#include <chrono>

namespace Quorvane {

// How often long work shows how far it has come and lets the host breathe: every 30 ms. Tests
// that must see the bar move whatever the machine's speed or load set it to zero, so that the
// bar follows the steps themselves (a report at every check) instead of the clock.
std::chrono::milliseconds progressInterval();
void setProgressInterval(std::chrono::milliseconds interval);

// Where an operation shows how far it has come and lets the window breathe.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    // A value from 0 to 100; fractions are allowed.
    virtual void setProgress(double percent) = 0;
    // Lets the host handle pending events (painting, clicks) before the work goes on.
    virtual void yield() = 0;
};

// For callers with nothing to show, such as the batch tool.
class NullProgress final : public ProgressSink
{
public:
    void setProgress(double) override {}
    void yield() override {}
};

} // namespace Quorvane
