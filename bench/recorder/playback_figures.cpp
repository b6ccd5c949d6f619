// playback_figures [runs]: main-window playback on a private sound server,
// beside ffplay playing the same files on the same server:
//   - time from the double click on a listed WAV to its first audible block
//     on the null sink's monitor (median of [runs], 10 by default);
//   - CPU while playing an MP3 128 kbit/s stereo (percent of one core, 20 s).

#include "bench/recorder/bench_stats.h"
#include "recorder/widgets/apartment_pump.h"
#include "recorder/app/form1.h"
#include "bench/recorder/bench_clock.h"
#include "bench/recorder/silent_prompts.h"
#include "recorder/components/audio_array.h"
#include "recorder/components/audio_file.h"
#include "recorder/recordings/main_playback.h"

#include "platform/com/class_registry.h"
#include "platform/testserver/sound_server.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>

#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

namespace {

using bench::SilentPrompts;
using bench::cpuSeconds;
using bench::monotonicSeconds;
using bench::runFor;

// Reads the monitor in 5 ms chunks and stamps the first chunk that is not silent.
class FirstSound {
public:
    explicit FirstSound(const std::string& server)
    {
        thread_ = std::thread([this, server] {
            pa_sample_spec sampleSpec{PA_SAMPLE_S16LE, 44100, 2};
            pa_buffer_attr attr{static_cast<std::uint32_t>(-1), 0, 0, 0, 882};
            int error = 0;
            pa_simple* s = pa_simple_new(server.c_str(), "figures", PA_STREAM_RECORD, "velmor_null.monitor", "monitor",
                                         &sampleSpec, nullptr, &attr, &error);
            if (!s) {
                ready_ = true;
                return;
            }
            ready_ = true;
            std::vector<std::int16_t> chunk(441);
            while (!stop_) {
                if (pa_simple_read(s, chunk.data(), chunk.size() * 2, &error) < 0) break;
                const bool sound = std::any_of(chunk.begin(), chunk.end(), [](std::int16_t v) { return std::abs(v) > 1000; });
                if (sound && heardAt_ == 0) heardAt_ = monotonicSeconds();
            }
            pa_simple_free(s);
        });
        while (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~FirstSound()
    {
        stop_ = true;
        thread_.join();
    }
    double heardAt() const { return heardAt_; }

private:
    std::thread thread_;
    std::atomic<bool> ready_{false}, stop_{false};
    std::atomic<double> heardAt_{0};
};

bool writeFile(const std::string& path, bool mp3, double seconds)
{
    recorder::AudioFile file;
    if (mp3 ? !file.SetFormatMP3(44100, 128, 2) : !file.SetFormatPCM(44100, 2)) return false;
    if (!file.OpenWrite(path)) return false;
    const int rate = 44100;
    std::uint64_t frame = 0;
    for (int block = 0; block < seconds; ++block) {
        std::vector<std::uint8_t> bytes(recorder::kAudioArrayHeaderSize + rate * 4);
        recorder::writeAudioArrayHeader(bytes.data(), rate, 2);
        for (int i = 0; i < rate; ++i, ++frame) {
            const auto l = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 440 * double(frame) / rate));
            const auto r = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 1000 * double(frame) / rate));
            std::memcpy(&bytes[40 + i * 4], &l, 2);
            std::memcpy(&bytes[40 + i * 4 + 2], &r, 2);
        }
        if (!file.WriteArray(bytes)) return false;
    }
    return file.Close();
}

pid_t spawnFfplay(const std::string& path, const std::string& seconds)
{
    const char* args[] = {"ffplay", "-nodisp", "-autoexit", "-loglevel", "quiet", "-t", seconds.c_str(), path.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ffplay", nullptr, nullptr, const_cast<char**>(args), environ) != 0) return -1;
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::signal(SIGPIPE, SIG_IGN);
    auto server = testsound::SoundServer::startPrivate();
    server->useInThisProcess();
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    char tmpl[] = "/tmp/velmor-playfig-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const std::string home = tmpl;
    setenv("VELMOR_HOME", home.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    const std::string wav = home + "/tone.WAV", mp3 = home + "/tone.MP3";
    if (!writeFile(wav, false, 5) || !writeFile(mp3, true, 30)) {
        std::fprintf(stderr, "could not write the test files\n");
        return 1;
    }
    std::ofstream(home + "/list.rpf") << "1\t" << wav << "\t1MB\t0:00:05\tt\tWAV\r\n2\t" << mp3 << "\t1MB\t0:00:30\tt\tMP3\r\n";

    QApplication app(argc, argv);
    SilentPrompts prompts;
    recorder::ApartmentPump pump;
    recorder::Form1 window(prompts);
    window.show();
    prompts.nextFile = home + "/list.rpf";
    window.menuAction("Open Recording Project")->trigger();
    runFor(500);

    std::vector<double> ours, queued, theirs;
    for (int i = 0; i < runs; ++i) {
        FirstSound monitor(server->server());
        QTreeWidgetItem* row = window.ListView1->topLevelItem(0);
        window.ListView1->setCurrentItem(row);
        const double clicked = monotonicSeconds();
        emit window.ListView1->itemDoubleClicked(row, 1);
        queued.push_back(monotonicSeconds() - clicked); // the file is open, the stream connected, the first block handed over
        while (monitor.heardAt() == 0 && monotonicSeconds() - clicked < 5) runFor(2);
        if (monitor.heardAt() > 0) ours.push_back(monitor.heardAt() - clicked);
        window.StopPlayback();
        runFor(300);
    }
    for (int i = 0; i < runs; ++i) {
        FirstSound monitor(server->server());
        const double started = monotonicSeconds();
        const pid_t pid = spawnFfplay(wav, "2");
        while (monitor.heardAt() == 0 && monotonicSeconds() - started < 5) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (monitor.heardAt() > 0) theirs.push_back(monitor.heardAt() - started);
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::printf("double click to first audible block (median of %d): %.0f ms; ffplay start to first audible block: %.0f ms\n",
                runs, bench::median(ours) * 1000, bench::median(theirs) * 1000);
    std::printf("double click to the first block handed to the sound server (median of %d): %.1f ms\n", runs,
                bench::median(queued) * 1000);

    // CPU while playing the MP3: our whole process, then ffplay's, over 20 s.
    window.ListView1->setCurrentItem(window.ListView1->topLevelItem(1));
    window.PlaySelected();
    runFor(1000);
    const double c0 = cpuSeconds(), w0 = monotonicSeconds();
    runFor(20000);
    const double oursCpu = 100 * (cpuSeconds() - c0) / (monotonicSeconds() - w0);
    const bool stillPlaying = !window.playback()->playStopped();
    window.StopPlayback();

    const double f0 = monotonicSeconds();
    const pid_t pid = spawnFfplay(mp3, "21");
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double ffplayWall = monotonicSeconds() - f0;
    const double ffplayCpu = cpuSeconds(usage);
    std::printf("CPU while playing MP3 128 kbit/s stereo: %.2f %% of one core (%s); ffplay -nodisp: %.2f %% (%.1f s, "
                "start-up included)\n",
                oursCpu, stillPlaying ? "playing throughout" : "STOPPED EARLY", 100 * ffplayCpu / ffplayWall, ffplayWall);
    window.exitsystem();
    std::filesystem::remove_all(home);
    return 0;
}
