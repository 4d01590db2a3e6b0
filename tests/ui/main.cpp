#include "engine/Progress.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // The window tests never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The bar and the event handling during long work follow its steps, not the clock, so the
    // tests that watch them pass on a loaded machine and still fail when the bar stops.
    Quorvane::setProgressInterval(std::chrono::milliseconds(0));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
