#include "ProgressBarSink.h"

#include <QCoreApplication>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace Quorvane {

void ProgressBarSink::setProgress(double percent)
{
    m_bar.setValue(static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0))));
}

void ProgressBarSink::yield()
{
    if (m_handleEvents)
        QCoreApplication::processEvents();
}

} // namespace Quorvane
