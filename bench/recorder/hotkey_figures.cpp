// hotkey_figures: the delay from pressing CTRL+ALT+R in another program to
// the recorder, with everything real: a private X server (Xvfb), the key sent
// through XTEST (xdotool), the recorder's own key grab, the capture control on
// a private sound server fed a steady tone. Two figures, median of 10 presses:
//   - to the recording running (the hotkey handled, StartRecord done);
//   - to the first captured block delivered to the window.
// The time from the press to the key reaching the server includes starting
// xdotool (a few ms), as for a user's key it would include the keyboard.

#include "bench/recorder/bench_stats.h"
#include "recorder/widgets/apartment_pump.h"
#include "recorder/recording/capture_event_sink.h"
#include "recorder/app/form1.h"
#include "recorder/app/tests/x_server.h"
#include "bench/recorder/bench_clock.h"
#include "bench/recorder/silent_prompts.h"

#include "platform/com/class_registry.h"
#include "platform/com/connection_point.h"
#include "platform/testserver/pipe_source.h"
#include "platform/testserver/sound_server.h"

#include <QApplication>
#include <QComboBox>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

using bench::monotonicSeconds;
using bench::runFor;

// Runs the event loop until `done` or `seconds` pass; false on timeout.
template <class F>
bool runUntil(F done, double seconds)
{
    const double end = monotonicSeconds() + seconds;
    while (!done()) {
        if (monotonicSeconds() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    testx::XServer x;
    if (!x.running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", x.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    auto server = testsound::SoundServer::startPrivate();
    server->useInThisProcess();
    char tmpl[] = "/tmp/velmor-hotkey-figures-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string home = tmpl;
    setenv("VELMOR_HOME", home.c_str(), 1);
    if (FAILED(com::registerServerLibrary(CAPTURE_LIBRARY, false))) return 1;

    int status = 0;
    {
        QApplication app(argc, argv);
        bench::SilentPrompts prompts;
        recorder::ApartmentPump pump;
        testsound::PipeSource input(*server, "hotkey_figures_in", "Hotkey Figures Input");
        recorder::Form1 window(prompts); // the desktop's own hotkeys: the X key grab
        const int device = window.DeviceCombo->findText("Hotkey Figures Input");
        window.DeviceCombo->setCurrentIndex(device);
        emit window.DeviceCombo->activated(device);
        testsound::SignalWriter writer(input, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer.start();

        // A second listener on the capture control sees each block as the window does.
        double firstBlock = 0;
        auto probe = com::ComPtr<recorder::CaptureEventSink>::adopt(com::makeObject<recorder::CaptureEventSink>());
        probe->onEndArrayRecord = [&](const VARIANT&) {
            if (firstBlock == 0) firstBlock = monotonicSeconds();
        };
        com::EventConnection probeEvents;
        if (!window.AudioRecord || FAILED(probeEvents.connect(window.AudioRecord.get(), DIID__REduruZUZedova3Events, probe.get()))) {
            std::fprintf(stderr, "no capture control\n");
            return 1;
        }

        std::vector<double> toRecording, toBlock;
        for (int i = 0; i < 10 && status == 0; ++i) {
            runFor(300);
            firstBlock = 0;
            double started = 0;
            const double pressed = monotonicSeconds();
            if (std::system("xdotool key ctrl+alt+r") != 0) status = 1;
            const bool ok = runUntil([&] {
                if (window.flgRecord && started == 0) started = monotonicSeconds();
                return firstBlock != 0;
            }, 10);
            if (!ok || started == 0) {
                std::fprintf(stderr, "press %d: no recording or no block\n", i + 1);
                status = 1;
            }
            toRecording.push_back(started - pressed);
            toBlock.push_back(firstBlock - pressed);
            if (std::system("xdotool key ctrl+alt+s") != 0) status = 1;
            if (!runUntil([&] { return !window.flgRecord; }, 10)) status = 1;
        }
        if (status == 0) {
            std::printf("CTRL+ALT+R to the recording running: %.1f ms (median of 10)\n", bench::median(toRecording) * 1000);
            std::printf("CTRL+ALT+R to the first captured block: %.1f ms (median of 10)\n", bench::median(toBlock) * 1000);
        }
        probeEvents.disconnect();
        probe->detach();
        writer.stop();
        window.exitsystem();
    }
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return status;
}
