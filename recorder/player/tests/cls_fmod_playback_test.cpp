// clsFMOD playing a real MP3 on the private sound server: what the null
// sink's monitor hears, length, position, pause, seek, the end of the stream,
// and the messages of files and outputs that fail.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/output_format.h"
#include "recorder/player/clsFMOD.h"
#include "recorder/player/tests/tag_bytes.h"

#include "platform/com/apartment.h"
#include "platform/testserver/sound_server.h"
#include "platform/testserver/stream_reader.h"
#include "platform/testserver/tone_analysis.h"

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
using playertest::operator+;

namespace {

constexpr int kRate = 44100;
constexpr double kLowTone = 440, kHighTone = 1000;

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

// Two seconds of the low tone, then two of the high one, in both channels,
// as MP3 behind an ID3v2 tag and before an ID3v1 one.
void writeTestMp3(const std::string& path)
{
    std::string why;
    const auto format = recorder::mp3Format(kRate, 128, 2, recorder::MP3Lame{}, why);
    ASSERT_TRUE(format) << why;
    const std::string bare = path + ".bare";
    auto encoder = recorder::makeEncoder(*format);
    ASSERT_TRUE(encoder && encoder->open(bare));
    std::vector<std::int16_t> pcm;
    for (int i = 0; i < 4 * kRate; ++i) {
        const double f = i < 2 * kRate ? kLowTone : kHighTone;
        const auto s = static_cast<std::int16_t>(16000 * std::sin(2 * std::numbers::pi * f * i / kRate));
        pcm.push_back(s);
        pcm.push_back(s);
    }
    ASSERT_TRUE(encoder->write(pcm) && encoder->finish()) << encoder->error();
    std::ifstream in(bare, std::ios::binary);
    const playertest::Bytes mp3((std::istreambuf_iterator<char>(in)), {});
    const auto bytes = playertest::tag(3, playertest::frame("TIT2", playertest::Bytes{0} + playertest::raw("Tones"))) +
                       mp3 + playertest::id3v1("Tones", "", "", "", "", 1, 0);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::filesystem::remove(bare);
}

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
        fmod_ = std::make_unique<clsFMOD>(&messages_);
        ASSERT_TRUE(fmod_->Init(44100, 2));
    }
    void TearDown() override
    {
        fmod_.reset();
        CoUninitialize();
    }

    void pumpFor(std::chrono::milliseconds t) { apartment_->pumpUntil([] { return false; }, t); }

    // What the sink's monitor hears over the next `t`, while the apartment is
    // pumped. Time that playback should advance passes here: a null sink
    // nobody listens to leaves the stream's timing reports, and with them
    // the position and the output's requests for more, standing still.
    std::vector<std::int16_t> hear(std::chrono::milliseconds t)
    {
        auto recording = std::async(std::launch::async, [this, t] {
            return testsound::recordFromSource(server_->server(), "velmor_null.monitor", kRate, 2,
                                               static_cast<std::size_t>(t.count()) * kRate / 1000);
        });
        pumpFor(t + 300ms);
        while (recording.wait_for(0ms) != std::future_status::ready) pumpFor(20ms);
        return recording.get();
    }
    static double level(const std::vector<std::int16_t>& heard, double f)
    {
        return testsound::toneAmplitude(heard, 2, 0, f, kRate);
    }

    static inline std::string dir_, mp3_;
    testsound::SoundServer* server_ = nullptr;
    std::shared_ptr<com::Apartment> apartment_;
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
