// GoogleTest main for window tests on a real X display: a private Xvfb, the
// xcb platform, and a COM apartment served by the Qt event loop. Listing the
// tests needs no display.

#include "recorder/widgets/apartment_pump.h"
#include "recorder/app/tests/x_server.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

// Qt's xcb platform opens a D-Bus connection whose library keeps one buffer
// for the life of the process; LeakSanitizer would count it against the tests.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

int main(int argc, char** argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    std::unique_ptr<testx::XServer> x;
    if (!listing) {
        x = std::make_unique<testx::XServer>();
        if (x->running()) {
            ::setenv("DISPLAY", x->display().c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        }
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        recorder::ApartmentPump pump;
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
