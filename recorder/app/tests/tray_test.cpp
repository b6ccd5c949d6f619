// The recorder in the notification area, on a private X display: with a tray
// host the window hides into the tray and the tray menu works while it is
// hidden; without one the window minimises and closes as a plain window.

#include "recorder/app/tests/recorder_window_env.h"
#include "recorder/app/tests/x_server.h"
#include "recorder/app/tray_icon.h"
#include "recorder/components/tests/test_audio.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <cstdlib>

namespace recorder {
namespace {

class TrayWindow : public RecorderWindowTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no X display (Xvfb) for this test";
        RecorderWindowTest::SetUp();
    }
    template <class Predicate>
    bool waitFor(Predicate ready, int ms = 5000)
    {
        for (int waited = 0; waited < ms; waited += 50) {
            if (ready()) return true;
            wait(50);
        }
        return ready();
    }
    std::string display() const { return std::getenv("DISPLAY"); }
};

TEST_F(TrayWindow, WithoutATrayTheWindowMinimisesAndClosingEndsTheProgram)
{
    ASSERT_TRUE(waitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); })) << "a tray host is running";
    openWindow();
    form_->show();
    ASSERT_TRUE(waitFor([&] { return form_->isVisible(); }));
    EXPECT_FALSE(form_->tray()->shown());
    form_->showMinimized();
    wait(300);
    EXPECT_TRUE(form_->isVisible()) << "with no tray to come back from, the window stays on the task bar";
    form_->close();
    EXPECT_TRUE(form_->exited());
}

TEST_F(TrayWindow, HidesIntoTheTrayAndItsMenuRecordsWhileHidden)
{
    testx::XClient host(display(), "trayer --edge top --align right --widthtype request --height 24 --SetDockType true");
    ASSERT_TRUE(waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); })) << "the tray host did not come up";
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->show();
    TrayIcon* tray = form_->tray();
    ASSERT_NE(tray, nullptr);
    ASSERT_TRUE(tray->shown());
    EXPECT_EQ(tray->icon()->toolTip(), "Velmor Sound Recorder");
    QStringList entries;
    for (QAction* a : tray->menu()->actions()) entries << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(entries, (QStringList{"Velmor Sound Recorder On the Web", "Help", "-", "Velmor Sound Recorder", "Settings", "-",
                                    "Record Now", "Stop Record", "Exit"}));
    EXPECT_TRUE(waitFor([&] { return tray->icon()->geometry().width() > 0; })) << "the icon was not embedded in the tray";

    form_->showMinimized();
    EXPECT_TRUE(waitFor([&] { return !form_->isVisible(); })) << "minimising hides into the tray";

    // A right click on the icon shows the menu while the window is hidden.
    const QPoint centre = tray->icon()->geometry().center();
    const std::string at = std::to_string(centre.x()) + " " + std::to_string(centre.y());
    testaudio::run("DISPLAY=" + display() + " xdotool mousemove " + at + " click 3");
    EXPECT_TRUE(waitFor([&] { return tray->menu()->isVisible(); }));
    tray->menu()->hide();

    tray->action("Record Now")->trigger();
    EXPECT_TRUE(form_->flgRecord);
    EXPECT_FALSE(form_->isVisible()) << "recording from the tray leaves the window hidden";
    wait(1500);
    tray->action("Stop Record")->trigger();
    waitUntilRecordingIdle();
    EXPECT_FALSE(form_->flgRecord);
    EXPECT_EQ(form_->rows().size(), 1u);

    // A left click on the icon in the tray brings the window back.
    testaudio::run("DISPLAY=" + display() + " xdotool mousemove " + at + " click 1");
    EXPECT_TRUE(waitFor([&] { return form_->isVisible() && !form_->isMinimized(); }));

    form_->close();
    EXPECT_TRUE(waitFor([&] { return !form_->isVisible(); }));
    EXPECT_FALSE(form_->exited()) << "closing hides while the tray icon is shown";

    tray->action("Exit")->trigger();
    EXPECT_TRUE(form_->exited());
    EXPECT_FALSE(tray->icon()->isVisible()) << "the icon leaves the tray at exit";
}

} // namespace
} // namespace recorder
