#pragma once

#include "largelists/StageProgress.h"

#include <chrono>
#include <cstdint>
#include <string_view>

namespace Quorvane {

// One line of progress on standard error, redrawn in place: shown only when standard error is a
// terminal and the work has already taken a while, redrawn a few times a second at most, and
// wiped when the work ends.
class ProgressLine final : public StageProgress
{
public:
    using Clock = std::chrono::steady_clock;

    // descriptor: where to draw; nothing is drawn unless it is a terminal.
    explicit ProgressLine(int descriptor);
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    void show(std::string_view stage, std::uint64_t done, std::uint64_t total) override;

private:
    int m_descriptor;
    bool m_terminal;
    bool m_drawn = false;
    Clock::time_point m_start;
    Clock::time_point m_lastDraw;
};

} // namespace Quorvane
