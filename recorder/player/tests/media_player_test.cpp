// The media-player control the player window drives, on the private sound
// server: seconds, pause and play, seeking, volume and balance as the null
// sink's monitor hears them, the end of a stream, and files it cannot play.

#include "recorder/player/media_player.h"
#include "recorder/player/tests/sink_playback.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using playertest::kHighTone;
using playertest::kLowTone;
using playertest::SinkListener;
using recorder::MediaPlayer;

namespace {

class MediaPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char tmpl[] = "/tmp/velmor-media-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        mp3_ = dir_ + "/tones.mp3";
        playertest::writeTestMp3(mp3_);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        listener_ = std::make_unique<SinkListener>(com::Apartment::current());
        player_ = std::make_unique<MediaPlayer>();
    }
    void TearDown() override
    {
        player_.reset();
        listener_.reset();
        CoUninitialize();
    }
    // Plays the last 0.4 s of the test file; the number of ends reported.
    int playToTheEnd()
    {
        int ends = 0;
        player_->EndOfStream = [&] { ++ends; };
        if (!player_->FileName(mp3_) || !player_->Play()) return -1;
        player_->CurrentPosition(3.6);
        listener_->hear(900ms);
        com::Apartment::current()->pumpUntil([&] { return ends > 0; }, 3s);
        player_->EndOfStream = nullptr;
        return ends;
    }
    static inline std::string dir_, mp3_;
    std::unique_ptr<SinkListener> listener_;
    std::unique_ptr<MediaPlayer> player_;
};

TEST_F(MediaPlayerTest, PlaysPausesAndSeeksInSeconds)
{
    EXPECT_EQ(player_->Duration(), 0);
    ASSERT_TRUE(player_->FileName(mp3_));
    EXPECT_EQ(player_->FileName(), mp3_);
    EXPECT_NEAR(player_->Duration(), 4.0, 0.06);
    EXPECT_FALSE(player_->isPlaying()) << "setting the file does not start it";
    ASSERT_TRUE(player_->Play());
    const auto heard = listener_->hear(600ms);
    EXPECT_GT(SinkListener::level(heard, kLowTone), 0.15);
    EXPECT_GT(player_->CurrentPosition(), 0.4);

    player_->Pause();
    const double pausedAt = player_->CurrentPosition();
    listener_->hear(300ms);
    EXPECT_EQ(player_->CurrentPosition(), pausedAt);
    ASSERT_TRUE(player_->Play()) << "play resumes";
    EXPECT_TRUE(player_->isPlaying());

    // The knob's seek: stop, set the position, play.
    player_->Stop();
    player_->CurrentPosition(2.5);
    ASSERT_TRUE(player_->Play());
    const auto later = listener_->hear(600ms);
    EXPECT_GT(SinkListener::level(later, kHighTone), 0.15);
    EXPECT_GE(player_->CurrentPosition(), 2.9);
}

TEST_F(MediaPlayerTest, VolumeStepsAndBalanceReachTheSink)
{
    ASSERT_TRUE(player_->FileName(mp3_));
    ASSERT_TRUE(player_->Play());
    const double full = SinkListener::level(listener_->hear(500ms), kLowTone);
    player_->Volume(-2000); // -20 dB
    EXPECT_EQ(player_->Volume(), -2000);
    const double lower = SinkListener::level(listener_->hear(500ms), kLowTone);
    EXPECT_NEAR(lower / full, 0.1, 0.03) << "a tenth of the amplitude at -20 dB";

    player_->Volume(0);
    player_->Balance(-10000);
    player_->CurrentPosition(0.2);
    const auto left = listener_->hear(500ms);
    EXPECT_GT(SinkListener::level(left, kLowTone, 0), 0.15);
    EXPECT_LT(SinkListener::level(left, kLowTone, 1), 0.01) << "hard left silences the right channel";
    player_->Balance(0);
}

TEST_F(MediaPlayerTest, TheEndIsReportedAndPlayStartsAgainFromTheBeginning)
{
    EXPECT_EQ(playToTheEnd(), 1);
    ASSERT_TRUE(player_->Play());
    listener_->hear(300ms);
    EXPECT_LT(player_->CurrentPosition(), 1.0);
}

TEST_F(MediaPlayerTest, StopAfterTheEndStaysStoppedWhereThePositionIsSet)
{
    ASSERT_EQ(playToTheEnd(), 1);
    player_->Stop();
    player_->CurrentPosition(0);
    EXPECT_FALSE(player_->isPlaying());
    EXPECT_LT(testsound::rms(listener_->hear(400ms), 2, 0), 30) << "setting the position does not start playback";
    EXPECT_EQ(player_->CurrentPosition(), 0);
    ASSERT_TRUE(player_->Play());
    EXPECT_GT(SinkListener::level(listener_->hear(600ms), kLowTone), 0.15) << "play starts from the position set";
}

TEST_F(MediaPlayerTest, AFileItCannotPlayLeavesNothingLoaded)
{
    const std::string bad = dir_ + "/text.mp3";
    std::ofstream(bad) << "not sound";
    EXPECT_FALSE(player_->FileName(bad));
    EXPECT_FALSE(player_->lastError().empty());
    EXPECT_FALSE(player_->Play());
    EXPECT_EQ(player_->Duration(), 0);
    EXPECT_FALSE(player_->FileName(dir_ + "/missing.mp3"));
    EXPECT_EQ(recorder::volumePercentForLevel(0), 100);
    EXPECT_EQ(recorder::volumePercentForLevel(-10000), 0);
}

} // namespace
