#pragma once

#include "engine/Progress.h"

class QProgressBar;

namespace Quorvane {

// Shows an operation's progress on the window's bar and lets the window handle pending events
// (painting, pointer moves, held-back clicks) while the work goes on.
class ProgressBarSink final : public ProgressSink
{
public:
    explicit ProgressBarSink(QProgressBar &bar)
        : m_bar(bar)
    {}

    // The bar counts whole percents; a fraction is rounded to the nearest.
    void setProgress(double percent) override;
    void yield() override;

    // The window is going away: the work finishes without handling any more events.
    void stopHandlingEvents() { m_handleEvents = false; }

private:
    QProgressBar &m_bar;
    bool m_handleEvents = true;
};

} // namespace Quorvane
