// Write errors: a file that cannot be created, and a file that hits the file
// size limit (RLIMIT_FSIZE, in a child process) fail with words for the user,
// and the file keeps everything that had room, the block that did not fit
// included as far as it fitted.

#include "recorder/components/audio_format_settings.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using recorder::AudioFile;
using namespace testaudio;

namespace {

TEST(WriteFailure, CreateInAMissingFolderSaysWhy)
{
    AudioFile file;
    ASSERT_TRUE(file.SetFormatMP3(44100, 128, 2));
    EXPECT_FALSE(file.OpenWrite("/nonexistent-velmor/take.MP3", 1000));
    EXPECT_EQ(file.lastError(), "Cannot create /nonexistent-velmor/take.MP3: No such file or directory");
    EXPECT_FALSE(file.isWriting());
    EXPECT_FALSE(file.WriteArray(captureArray(44100, 2, twoTones(44100, 2, 1, 440, 1000))));
}

struct LimitResult {
    int blocksWritten = 0;
    std::string error;
};

// Records up to ten one-second blocks under a file size limit, in a child process.
LimitResult recordUnderLimit(const std::string& kind, const std::string& path, rlim_t limit)
{
    int out[2];
    if (::pipe(out) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        AudioFile file;
        if (kind == "wav") file.SetFormatPCM(44100, 2, 16, 0);
        else if (kind == "mp3") file.SetFormatMP3(44100, 128, 2);
        else file.SetFormatAAC(recorder::AudioFormatSettings{});
        int blocks = 0;
        std::string error = "none";
        if (file.OpenWrite(path, 1000)) {
            for (; blocks < 10; ++blocks) {
                auto block = captureArray(44100, 2, twoTones(44100, 2, 1, 440, 1000, std::uint64_t(blocks) * 44100));
                if (!file.WriteArray(block)) {
                    error = file.lastError();
                    break;
                }
            }
            file.Close();
        } else {
            error = file.lastError();
        }
        const std::string msg = std::to_string(blocks) + "\n" + error;
        if (::write(out[1], msg.data(), msg.size()) < 0) ::_exit(2);
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char buf[512];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    LimitResult r;
    const auto nl = text.find('\n');
    if (nl == std::string::npos) return r;
    r.blocksWritten = std::stoi(text.substr(0, nl));
    r.error = text.substr(nl + 1);
    return r;
}

class FileSizeLimit : public ::testing::TestWithParam<std::string> {};

TEST_P(FileSizeLimit, FailsCleanlyAndKeepsWhatWasWritten)
{
    TempDir dir;
    const std::string path = dir.file("limited." + GetParam());
    // WAV: 176400 bytes a second, so 3.5 s fit; MP3/AAC: 16000 bytes a second, so 3.5 s fit in 56000.
    const rlim_t limit = GetParam() == "wav" ? 617400 + 200 : 56000;
    const LimitResult r = recordUnderLimit(GetParam(), path, limit);
    EXPECT_EQ(r.blocksWritten, 3);
    EXPECT_EQ(r.error, "The file " + path + " has reached the largest size allowed");
    const auto pcm = decodeWithFfmpeg(path, 44100, 2);
    // WAV to the frame; MP3 and AAC within the encoder's delay and the torn last frame (1152 or 1024 frames each).
    EXPECT_NEAR(double(pcm.size()) / 2 / 44100, 3.5, GetParam() == "wav" ? 0.01 : 0.1) << GetParam();
    if (GetParam() == "wav") {
        // The header counts the frames on disk: nothing half, nothing beyond.
        auto info = probe(path);
        EXPECT_NEAR(std::stod(info["duration"]), double(pcm.size()) / 2 / 44100, 0.001);
    }
    EXPECT_GT(toneLevel(pcm, 2, 0, 440, 44100), 0.2);
}

INSTANTIATE_TEST_SUITE_P(Formats, FileSizeLimit, ::testing::Values("wav", "mp3", "aac"));

} // namespace
