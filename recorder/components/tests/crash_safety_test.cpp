// A recording killed with SIGKILL leaves a file that decodes up to its last block.

#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace testaudio;

namespace {

// Starts the helper, waits for its "ready", kills it.
bool recordAndKill(const std::string& kind, const std::string& path, int blocks)
{
    int out[2];
    if (::pipe(out) != 0) return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(COMPONENTS_TEST_HELPER, COMPONENTS_TEST_HELPER, kind.c_str(), path.c_str(),
                std::to_string(blocks).c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    char buf[16] = {};
    const ssize_t n = ::read(out[0], buf, sizeof buf - 1);
    ::close(out[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return n > 0 && std::string(buf).rfind("ready", 0) == 0 && WIFSIGNALED(status);
}

class CrashSafety : public ::testing::TestWithParam<std::string> {};

TEST_P(CrashSafety, KilledRecordingDecodesUpToTheLastBlock)
{
    TempDir dir;
    const std::string path = dir.file("killed." + GetParam());
    ASSERT_TRUE(recordAndKill(GetParam(), path, 3));
    const auto pcm = decodeWithFfmpeg(path, 44100, 2);
    const double seconds = double(pcm.size()) / 2 / 44100;
    // Everything before the last block is there; the codec may still hold a frame or two of it.
    EXPECT_GT(seconds, 2.9);
    EXPECT_LT(seconds, 3.1);
    EXPECT_GT(toneLevel(pcm, 2, 0, 440, 44100), 0.2);
    EXPECT_GT(toneLevel(pcm, 2, 1, 1000, 44100), 0.2);
    if (GetParam() == "wav") {
        auto info = probe(path);
        EXPECT_NEAR(std::stod(info["duration"]), 3.0, 0.01);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CrashSafety, ::testing::Values("wav", "mp3", "ogg"));

} // namespace
