// schedule_figures [runs]: the delay from a planned row's start second to the
// recording, on a private sound server of its own, through the real main
// window and its schedule:
//   - to the capture running (its first level report);
//   - to the first captured block (the capture hands over whole blocks of
//     about one second of sound, written from the moment the capture runs, so
//     this is that block's length plus the delay above);
// median, minimum and maximum of [runs] (10) rows, one after another. Then the
// CPU of the whole program while idle in the tray with 20 rows waiting, on an
// Xvfb of its own with trayer as the tray host (offscreen, without a tray,
// when Xvfb is missing).

#include "bench/recorder/bench_stats.h"
#include "recorder/widgets/apartment_pump.h"
#include "recorder/recording/capture_event_sink.h"
#include "recorder/app/form1.h"
#include "recorder/app/tests/x_server.h"
#include "recorder/app/tray_icon.h"
#include "bench/recorder/bench_clock.h"
#include "bench/recorder/silent_prompts.h"
#include "recorder/schedule/schedule_time.h"
#include "recorder/schedule/ui/form5.h"

#include "platform/com/class_registry.h"
#include "platform/com/connection_point.h"
#include "platform/testserver/pipe_source.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QSystemTrayIcon>
#include <QTreeWidget>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using bench::cpuSeconds;
using bench::monotonicSeconds;
using bench::runFor;

struct Spread {
    double median, min, max;
};

Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {bench::median(v), v.front(), v.back()};
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::signal(SIGPIPE, SIG_IGN);
    testx::XServer x;
    std::unique_ptr<testx::XClient> trayHost;
    if (x.running()) {
        setenv("DISPLAY", x.display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        trayHost = std::make_unique<testx::XClient>(
            x.display(), "trayer --edge top --align right --widthtype request --height 24 --SetDockType true");
    }

    auto server = testsound::SoundServer::startPrivate();
    server->useInThisProcess();
    char tmpl[] = "/tmp/velmor-schedule-figures-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    setenv("VELMOR_HOME", tmpl, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (FAILED(com::registerServerLibrary(CAPTURE_LIBRARY, false))) return 1;

    QApplication app(argc, argv);
    bench::SilentPrompts prompts;
    recorder::ApartmentPump pump;
    testsound::PipeSource input(*server, "schedule_figures_in", "Schedule Figures Input");
    // The tray icon is made at load, so the host must be up first.
    for (int i = 0; trayHost && i < 250 && !QSystemTrayIcon::isSystemTrayAvailable(); ++i) runFor(20);
    recorder::Form1 window(prompts);
    window.show();
    const int device = window.DeviceCombo->findText("Schedule Figures Input");
    if (device < 0) return 1;
    window.DeviceCombo->setCurrentIndex(device);
    emit window.DeviceCombo->activated(device);
    recorder::Form5* schedule = window.schedule();

    // A second listener on the capture control's events, beside the window's own.
    qint64 firstLevel = 0, firstBlock = 0;
    std::unique_ptr<testsound::SignalWriter> writer;
    auto sink = com::ComPtr<recorder::CaptureEventSink>::adopt(com::makeObject<recorder::CaptureEventSink>());
    sink->onTimer = [&](const VARIANT&, const std::vector<short>&) {
        if (firstLevel) return;
        firstLevel = QDateTime::currentMSecsSinceEpoch();
        // Sound from the moment the capture runs: written earlier, the pipe
        // would hand over a backlog at once and the first block would be stale.
        input.drain();
        writer = std::make_unique<testsound::SignalWriter>(input, testsound::Signal::sine({440.0, 1000.0}, 0.5), 1.0);
        writer->start();
    };
    sink->onEndArrayRecord = [&](const VARIANT&) {
        if (!firstBlock) firstBlock = QDateTime::currentMSecsSinceEpoch();
    };
    com::EventConnection events;
    if (FAILED(events.connect(window.AudioRecord.get(), DIID__REduruZUZedova3Events, sink.get()))) return 1;

    std::vector<double> toCapture, toBlock;
    for (int i = 0; i < runs; ++i) {
        const QDateTime start = recorder::wholeSecond(QDateTime::currentDateTime()).addSecs(2);
        schedule->appendRow({recorder::scheduleTimeText(start), recorder::scheduleTimeText(start.addSecs(3)), "",
                             recorder::kStatusWaiting, "figure"});
        firstLevel = firstBlock = 0;
        const double until = monotonicSeconds() + 7;
        while (monotonicSeconds() < until && (window.flgRecord || !firstBlock)) runFor(20);
        if (!firstLevel || !firstBlock) {
            std::fprintf(stderr, "run %d: the planned recording gave no audio\n", i + 1);
            return 1;
        }
        writer.reset();
        toCapture.push_back(double(firstLevel - start.toMSecsSinceEpoch()));
        toBlock.push_back(double(firstBlock - start.toMSecsSinceEpoch()));
    }
    const Spread c = spread(toCapture), b = spread(toBlock);
    std::printf("scheduled second to capture running: median %.0f ms (min %.0f, max %.0f, %d runs)\n", c.median, c.min,
                c.max, runs);
    std::printf("scheduled second to first captured block: median %.0f ms (min %.0f, max %.0f, %d runs)\n", b.median,
                b.min, b.max, runs);

    schedule->ListView1->clear();
    const QDateTime later = QDateTime::currentDateTime().addDays(1);
    for (int i = 0; i < 20; ++i)
        schedule->appendRow({recorder::scheduleTimeText(later.addSecs(i * 600)),
                             recorder::scheduleTimeText(later.addSecs(i * 600 + 300)), "", recorder::kStatusWaiting, ""});
    const bool inTray = window.tray() && window.tray()->shown();
    if (inTray) window.showMinimized(); // hides into the tray
    runFor(1000);
    const double c0 = cpuSeconds(), w0 = monotonicSeconds();
    runFor(10000);
    std::printf("CPU while idle with 20 rows waiting (%s): %.2f %% of one core\n",
                inTray ? (window.isVisible() ? "tray icon shown, window still visible" : "window hidden in the tray")
                       : "window shown, no tray host",
                100 * (cpuSeconds() - c0) / (monotonicSeconds() - w0));

    events.disconnect();
    sink->detach();
    return 0;
}
