// clsFMOD playing a real MP3 on the private sound server: what the null
// sink's monitor hears, length, position, pause, seek, the end of the stream,
// and the messages of files and outputs that fail.

#include "recorder/player/clsFMOD.h"
#include "recorder/player/tests/sink_playback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <numbers>
#include <thread>

using namespace std::chrono_literals;
using recorder::clsFMOD;
using recorder::PlayerMessageIcon;

namespace {

using playertest::kHighTone;
using playertest::kLowTone;
using playertest::writeTestMp3;

struct Message {
    std::string text, title;
    PlayerMessageIcon icon;
};

class ScriptedMessages : public recorder::PlayerMessages {
public:
    void message(const std::string& text, const std::string& title, PlayerMessageIcon icon) override
    {
        said.push_back({text, title, icon});
    }
    std::vector<Message> said;
};

class ClsFmodPlayback : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char tmpl[] = "/tmp/velmor-player-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        mp3_ = dir_ + "/tones.mp3";
        writeTestMp3(mp3_);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

    void SetUp() override
    {
        server_ = &testsound::SoundServer::shared();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        apartment_ = com::Apartment::current();
        listener_ = std::make_unique<playertest::SinkListener>(apartment_);
        fmod_ = std::make_unique<clsFMOD>(&messages_);
        ASSERT_TRUE(fmod_->Init(44100, 2));
    }
    void TearDown() override
    {
        fmod_.reset();
        CoUninitialize();
    }

    void pumpFor(std::chrono::milliseconds t) { listener_->pumpFor(t); }
    std::vector<std::int16_t> hear(std::chrono::milliseconds t) { return listener_->hear(t); }
    static double level(const std::vector<std::int16_t>& heard, double f) { return playertest::SinkListener::level(heard, f); }

    static inline std::string dir_, mp3_;
    testsound::SoundServer* server_ = nullptr;
    std::shared_ptr<com::Apartment> apartment_;
    std::unique_ptr<playertest::SinkListener> listener_;
    ScriptedMessages messages_;
    std::unique_ptr<clsFMOD> fmod_;
};

TEST_F(ClsFmodPlayback, PlaysAnMp3ToTheSinkWithItsLengthAndAnAdvancingPosition)
{
    EXPECT_EQ(fmod_->StreamSongPos(), 0);
    ASSERT_TRUE(fmod_->StreamPlay(mp3_, true, 255));
    EXPECT_TRUE(fmod_->StreamIsLoaded());
    EXPECT_NEAR(fmod_->StreamSongLen(), 4000, 60);
    const auto heard = hear(800ms);
    const std::int32_t position = fmod_->StreamSongPos();
    EXPECT_GT(position, 700);
    EXPECT_LT(position, 2000);
    EXPECT_GT(level(heard, kLowTone), 0.15);
    EXPECT_LT(level(heard, kHighTone), level(heard, kLowTone) / 10);
    EXPECT_TRUE(messages_.said.empty());
}

TEST_F(ClsFmodPlayback, PausingTwiceResumesAndWritingThePositionSeeks)
{
    ASSERT_TRUE(fmod_->StreamPlay(mp3_, false, 255));
    hear(400ms);
    ASSERT_TRUE(fmod_->StreamPausePlay());
    EXPECT_TRUE(fmod_->StreamIsPaused());
    const std::int32_t pausedAt = fmod_->StreamSongPos();
    const auto duringPause = hear(500ms);
    EXPECT_EQ(fmod_->StreamSongPos(), pausedAt);
    EXPECT_LT(level(duringPause, kLowTone), 0.03); // a tenth of the tone playing

    ASSERT_TRUE(fmod_->StreamPausePlay());
    EXPECT_FALSE(fmod_->StreamIsPaused());
    const auto resumed = hear(500ms);
    EXPECT_GT(fmod_->StreamSongPos(), pausedAt + 250);
    EXPECT_GT(level(resumed, kLowTone), 0.15);

    fmod_->StreamSongPos(2500);
    EXPECT_GE(fmod_->StreamSongPos(), 2500);
    EXPECT_LT(fmod_->StreamSongPos(), 2600);
    const auto afterSeek = hear(700ms);
    // Only the first milliseconds of the recording may still carry the low tone.
    EXPECT_GT(level(afterSeek, kHighTone), 0.15);
    EXPECT_LT(level(afterSeek, kLowTone), level(afterSeek, kHighTone) / 10);
    EXPECT_GT(fmod_->StreamSongPos(), 3000);

    // A seek while paused stays paused there.
    ASSERT_TRUE(fmod_->StreamPausePlay());
    fmod_->StreamSongPos(1000);
    EXPECT_EQ(fmod_->StreamSongPos(), 1000);
    EXPECT_TRUE(fmod_->StreamIsPaused());
    EXPECT_TRUE(messages_.said.empty());
}

TEST_F(ClsFmodPlayback, TheEndOfTheStreamIsReportedOnceAndReplacingAStreamIsNoEnd)
{
    int ends = 0;
    fmod_->onStreamEnd = [&] { ++ends; };
    ASSERT_TRUE(fmod_->StreamPlay(mp3_, true, 255));
    pumpFor(200ms);
    ASSERT_TRUE(fmod_->StreamPlay(mp3_, true, 255));
    fmod_->StreamSongPos(3400);
    hear(1000ms);
    apartment_->pumpUntil([&] { return ends > 0; }, 3s);
    pumpFor(300ms);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(fmod_->StreamIsLoaded());
    EXPECT_NEAR(fmod_->StreamSongPos(), fmod_->StreamSongLen(), 100);

    EXPECT_TRUE(fmod_->StreamUnload());
    EXPECT_FALSE(fmod_->StreamIsLoaded());
    EXPECT_EQ(fmod_->StreamSongPos(), 0);
    EXPECT_EQ(fmod_->StreamSongLen(), 0);
    EXPECT_FALSE(fmod_->StreamPausePlay());
}

TEST_F(ClsFmodPlayback, AFileThatCannotBePlayedGivesTheWarningAndNoStream)
{
    ASSERT_TRUE(fmod_->StreamPlay(mp3_, true, 255));
    const std::string bad = dir_ + "/not audio.mp3";
    std::ofstream(bad) << "just some text, not sound";
    EXPECT_FALSE(fmod_->StreamPlay(bad, true, 255));
    ASSERT_EQ(messages_.said.size(), 1u);
    EXPECT_EQ(messages_.said[0].text, "Could not recognize & play \"" + bad + "\".");
    EXPECT_EQ(messages_.said[0].title, "FMOD Error");
    EXPECT_EQ(messages_.said[0].icon, PlayerMessageIcon::Warning);
    EXPECT_FALSE(fmod_->StreamIsLoaded());
    EXPECT_EQ(fmod_->StreamSongPos(), 0);
    EXPECT_EQ(fmod_->StreamSongLen(), 0);
    fmod_->StreamSongPos(1000);
    EXPECT_EQ(fmod_->StreamSongPos(), 0);
    EXPECT_FALSE(fmod_->StreamPausePlay());
    EXPECT_EQ(messages_.said.size(), 1u);
    std::filesystem::remove(bad);
}

TEST(ClsFmodOutput, PlayingNeedsInitAndInitNeedsTheSoundServer)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ScriptedMessages messages;
    {
        clsFMOD fmod(&messages);
        EXPECT_FALSE(fmod.StreamPlay("/nonexistent.mp3", false, 255));
        ASSERT_EQ(messages.said.size(), 1u);
        EXPECT_EQ(messages.said[0].text, "This command failed because FSOUND_Init was not called");
        EXPECT_EQ(messages.said[0].icon, PlayerMessageIcon::Error);

        auto server = testsound::SoundServer::startPrivate();
        server->useInThisProcess();
        server->kill();
        EXPECT_FALSE(fmod.Init(44100, 2));
        testsound::SoundServer::shared().useInThisProcess();
    }
    ASSERT_EQ(messages.said.size(), 2u);
    EXPECT_EQ(messages.said[1].text, "Error initializing output device.");
    EXPECT_EQ(messages.said[1].title, "FMOD Error");
    EXPECT_EQ(messages.said[1].icon, PlayerMessageIcon::Error);
    CoUninitialize();
}

} // namespace
