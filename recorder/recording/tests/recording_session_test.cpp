// The recording session without any window: the real capture control on the
// private sound server, a tone fed in real time, the file checked by ffmpeg.

#include "recorder/recording/apartment_owner_thread.h"
#include "recorder/recording/capture_control_capture.h"
#include "recorder/recording/capture_control_loader.h"
#include "recorder/recording/recording_session.h"
#include "recorder/components/audio_array.h"

#include "platform/com/apartment.h"
#include "platform/com/class_registry.h"
#include "platform/testserver/pipe_source.h"
#include "platform/testserver/sound_server.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace recorder {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kInputName = "Velmor Session Test Input";

// Every observer call, in order.
struct EventLog final : RecordingObserver {
    std::vector<std::string> events;
    std::vector<RecordingResult> results;
    RecordingStatus lastStatus;
    int mostBehind = 0;
    void recordingStarted(const RecordingInfo& i) override { events.push_back("started " + i.path); }
    void recordingStartFailed(const StartFailure& f) override { events.push_back("refused " + f.message); }
    void recordingStatusChanged(const RecordingStatus& s) override
    {
        lastStatus = s;
        mostBehind = std::max(mostBehind, s.secondsBehind);
    }
    void recordingFailed(const std::string& m) override { events.push_back("failed " + m); }
    void recordingStopping(const RecordingInfo& i) override { events.push_back("stopping " + i.path); }
    void recordingStopped(const RecordingResult& r) override
    {
        events.push_back("stopped " + r.info.path);
        results.push_back(r);
    }
};

// The real file, made slow or held shut to stand in for a slow or stuck disk.
class ThrottledFile final : public RecordingFile {
public:
    struct Gate {
        std::mutex m;
        std::condition_variable cv;
        bool open = true;
        void set(bool o)
        {
            {
                std::lock_guard l(m);
                open = o;
            }
            cv.notify_all();
        }
        void pass()
        {
            std::unique_lock l(m);
            cv.wait(l, [this] { return open; });
        }
    };
    ThrottledFile(std::chrono::milliseconds perWrite, Gate* gate) : real_(makeEncodedRecordingFile()), perWrite_(perWrite), gate_(gate) {}
    bool selectFormat(const FormatSelection& s) override { return real_->selectFormat(s); }
    FormatInfo format() const override { return real_->format(); }
    bool open(const std::string& path) override { return real_->open(path); }
    bool write(std::span<const std::uint8_t> block) override
    {
        if (gate_) gate_->pass();
        std::this_thread::sleep_for(perWrite_);
        return real_->write(block);
    }
    bool close() override { return real_->close(); }
    std::string lastError() const override { return real_->lastError(); }

private:
    std::unique_ptr<RecordingFile> real_;
    std::chrono::milliseconds perWrite_;
    Gate* gate_;
};

class RecordingSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-session-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        folder_ = tmpl;
        std::ofstream(folder_ + "/settings.dat") << "[set]\n";
        CoInitialize(nullptr);
        ASSERT_EQ(com::registerServerLibrary(CAPTURE_LIBRARY, false), S_OK);
        input_ = std::make_unique<testsound::PipeSource>(testsound::SoundServer::shared(), "velmor_session_in", kInputName);
        control_ = std::make_unique<LoadedCaptureControl>();
        ASSERT_TRUE(control_->control()) << control_->loadError();
        std::string why;
        ASSERT_TRUE(control_->selectDevice(kInputName, why)) << why;
        capture_ = std::make_unique<CaptureControlCapture>(control_->control(), control_->loadError());
        owner_ = std::make_unique<ApartmentOwnerThread>();
    }
    void TearDown() override
    {
        session_.reset();
        capture_.reset();
        control_.reset();
        input_.reset();
        CoFreeUnusedLibraries();
        CoUninitialize();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    void makeSession(RecordingSession::FileFactory files = makeEncodedRecordingFile)
    {
        session_ = std::make_unique<RecordingSession>(*capture_, *owner_, std::move(files));
        session_->addObserver(&log_);
        control_->events().onEndArrayRecord = [this](const VARIANT&) {
            const auto t0 = Clock::now();
            session_->blockArrived();
            longestCall_ = std::max(longestCall_, Clock::now() - t0);
        };
    }

    RecordingRequest request(const std::string& name, int format = FormatCode::WAV)
    {
        RecordingRequest r;
        r.settingsPath = folder_ + "/settings.dat";
        r.defaultFolder = folder_;
        r.extension = format == FormatCode::WAV ? "WAV" : "MP3";
        r.formatCode = format;
        r.outputPath = folder_ + "/" + name;
        return r;
    }

    // Serves the owner thread's apartment, timing every turn, until done() or the timeout.
    bool pumpUntil(const std::function<bool()>& done, double seconds = 10)
    {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        auto& apartment = *owner_->apartment();
        while (!done()) {
            if (Clock::now() > end) return false;
            const auto t0 = Clock::now();
            apartment.pump();
            longestCall_ = std::max(longestCall_, Clock::now() - t0);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    void feed(double seconds, double pace = 1.0)
    {
        testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), pace);
        writer.start(static_cast<std::uint64_t>(seconds * 44100));
        ASSERT_TRUE(pumpUntil([&] { return writer.finished(); }, seconds / pace + 10));
    }

    double longestMs() const { return std::chrono::duration<double, std::milli>(longestCall_).count(); }

    std::string folder_;
    std::unique_ptr<testsound::PipeSource> input_;
    std::unique_ptr<LoadedCaptureControl> control_;
    std::unique_ptr<CaptureControlCapture> capture_;
    std::unique_ptr<ApartmentOwnerThread> owner_;
    std::unique_ptr<RecordingSession> session_;
    EventLog log_;
    Clock::duration longestCall_{};
};

TEST_F(RecordingSessionTest, CountsEveryFrameOfAToneFedInRealTimeAndWritesThemAll)
{
    makeSession();
    input_->drain();
    session_->start(request("tone.wav"));
    ASSERT_EQ(session_->state(), RecordingSession::State::Recording) << ::testing::PrintToString(log_.events);
    feed(2.0);
    constexpr std::int64_t kFrames = 2 * 44100;
    ASSERT_TRUE(pumpUntil([&] { return session_->counters().framesCaptured >= kFrames; }, 5));
    session_->stop();
    EXPECT_EQ(session_->state(), RecordingSession::State::Stopping) << "the file is finished on the writer thread";
    ASSERT_TRUE(pumpUntil([&] { return session_->idle(); }));

    ASSERT_EQ(log_.results.size(), 1u);
    const RecordingResult& r = log_.results[0];
    EXPECT_TRUE(r.complete) << r.error;
    EXPECT_EQ(r.counters.framesCaptured, kFrames);
    EXPECT_EQ(r.counters.framesWritten, kFrames);
    EXPECT_EQ(r.counters.framesLostCapture + r.counters.framesLostWriting, 0);
    EXPECT_DOUBLE_EQ(r.seconds(), 2.0);
    EXPECT_EQ(r.counters.bytesOnDisk, std::filesystem::file_size(r.info.path));
    const auto pcm = testaudio::decodeWithFfmpeg(r.info.path, 44100, 2);
    EXPECT_EQ(pcm.size(), static_cast<std::size_t>(kFrames) * 2) << "the file holds exactly what was counted";
}

TEST_F(RecordingSessionTest, AStartAskedForWhileStoppingOpensItsFileOnlyAfterTheLastIsClosed)
{
    // A slow disk keeps the first recording in its stopping state for a while.
    makeSession([] { return std::make_unique<ThrottledFile>(std::chrono::milliseconds(200), nullptr); });
    session_->start(request("first.wav"));
    feed(1.0);
    session_->stop();
    ASSERT_EQ(session_->state(), RecordingSession::State::Stopping);
    session_->start(request("second.wav"));
    session_->stop(); // a stop after it: carried out after the start, on the second file
    session_->start(request("third.wav"));
    EXPECT_EQ(session_->state(), RecordingSession::State::Stopping) << "nothing interleaves with the stop";
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/second.wav"));
    ASSERT_TRUE(pumpUntil([&] { return session_->state() == RecordingSession::State::Recording && log_.results.size() == 2; }));
    feed(0.5);
    session_->stop();
    ASSERT_TRUE(pumpUntil([&] { return session_->idle(); }));

    const std::vector<std::string> expected = {
        "started " + folder_ + "/first.wav",   "stopping " + folder_ + "/first.wav",
        "stopped " + folder_ + "/first.wav",   "started " + folder_ + "/second.wav",
        "stopping " + folder_ + "/second.wav", "stopped " + folder_ + "/second.wav",
        "started " + folder_ + "/third.wav",   "stopping " + folder_ + "/third.wav",
        "stopped " + folder_ + "/third.wav"};
    EXPECT_EQ(log_.events, expected);
    ASSERT_EQ(log_.results.size(), 3u);
    for (const auto& r : log_.results) {
        EXPECT_TRUE(r.complete) << r.info.path << ": " << r.error;
        EXPECT_EQ(testaudio::probe(r.info.path)["codec_name"], "pcm_s16le") << r.info.path;
    }
    EXPECT_GE(log_.results[0].seconds(), 0.9) << "the first file has its own audio";
}

TEST_F(RecordingSessionTest, ASlowDiskNeverHoldsTheOwnerThreadAndTheFileIsComplete)
{
    makeSession([] { return std::make_unique<ThrottledFile>(std::chrono::milliseconds(500), nullptr); });
    input_->drain();
    session_->start(request("slow.mp3", FormatCode::MP3));
    ASSERT_EQ(session_->state(), RecordingSession::State::Recording) << ::testing::PrintToString(log_.events);
    longestCall_ = {};
    feed(3.0);
    ASSERT_TRUE(pumpUntil([&] { return session_->counters().framesCaptured >= 3 * 44100; }, 5));
    const auto t0 = Clock::now();
    session_->stop();
    longestCall_ = std::max(longestCall_, Clock::now() - t0);
    ASSERT_TRUE(pumpUntil([&] { return session_->idle(); }));

    EXPECT_LT(longestMs(), 50.0) << "the owner thread waited for the disk";
    ASSERT_EQ(log_.results.size(), 1u);
    const RecordingResult& r = log_.results[0];
    EXPECT_TRUE(r.complete) << r.error;
    EXPECT_EQ(r.counters.framesWritten, r.counters.framesCaptured);
    EXPECT_EQ(r.counters.framesLostWriting, 0) << "what queued during a write went in with the next one";
    const double seconds = std::stod(testaudio::probe(r.info.path)["duration"]);
    EXPECT_NEAR(seconds, 3.0, 0.1);
}

TEST_F(RecordingSessionTest, AStuckDiskOverflowsTheQueueAndTheLostFramesAreCountedAndSaid)
{
    ThrottledFile::Gate gate;
    gate.set(false);
    makeSession([&gate] { return std::make_unique<ThrottledFile>(std::chrono::milliseconds(0), &gate); });
    input_->drain();
    session_->start(request("stuck.wav"));
    feed(RecordingSession::kQueueSeconds + 2.0);
    ASSERT_TRUE(pumpUntil([&] { return log_.lastStatus.framesLostWriting > 0; }, 5));
    EXPECT_GE(log_.mostBehind, RecordingSession::kQueueSeconds - 1) << "the backlog was said while it grew";
    gate.set(true);
    session_->stop();
    ASSERT_TRUE(pumpUntil([&] { return session_->idle(); }));

    ASSERT_EQ(log_.results.size(), 1u);
    const RecordingCounters& c = log_.results[0].counters;
    EXPECT_GE(c.framesLostWriting, 44100 / 2) << "what did not fit while the disk was stuck";
    EXPECT_EQ(c.framesWritten + c.framesLostWriting, c.framesCaptured) << "every frame is written or counted as lost";
    const auto pcm = testaudio::decodeWithFfmpeg(log_.results[0].info.path, 44100, 2);
    EXPECT_EQ(pcm.size(), static_cast<std::size_t>(c.framesWritten) * 2);
}

TEST_F(RecordingSessionTest, AStartThatCannotBeCarriedOutSaysWhyAndLeavesNothingBehind)
{
    makeSession();
    RecordingRequest r = request("no/such/folder/x.wav");
    session_->start(r);
    EXPECT_EQ(session_->state(), RecordingSession::State::Idle);
    ASSERT_EQ(log_.events.size(), 1u);
    EXPECT_EQ(log_.events[0].rfind("refused The recording could not start: ", 0), 0u) << log_.events[0];

    // An unknown format code is refused before anything is touched.
    r = request("x.wav");
    r.formatCode = 42;
    r.extension = "XYZ";
    session_->start(r);
    EXPECT_EQ(log_.events.back().rfind("refused The recording could not start: the XYZ settings cannot be recorded", 0), 0u)
        << log_.events.back();
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/x.wav"));
    session_->stop(); // a stop while idle changes nothing
    EXPECT_TRUE(session_->idle());
}

} // namespace
} // namespace recorder

namespace recorder {
namespace {

TEST_F(RecordingSessionTest, AFolderRemovedMidRecordingStopsItAndTheFileIsSavedWithAllItHeld)
{
    makeSession();
    input_->drain();
    auto r = request("takes/gone.wav");
    std::filesystem::create_directories(folder_ + "/takes");
    session_->start(r);
    ASSERT_EQ(session_->state(), RecordingSession::State::Recording);
    feed(1.5);
    std::filesystem::remove_all(folder_ + "/takes");
    const auto removed = Clock::now();
    {
        // The session stops itself, and with it the source stops taking the tone.
        testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer.start(3 * 44100);
        ASSERT_TRUE(pumpUntil([&] { return session_->idle(); }, 6)) << ::testing::PrintToString(log_.events);
    }
    const double noticedAfter = std::chrono::duration<double>(Clock::now() - removed).count();

    ASSERT_EQ(log_.results.size(), 1u);
    const RecordingResult& result = log_.results[0];
    EXPECT_FALSE(result.complete);
    EXPECT_NE(result.error.find("its folder " + folder_ + "/takes was removed"), std::string::npos) << result.error;
    // Saved where it was, the folder made anew.
    EXPECT_EQ(result.info.path, folder_ + "/takes/gone.wav");
    ASSERT_TRUE(std::filesystem::exists(result.info.path));
    const auto pcm = testaudio::decodeWithFfmpeg(result.info.path, 44100, 2);
    EXPECT_EQ(pcm.size(), static_cast<std::size_t>(result.counters.framesWritten) * 2) << "all it was told it holds";
    EXPECT_GT(result.seconds(), 1.5) << "the audio from before the removal and until the stop";
    std::printf("folder removed after 1.5 s fed: %.2f s in the saved file, stopped and saved %.2f s after the removal\n",
                result.seconds(), noticedAfter);
    EXPECT_LT(noticedAfter, 2.0) << "noticed within a second, then finished and saved";
}

TEST_F(RecordingSessionTest, AFolderMovedMidRecordingIsFollowedAndTheRecordingGoesOnThere)
{
    makeSession();
    input_->drain();
    std::filesystem::create_directories(folder_ + "/a");
    session_->start(request("a/take.wav"));
    feed(1.2);
    std::filesystem::rename(folder_ + "/a", folder_ + "/b");
    feed(1.8);
    const double fed = 3.0; // whole capture blocks
    ASSERT_TRUE(pumpUntil([&] { return session_->counters().framesCaptured >= std::int64_t(fed * 44100); }, 5))
        << session_->counters().framesCaptured << ::testing::PrintToString(log_.events);
    EXPECT_EQ(log_.lastStatus.fileMovedTo, folder_ + "/b/take.wav");
    session_->stop();
    ASSERT_TRUE(pumpUntil([&] { return session_->idle(); }));

    ASSERT_EQ(log_.results.size(), 1u);
    const RecordingResult& result = log_.results[0];
    EXPECT_TRUE(result.complete) << result.error;
    EXPECT_EQ(result.info.path, folder_ + "/b/take.wav");
    EXPECT_NEAR(std::stod(testaudio::probe(result.info.path)["duration"]), fed, 0.05);
}

} // namespace
} // namespace recorder

namespace recorder {
namespace {

// The sound server killed mid-recording and started again (as after an
// update or a crash): a server of this test's own.
TEST(RecordingSessionServer, AServerThatComesBackIsWaitedForAndTheRecordingGoesOnIntoTheSameFile)
{
    auto server = testsound::SoundServer::startPrivate();
    ASSERT_TRUE(server && server->alive());
    server->useInThisProcess();
    char tmpl[] = "/tmp/velmor-restart-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string folder = tmpl;
    std::ofstream(folder + "/settings.dat") << "[set]\n";
    CoInitialize(nullptr);
    ASSERT_EQ(com::registerServerLibrary(CAPTURE_LIBRARY, false), S_OK);
    {
        LoadedCaptureControl control;
        ASSERT_TRUE(control.control()) << control.loadError();
        std::string why;
        ASSERT_TRUE(control.selectDevice("velmor_pipe", why)) << why;
        CaptureControlCapture capture(control.control(), control.loadError());
        ApartmentOwnerThread owner;
        RecordingSession session(capture, owner);
        EventLog log;
        session.addObserver(&log);
        control.events().onEndArrayRecord = [&](const VARIANT&) { session.blockArrived(); };
        auto pumpFor = [&](double seconds, const std::function<bool()>& done = [] { return false; }) {
            const auto end = Clock::now() + std::chrono::duration<double>(seconds);
            while (Clock::now() < end && !done()) {
                owner.apartment()->pump();
                session.checkCapture();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return done();
        };
        auto feed = [&](double seconds) {
            testsound::SignalWriter writer(server->folder() + "/pipe.fifo", 44100,
                                           testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
            writer.start(static_cast<std::uint64_t>(seconds * 44100));
            pumpFor(seconds + 5, [&] { return writer.finished(); });
        };

        RecordingRequest request;
        request.settingsPath = folder + "/settings.dat";
        request.defaultFolder = folder;
        request.extension = "WAV";
        request.formatCode = FormatCode::WAV;
        request.outputPath = folder + "/restart.wav";
        request.captureWaitSeconds = 20;
        session.start(request);
        ASSERT_EQ(session.state(), RecordingSession::State::Recording) << ::testing::PrintToString(log.events);
        const auto started = Clock::now();
        feed(2.0);
        server->kill();
        const auto killed = Clock::now();
        ASSERT_TRUE(pumpFor(5, [&] { return session.waitingForCapture(); }));
        const double toldAfter = std::chrono::duration<double>(Clock::now() - killed).count();
        EXPECT_EQ(log.lastStatus.captureNote, "The sound server went away at 0:00:02; waiting for it\xE2\x80\xA6");
        pumpFor(5.0 - toldAfter);
        ASSERT_TRUE(server->restart());
        const auto back = Clock::now();
        ASSERT_TRUE(pumpFor(10, [&] { return !session.waitingForCapture(); })) << log.lastStatus.captureNote;
        const double resumedAfter = std::chrono::duration<double>(Clock::now() - back).count();
        EXPECT_EQ(log.lastStatus.captureNote.rfind("Recording resumed after ", 0), 0u) << log.lastStatus.captureNote;
        feed(2.0);
        const double wall = std::chrono::duration<double>(Clock::now() - started).count();
        session.stop();
        ASSERT_TRUE(pumpFor(10, [&] { return session.idle(); }));
        std::printf("told of the loss after %.2f s; resumed %.2f s after the server came back\n", toldAfter, resumedAfter);

        ASSERT_EQ(log.results.size(), 1u);
        const RecordingResult& r = log.results[0];
        EXPECT_TRUE(r.complete) << r.error;
        EXPECT_EQ(r.info.path, request.outputPath);
        EXPECT_GT(r.counters.framesSilence, 4 * 44100);
        const auto pcm = testaudio::decodeWithFfmpeg(r.info.path, 44100, 2);
        const double seconds = double(pcm.size()) / 2 / 44100;
        EXPECT_NEAR(seconds, wall, 1.0) << "the file keeps the wall clock's time";
        auto level = [&](double from, double to) { return testaudio::toneLevelBetween(pcm, 2, 1000, 44100, from, to); };
        EXPECT_GT(level(0.3, 1.7), 0.15);
        EXPECT_LT(level(2.5, 6.5), 0.01) << "the gap is silence";
        EXPECT_GT(level(seconds - 1.5, seconds - 0.3), 0.15);
    }
    CoFreeUnusedLibraries();
    CoUninitialize();
    server.reset();
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace recorder

namespace recorder {
namespace {

// A capture that hands over the blocks a test gives it, and drops what the test says it dropped.
class InjectedCapture final : public RecordingCapture {
public:
    bool start(int rate, int channels, std::string&) override
    {
        rate_ = rate;
        channels_ = channels;
        return true;
    }
    void stop() override {}
    bool receive(com::SafeArray& block, std::string&) override
    {
        block = com::SafeArray();
        if (blocks_.empty()) return true;
        block = std::move(blocks_.front());
        blocks_.pop_front();
        return true;
    }
    long long lostFrames() override { return lost; }
    bool running() override { return alive; }
    std::string deviceName() override { return "Injected"; }

    void tone(double seconds)
    {
        const auto pcm = testaudio::twoTones(rate_, channels_, seconds, 1000, 1000);
        blocks_.push_back(makeAudioArray(rate_, channels_,
                                         std::span(reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size() * 2)));
    }
    long long lost = 0;
    bool alive = true;

private:
    int rate_ = 0, channels_ = 0;
    std::deque<com::SafeArray> blocks_;
};

TEST(RecordingSessionOverrun, FramesTheCaptureDroppedAreSilenceOfTheirLengthAndCounted)
{
    testaudio::TempDir dir;
    std::ofstream(dir.file("settings.dat")) << "[set]\n";
    struct Apartment {
        Apartment() { CoInitialize(nullptr); } // the owner thread's
        ~Apartment() { CoUninitialize(); }
    } apartment;
    InjectedCapture capture;
    ApartmentOwnerThread owner;
    RecordingSession session(capture, owner);
    EventLog log;
    session.addObserver(&log);
    RecordingRequest request;
    request.settingsPath = dir.file("settings.dat");
    request.defaultFolder = dir.path();
    request.extension = "WAV";
    request.formatCode = FormatCode::WAV;
    request.outputPath = dir.file("stall.wav");
    session.start(request);
    ASSERT_EQ(session.state(), RecordingSession::State::Recording);
    capture.tone(1.0);
    session.blockArrived();
    capture.lost = 22050; // half a second the machine was away
    capture.tone(1.0);
    session.blockArrived();
    EXPECT_EQ(log.lastStatus.framesLostCapture, 22050);
    // Then it goes away: what it lost before is counted once, not again with the wait.
    capture.alive = false;
    session.checkCapture();
    EXPECT_TRUE(session.waitingForCapture());
    session.stop();
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!session.idle() && Clock::now() < end) {
        owner.apartment()->pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(log.results.size(), 1u);
    const RecordingResult& r = log.results[0];
    EXPECT_EQ(r.counters.framesLostCapture, 22050);
    EXPECT_EQ(r.counters.framesSilence, 22050);
    EXPECT_EQ(r.counters.framesWritten, 44100 * 2 + 22050);
    const auto pcm = testaudio::decodeWithFfmpeg(r.info.path, 44100, 2);
    ASSERT_EQ(pcm.size(), std::size_t(44100 * 2 + 22050) * 2);
    const std::vector<std::int16_t> gap(pcm.begin() + 44100 * 2, pcm.begin() + (44100 + 22050) * 2);
    EXPECT_TRUE(std::all_of(gap.begin(), gap.end(), [](std::int16_t v) { return v == 0; })) << "the lost half second";
}

} // namespace
} // namespace recorder
