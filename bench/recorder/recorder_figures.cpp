// recorder_figures [minutes]: measures the recorder window with everything
// real, on a private sound server of its own:
//   - start-up: from launching a process to its main window being shown
//     (a child process runs exactly what main() runs);
//   - CPU while idle, and while recording MP3 128 kbit/s stereo in real time
//     (percent of one core, over 10 s and 20 s);
//   - resident memory before and after a recording of [minutes] (60) minutes
//     fed ten times faster than real time, sampled as it goes.

#include "recorder/widgets/apartment_pump.h"
#include "recorder/app/form1.h"
#include "bench/recorder/bench_clock.h"
#include "bench/recorder/silent_prompts.h"
#include "recorder/recording/format_values.h"

#include "platform/com/class_registry.h"
#include "platform/testserver/pipe_source.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

using bench::SilentPrompts;
using bench::cpuSeconds;
using bench::monotonicSeconds;
using bench::runFor;

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// The child: what main() does, then the time the window is on screen.
int startupChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    SilentPrompts prompts;
    recorder::ApartmentPump pump;
    recorder::Form1 window(prompts);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    std::printf("%.6f\n", monotonicSeconds());
    std::fflush(stdout);
    window.exitsystem();
    return 0;
}

double measureStartup(const char* self)
{
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const char* args[] = {self, "--startup-child", nullptr};
    const double before = monotonicSeconds();
    pid_t pid = 0;
    if (posix_spawn(&pid, self, &actions, nullptr, const_cast<char**>(args), environ) != 0) return -1;
    close(out[1]);
    char buf[64] = {};
    ssize_t n = read(out[0], buf, sizeof buf - 1);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (n <= 0) return -1;
    return std::atof(buf) - before;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--startup-child") return startupChild(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 60.0;
    std::signal(SIGPIPE, SIG_IGN);

    auto server = testsound::SoundServer::startPrivate();
    server->useInThisProcess();
    char tmpl[] = "/tmp/velmor-figures-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string home = tmpl;
    setenv("VELMOR_HOME", home.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::ofstream(home + "/settings.dat") << "[mp3]\nMP3Frequency=44100\nMP3Bitrate=128\nMP3Channels=2\n";
    if (FAILED(com::registerServerLibrary(CAPTURE_LIBRARY, false))) return 1;

    double startup = 0;
    for (int i = 0; i < 5; ++i) startup += measureStartup(argv[0]) / 5;
    std::printf("start-up to main window shown: %.0f ms (mean of 5)\n", startup * 1000);

    QApplication app(argc, argv);
    SilentPrompts prompts;
    recorder::ApartmentPump pump;
    testsound::PipeSource input(*server, "figures_in", "Figures Input");
    recorder::Form1 window(prompts);
    window.show();
    runFor(500);
    const int device = window.DeviceCombo->findText("Figures Input");
    window.DeviceCombo->setCurrentIndex(device);
    emit window.DeviceCombo->activated(device);
    window.cboEncoders->setCurrentIndex(recorder::FormatCode::MP3);

    double c0 = cpuSeconds(), w0 = monotonicSeconds();
    runFor(10000);
    std::printf("CPU while idle: %.2f %% of one core\n", 100 * (cpuSeconds() - c0) / (monotonicSeconds() - w0));

    {
        window.StartRecord();
        testsound::SignalWriter writer(input, testsound::Signal::sine({440.0, 1000.0}, 0.5), 1.0);
        writer.start(44100ull * 22);
        runFor(1000);
        c0 = cpuSeconds();
        w0 = monotonicSeconds();
        runFor(20000);
        std::printf("CPU while recording MP3 128 kbit/s stereo in real time: %.2f %% of one core\n",
                    100 * (cpuSeconds() - c0) / (monotonicSeconds() - w0));
        writer.stop();
        window.StopRecord();
        while (!window.recordingIdle()) runFor(20);
    }

    const long before = residentKiB();
    std::printf("resident memory before the long recording: %ld KiB\n", before);
    window.StartRecord();
    testsound::SignalWriter writer(input, testsound::Signal::sine({440.0, 1000.0}, 0.5), 10.0);
    const auto frames = static_cast<std::uint64_t>(minutes * 60 * 44100);
    writer.start(frames);
    int lastReported = 0;
    while (!writer.finished()) {
        runFor(500);
        const int audioMinutes = int(writer.framesWritten() / 44100 / 60);
        if (audioMinutes >= lastReported + 10) {
            lastReported = audioMinutes;
            std::printf("  after %d min of audio: %ld KiB\n", audioMinutes, residentKiB());
            std::fflush(stdout);
        }
    }
    runFor(1500);
    window.StopRecord();
    while (!window.recordingIdle()) runFor(20);
    const long after = residentKiB();
    const auto rows = window.rows();
    std::printf("resident memory after a %.0f-minute recording: %ld KiB (%+ld KiB); file %s, %s, %s\n", minutes, after,
                after - before, rows.back().path.c_str(), rows.back().size.c_str(),
                window.StatusPanel2->text().toStdString().c_str());
    window.exitsystem();
    std::filesystem::remove_all(home);
    return 0;
}
