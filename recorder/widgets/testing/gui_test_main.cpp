// GoogleTest main for window tests: a QApplication on the offscreen platform
// and a COM apartment on the test thread, served by the Qt event loop.

#include "recorder/widgets/apartment_pump.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    recorder::ApartmentPump pump;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
