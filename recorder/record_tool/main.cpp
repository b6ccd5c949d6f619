// velmor-record: the recording session on the command line, with the
// recorder's settings, formats, filters and naming rules, and no window.

#include "recorder/formats/mp3_lame_settings.h"
#include "recorder/record_tool/progress_line.h"
#include "recorder/record_tool/record_options.h"
#include "recorder/recording/apartment_owner_thread.h"
#include "recorder/recording/capture_control_capture.h"
#include "recorder/recording/capture_control_loader.h"
#include "recorder/recording/format_values.h"
#include "recorder/recording/settings_number.h"
#include "recorder/recording/recording_session.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/settings/music_folder.h"
#include "recorder/settings/settings_store.h"

#include "platform/signals/shutdown_signals.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include <poll.h>
#include <unistd.h>

namespace recorder {
namespace {

// What the command line prints of the session's news.
struct ConsoleObserver final : RecordingObserver {
    bool started = false;
    std::optional<RecordingResult> result;
    std::string failure;
    void recordingStarted(const RecordingInfo&) override { started = true; }
    void recordingStartFailed(const StartFailure& f) override { failure = f.message; }
    void recordingFailed(const std::string& message) override { failure = message; }
    // What the window shows in its status bar, said once on the error output.
    void recordingStatusChanged(const RecordingStatus& s) override
    {
        say(s.settingsNotes, settingsNotes);
        say(s.spaceNote, spaceNote);
        say(s.captureNote, captureNote);
        say(s.fileMovedTo.empty() ? "" : "the file was moved with its folder: it is now " + s.fileMovedTo, moved);
    }
    static void say(const std::string& now, std::string& said)
    {
        if (now == said) return;
        said = now;
        if (!now.empty()) std::fprintf(stderr, "\nvelmor-record: %s\n", now.c_str());
    }
    std::string settingsNotes, spaceNote, captureNote, moved;
    void recordingStopped(const RecordingResult& r) override { result = r; }
};

int run(const RecordOptions& options)
{
    CoInitialize(nullptr);
    LoadedCaptureControl control;
    if (!control.control()) {
        std::fprintf(stderr, "velmor-record: the capture component (TavorAudioDXRecord3) could not be loaded: %s\n",
                     control.loadError().c_str());
        return 1;
    }
    if (options.action == RecordOptions::Action::ListDevices) {
        for (const auto& name : control.deviceNames()) std::printf("%s\n", name.c_str());
        return 0;
    }
    if (!options.device.empty()) {
        std::string why;
        if (!control.selectDevice(options.device, why)) {
            std::fprintf(stderr, "velmor-record: %s (velmor-record --list-devices lists them)\n", why.c_str());
            return 1;
        }
    }

    const std::string settings = settingsFilePath();
    int format = FormatCode::MP3;
    if (options.format) {
        format = *options.format;
    } else {
        std::string problem;
        format = storedOutputFormat(settings, FormatCode::MP3, &problem);
        if (!problem.empty()) std::fprintf(stderr, "velmor-record: %s\n", problem.c_str());
    }
    auto mp3 = std::make_shared<MP3Lame>();
    readMp3LameSettings(settings, *mp3);

    CaptureControlCapture capture(control.control(), control.loadError());
    ApartmentOwnerThread owner;
    RecordingSession session(capture, owner);
    ConsoleObserver console;
    session.addObserver(&console);
    int level = -90;
    control.events().onEndArrayRecord = [&](const VARIANT&) { session.blockArrived(); };
    control.events().onTimer = [&](const VARIANT&, const std::vector<short>& levels) {
        level = levels.empty() ? -90 : *std::max_element(levels.begin(), levels.end());
    };

    shutdown::install();
    RecordingRequest request;
    request.settingsPath = settings;
    request.defaultFolder = musicFolder();
    request.extension = kFormatNames[format];
    request.formatCode = format;
    request.outputPath = options.output;
    request.mp3 = mp3;
    request.maxSeconds = options.seconds;
    session.start(request);
    if (!console.started) {
        std::fprintf(stderr, "velmor-record: %s\n", console.failure.c_str());
        return 1;
    }
    const RecordingInfo info = session.info();
    console.recordingStatusChanged(session.status());

    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    if (terminal) std::printf("Recording %s (%s)\n", info.path.c_str(), info.description.c_str());
    auto& apartment = *owner.apartment();
    bool stopAsked = false;
    while (!console.result) {
        const int signals = shutdown::descriptor();
        pollfd fds[2] = {{apartment.wakeFd(), POLLIN, 0}, {signals, POLLIN, 0}};
        const int n = ::poll(fds, signals >= 0 ? 2 : 1, 200);
        if (n < 0 && errno != EINTR) break;
        apartment.pump();
        if (signals >= 0 && (fds[1].revents & POLLIN) && !stopAsked) {
            shutdown::acknowledge();
            stopAsked = true;
            session.stop();
        }
        // A server or device that went away is waited for; the session stops by itself when it does not come back.
        if (!stopAsked) session.checkCapture();
        if (terminal) {
            const auto c = session.counters();
            std::printf("\r%s", progressLine(session.secondsWritten(), c.bytesOnDisk, level).c_str());
            std::fflush(stdout);
        }
    }
    if (terminal) std::printf("\n");
    const RecordingResult& r = *console.result;
    if (!console.failure.empty()) std::fprintf(stderr, "velmor-record: %s\n", console.failure.c_str());
    const auto& c = r.counters;
    if (c.framesLostCapture > 0)
        std::fprintf(stderr, "velmor-record: %lld frames lost: the computer was too busy\n",
                     static_cast<long long>(c.framesLostCapture));
    if (c.framesLostWriting > 0)
        std::fprintf(stderr, "velmor-record: %lld frames lost: the disk was too slow\n",
                     static_cast<long long>(c.framesLostWriting));
    if (terminal) std::printf("%s: %.2f s, %llu bytes\n", r.info.path.c_str(), r.seconds(),
                              static_cast<unsigned long long>(c.bytesOnDisk));
    return r.complete && c.framesWritten > 0 ? 0 : 1;
}

} // namespace
} // namespace recorder

int main(int argc, char** argv)
{
    using namespace recorder;
    const auto parsed = parseRecordOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "velmor-record: %s\n%s", parsed.error.c_str(), kRecordUsage);
        return 2;
    }
    switch (parsed.options->action) {
    case RecordOptions::Action::Help: std::fputs(kRecordUsage, stdout); return 0;
    case RecordOptions::Action::Version: std::printf("velmor-record %s\n", VELMOR_VERSION); return 0;
    default: return run(*parsed.options);
    }
}
