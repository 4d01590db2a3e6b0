#pragma once

#include "engine/ErrorTrap.h"
#include "engine/ItemList.h"
#include "engine/Progress.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

// Stand-ins that keep what the engine tells them, for tests to look at afterwards.
namespace Quorvane::Samples {

class RecordingProgress final : public ProgressSink
{
public:
    void setProgress(double percent) override { values.push_back(percent); }
    void yield() override { ++yields; }

    std::vector<double> values;
    std::size_t yields = 0;
};

class RecordingErrors final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override { reports.push_back(report); }

    std::vector<ErrorReport> reports;
};

// Counts a list's announced and finished changes; fails the test when they do not alternate.
class ChangeCounter final : public ListObserver
{
public:
    void listAboutToChange() override
    {
        EXPECT_FALSE(m_inside) << "a change was announced inside another";
        m_inside = true;
        ++announced;
    }
    void listChanged() override
    {
        EXPECT_TRUE(m_inside) << "a change ended that was never announced";
        m_inside = false;
        ++changes;
    }

    int announced = 0;
    int changes = 0;

private:
    bool m_inside = false;
};

} // namespace Quorvane::Samples
