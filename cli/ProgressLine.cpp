#include "ProgressLine.h"

#include <algorithm>
#include <string>

#include <unistd.h>

namespace Quorvane {

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(1500);
constexpr auto kRedrawPause = std::chrono::milliseconds(200);
constexpr std::size_t kBarWidth = 30;
constexpr std::size_t kLineWidth = 79;

void writeText(int descriptor, const std::string &text)
{
    // Progress is a courtesy: a failed write to the terminal is not worth ending the run for.
    [[maybe_unused]] const ssize_t written = ::write(descriptor, text.data(), text.size());
}

} // namespace

ProgressLine::ProgressLine(int descriptor)
    : m_descriptor(descriptor)
    , m_terminal(::isatty(descriptor) == 1)
    , m_start(Clock::now())
{}

ProgressLine::~ProgressLine()
{
    if (m_drawn)
        writeText(m_descriptor, '\r' + std::string(kLineWidth, ' ') + '\r');
}

void ProgressLine::show(std::string_view stage, std::uint64_t done, std::uint64_t total)
{
    if (!m_terminal)
        return;
    const Clock::time_point now = Clock::now();
    if (now - m_start < kQuietStart || (m_drawn && now - m_lastDraw < kRedrawPause))
        return;
    m_lastDraw = now;
    m_drawn = true;
    const std::uint64_t percent = total == 0 ? 100 : std::min<std::uint64_t>(done * 100 / total, 100);
    const std::size_t filled = static_cast<std::size_t>(percent) * kBarWidth / 100;
    std::string line = "\rquorvane-cli: [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] "
        + std::to_string(percent) + "% " + std::string(stage);
    line.resize(std::max(line.size(), kLineWidth + 1), ' ');
    writeText(m_descriptor, line);
}

} // namespace Quorvane
