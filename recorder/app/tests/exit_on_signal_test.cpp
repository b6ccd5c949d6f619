// The built program ended by logout, shutdown, Ctrl+C or kill while it
// records: the recording ends as Stop would, its row goes into the list kept
// for the next start, and the program exits in order. A second signal ends
// it at once, with the file as it stands.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/app/form1.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/recordings/project_file.h"
#include "recorder/recording/format_values.h"

#include "platform/testserver/sound_server.h"

#include <QLabel>
#include <QProcess>

#include <chrono>
#include <csignal>
#include <cstdio>

namespace recorder {
namespace {

class ExitOnSignal : public RecorderWindowTest {
protected:
    // The program started as a script would, recording at once from the first
    // device it lists: on a server of the test's own, the only source is its pipe.
    void startRecorder(int format)
    {
        server_ = testsound::SoundServer::startPrivate();
        ASSERT_TRUE(server_ && server_->alive());
        server_->pactl("unload-module module-null-sink");
        writeSettings("[set]\noutputformat=" + std::to_string(format) + "\n");
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", QString::fromStdString(server_->server()));
        program_.setProcessEnvironment(env);
        program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program_.start(RECORDER_BINARY, {"--record"});
        ASSERT_TRUE(program_.waitForStarted(5000));
    }

    // The recording's file once it has appeared in the music folder.
    std::string waitForRecording()
    {
        const auto music = std::filesystem::path(home_) / "Music";
        for (int i = 0; i < 500; ++i) {
            std::error_code ec;
            for (const auto& entry : std::filesystem::directory_iterator(music, ec))
                if (entry.is_regular_file()) return entry.path().string();
            wait(20);
        }
        return {};
    }

    void feedTone(double seconds)
    {
        testsound::SignalWriter writer(server_->folder() + "/pipe.fifo", 44100,
                                       testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer.start(static_cast<std::uint64_t>(seconds * 44100));
        writer.waitFinished(seconds + 10);
    }

    bool waitForExit(int ms = 20000)
    {
        for (int i = 0; i < ms / 20 && program_.state() != QProcess::NotRunning; ++i) wait(20);
        return program_.state() == QProcess::NotRunning;
    }

    double decodedSeconds(const std::string& path)
    {
        const auto pcm = testaudio::decodeWithFfmpeg(path, 44100, 2);
        return double(pcm.size()) / 2 / 44100;
    }

    void TearDown() override
    {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished(5000);
        }
        server_.reset();
        RecorderWindowTest::TearDown();
    }

    std::unique_ptr<testsound::SoundServer> server_;
    QProcess program_;
};

class EachSignal : public ExitOnSignal, public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(EachSignal, EndsTheRecordingAsStopWouldAndKeepsItsRow)
{
    const auto [signal, format] = GetParam();
    startRecorder(format);
    const std::string path = waitForRecording();
    ASSERT_FALSE(path.empty()) << "the recording did not start";
    feedTone(4.0);
    const auto signalled = std::chrono::steady_clock::now();
    ::kill(static_cast<pid_t>(program_.processId()), signal);
    ASSERT_TRUE(waitForExit()) << "the program did not end";
    const double exitSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program_.exitCode(), 0);

    const double seconds = decodedSeconds(path);
    std::printf("signal %d: 4.0 s fed, %.2f s in the file, the program ended %.2f s after the signal\n", signal, seconds,
                exitSeconds);
    EXPECT_NEAR(seconds, 4.0, 1.0) << path << ", " << std::filesystem::file_size(path) << " bytes";
    if (format == FormatCode::WAV) {
        // Closed as Stop closes it: the header counts every frame on disk.
        auto info = testaudio::probe(path);
        EXPECT_NEAR(std::stod(info["duration"]), seconds, 0.05);
    }

    const ProjectLoadResult list = loadProject(home_ + "/recordings at exit.rpf");
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows[0].path, path);
    EXPECT_NE(list.rows[0].duration, "0:00:00");
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, EachSignal,
                         ::testing::Combine(::testing::Values(SIGTERM, SIGINT, SIGHUP),
                                            ::testing::Values(int(FormatCode::WAV), int(FormatCode::MP3))));

TEST_F(ExitOnSignal, ASecondSignalEndsTheProgramAtOnceWithADecodableFile)
{
    startRecorder(FormatCode::WAV);
    const std::string path = waitForRecording();
    ASSERT_FALSE(path.empty());
    feedTone(2.0);
    const auto pid = static_cast<pid_t>(program_.processId());
    // Both pending at once, so both are taken: whichever comes second ends it.
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGINT);
    ASSERT_TRUE(waitForExit(5000));
    EXPECT_TRUE(program_.exitCode() == 128 + SIGTERM || program_.exitCode() == 128 + SIGINT) << program_.exitCode();
    EXPECT_GT(decodedSeconds(path), 0.5) << "what was on disk stays readable";
}

// The next start lists what the signal's exit kept, once.
TEST_F(ExitOnSignal, TheNextStartListsTheRecordingsOfTheRunASignalEnded)
{
    const std::vector<RecordingRow> kept = {{"1", home_ + "/Music/a.wav", "1 KB", "0:00:04", "12/10/2026 9:00:00 AM", "WAV"},
                                            {"2", home_ + "/Music/b.mp3", "2 KB", "0:00:05", "12/10/2026 9:01:00 AM", "MP3"}};
    ASSERT_FALSE(saveProject(Form1::listAtExitPath(), kept).error);
    openWindow();
    const auto rows = form_->rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].path, kept[1].path);
    EXPECT_EQ(rows[1].duration, "0:00:05");
    EXPECT_NE(form_->StatusPanel2->text().indexOf("restored"), -1) << form_->StatusPanel2->text().toStdString();
    EXPECT_FALSE(std::filesystem::exists(Form1::listAtExitPath()));
    form_.reset();
    openWindow();
    EXPECT_TRUE(form_->rows().empty());
}

} // namespace
} // namespace recorder
