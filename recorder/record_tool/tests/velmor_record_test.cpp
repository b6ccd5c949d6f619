// velmor-record as a user runs it: a child process recording from the
// private sound server's pipe source while a tone is fed in real time.

#include "platform/testserver/pipe_source.h"
#include "platform/testserver/sound_server.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace recorder {
namespace {

constexpr const char* kInput = "Velmor Tool Test Input";

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

class VelmorRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-record-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        // The application folder and the music folder of a fresh user.
        ::setenv("VELMOR_HOME", home_.c_str(), 1);
        ::setenv("HOME", home_.c_str(), 1);
        input_ = std::make_unique<testsound::PipeSource>(testsound::SoundServer::shared(), "velmor_tool_in", kInput);
    }
    void TearDown() override
    {
        input_.reset();
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }

    // Starts velmor-record with args, its output going to files.
    pid_t spawn(std::vector<std::string> args)
    {
        args.insert(args.begin(), VELMOR_RECORD);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (home_ + "/out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (home_ + "/err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, VELMOR_RECORD, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    Outcome finish(pid_t pid)
    {
        Outcome r;
        int status = 0;
        // Bounded: a hang is a failure, not a stuck test run.
        for (int i = 0; i < 3000; ++i) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (r.status < 0) ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
        r.out = readFile(home_ + "/out.txt");
        r.err = readFile(home_ + "/err.txt");
        return r;
    }
    Outcome run(std::vector<std::string> args) { return finish(spawn(std::move(args))); }

    std::string home_;
    std::unique_ptr<testsound::PipeSource> input_;
};

TEST_F(VelmorRecord, RecordsExactlyTheDurationAskedForIntoAnMp3)
{
    testsound::SignalWriter tone(*input_, testsound::Signal::sine({440.0, 1000.0}, 0.5), 1.0);
    tone.start();
    const std::string file = home_ + "/three.mp3";
    const Outcome r = run({"-f", "mp3", "-d", kInput, "-t", "3", "-o", file});
    tone.stop();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "") << "nothing on a pipe";
    auto info = testaudio::probe(file);
    EXPECT_EQ(info["codec_name"], "mp3");
    EXPECT_NEAR(std::stod(info["duration"]), 3.0, 0.08);
}

TEST_F(VelmorRecord, CtrlCEndsWithACompleteFileOfWhatCameIn)
{
    testsound::SignalWriter tone(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
    tone.start();
    const std::string file = home_ + "/interrupted.wav";
    const pid_t pid = spawn({"-f", "wav", "-d", kInput, "-o", file});
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ::kill(pid, SIGINT);
    const Outcome r = finish(pid);
    tone.stop();
    EXPECT_EQ(r.status, 0) << r.err;
    const auto pcm = testaudio::decodeWithFfmpeg(file, 44100, 2);
    EXPECT_NEAR(static_cast<double>(pcm.size()) / (2 * 44100), 2.0, 0.5) << "about the two seconds it ran";
    EXPECT_GT(testaudio::toneLevel(pcm, 2, 0, 1000.0, 44100), 0.1) << "the tone is in it";
}

// Logout (SIGHUP) and shutdown (SIGTERM) end it as Ctrl+C does; a second signal while it ends, at once.
TEST_F(VelmorRecord, TermAndHupEndWithACompleteFileAndASecondSignalEndsAtOnce)
{
    testsound::SignalWriter tone(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
    tone.start();
    for (int signal : {SIGTERM, SIGHUP}) {
        const std::string file = home_ + "/signal" + std::to_string(signal) + ".mp3";
        const pid_t pid = spawn({"-f", "mp3", "-d", kInput, "-o", file});
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::kill(pid, signal);
        const Outcome r = finish(pid);
        EXPECT_EQ(r.status, 0) << signal << ": " << r.err;
        EXPECT_NEAR(std::stod(testaudio::probe(file)["duration"]), 1.5, 0.5) << signal;
    }
    const std::string file = home_ + "/twice.wav";
    const pid_t pid = spawn({"-f", "wav", "-d", kInput, "-o", file});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    // Both pending at once, so both are taken: whichever comes second ends it.
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGINT);
    const Outcome r = finish(pid);
    tone.stop();
    EXPECT_TRUE(r.status == 128 + SIGTERM || r.status == 128 + SIGINT) << r.status;
    EXPECT_GT(testaudio::decodeWithFfmpeg(file, 44100, 2).size(), 44100u) << "what was on disk stays readable";
}

TEST_F(VelmorRecord, ListsTheDevicesAndRefusesBadArgumentsWithTheirExitStatus)
{
    const Outcome list = run({"--list-devices"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find(std::string(kInput) + "\n"), std::string::npos) << list.out;

    const Outcome badFormat = run({"-f", "flac-ish", "-t", "1"});
    EXPECT_EQ(badFormat.status, 2);
    EXPECT_NE(badFormat.err.find("unknown format \"flac-ish\""), std::string::npos) << badFormat.err;

    const Outcome noDevice = run({"-d", "No Such Microphone", "-t", "1"});
    EXPECT_EQ(noDevice.status, 1);
    EXPECT_NE(noDevice.err.find("there is no capture device \"No Such Microphone\""), std::string::npos) << noDevice.err;
    EXPECT_TRUE(std::filesystem::is_empty(home_) || !std::filesystem::exists(home_ + "/Music"))
        << "a refused start leaves no file";
}

} // namespace
} // namespace recorder
