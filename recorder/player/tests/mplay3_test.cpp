// "Audio Player" on the offscreen platform, playing real files on the private
// sound server: what the null sink's monitor hears, the playlist's moves, the
// knobs, CD images, playlist files and the kept window position.

#include "recorder/widgets/testing/scripted_prompts.h"
#include "recorder/player/cd_audio.h"
#include "recorder/player/playlist_m3u.h"
#include "recorder/player/tests/cd_image.h"
#include "recorder/player/ui/mplay3.h"

#include "platform/testserver/sound_server.h"
#include "platform/testserver/stream_reader.h"
#include "platform/testserver/tone_analysis.h"

#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <numbers>
#include <random>

namespace recorder {
namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;

// A plain 16-bit PCM WAV of a sine at `frequency` (0: silence).
void writeToneWav(const std::string& path, double frequency, double seconds, int rate = kRate, int channels = 2)
{
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t dataBytes = frames * static_cast<std::uint32_t>(channels) * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * 2));
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    std::vector<std::int16_t> pcm(static_cast<std::size_t>(frames) * channels);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * frequency * i / rate));
        for (int c = 0; c < channels; ++c) pcm[static_cast<std::size_t>(i) * channels + c] = s;
    }
    out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size() * 2));
}

class MPlay3Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsound::SoundServer::shared().useInThisProcess();
        char tmpl[] = "/tmp/velmor-player-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        ::setenv("VELMOR_HOME", home_.c_str(), 1);
    }
    void TearDown() override
    {
        window_.reset();
        ::unsetenv("VELMOR_HOME");
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }
    void openWindow()
    {
        window_ = std::make_unique<MPlay3>(prompts_);
        window_->show();
    }
    std::string tone(const std::string& name, double frequency, double seconds = 1.5)
    {
        const std::string path = home_ + "/" + name;
        writeToneWav(path, frequency, seconds);
        return path;
    }
    // Adds files through the open command, as the user picks them; the last one plays.
    void open(const std::vector<std::string>& paths)
    {
        for (const auto& p : paths) {
            prompts_.files.push_back(p);
            QTest::mouseClick(window_->imgOpen, Qt::LeftButton);
        }
    }
    // What the monitor hears over `t`, while the window's events (timers, the
    // end of an entry) go on.
    std::vector<std::int16_t> hear(std::chrono::milliseconds t)
    {
        auto recording = std::async(std::launch::async, [t] {
            return testsound::recordFromSource(testsound::SoundServer::shared().server(), "velmor_null.monitor", kRate, 2,
                                               static_cast<std::size_t>(t.count()) * kRate / 1000);
        });
        while (recording.wait_for(0ms) != std::future_status::ready) QTest::qWait(20);
        return recording.get();
    }
    static double level(const std::vector<std::int16_t>& heard, double f, int channel = 0)
    {
        return testsound::toneAmplitude(heard, 2, channel, f, kRate);
    }
    // The part of `heard` from `from` to `to` seconds.
    static std::vector<std::int16_t> slice(const std::vector<std::int16_t>& heard, double from, double to)
    {
        const auto a = std::min(heard.size(), static_cast<std::size_t>(from * kRate) * 2);
        const auto b = std::min(heard.size(), static_cast<std::size_t>(to * kRate) * 2);
        return {heard.begin() + static_cast<std::ptrdiff_t>(a), heard.begin() + static_cast<std::ptrdiff_t>(b)};
    }
    std::string row(int i) const { return window_->lstfavs->item(i)->text().toStdString(); }
    int selectedRow() const { return window_->lstfavs->currentRow(); }

    std::string home_;
    ScriptedPrompts prompts_;
    std::unique_ptr<MPlay3> window_;
};

TEST_F(MPlay3Test, LoadsCollapsedWithItsPanelsHiddenAndTheFirstText)
{
    openWindow();
    EXPECT_EQ(window_->windowTitle(), "Audio Player");
    EXPECT_EQ(window_->Label24->text(), "Click \"play\" button to open an audio file");
    EXPECT_EQ(window_->Labelpause->text(), "Pause");
    EXPECT_EQ(window_->Label20->text(), "00:00");
    EXPECT_TRUE(window_->picFile->isHidden());
    EXPECT_TRUE(window_->picList->isHidden());
    EXPECT_TRUE(window_->picTop->isHidden());
    EXPECT_TRUE(window_->imgShuffleOn->isHidden());
    const int collapsed = window_->height();
    EXPECT_LT(collapsed, 200);

    QTest::mouseClick(window_->imgListBar, Qt::LeftButton);
    EXPECT_TRUE(window_->picList->isVisible());
    EXPECT_GT(window_->height(), collapsed);
    QTest::mouseClick(window_->imgListBar, Qt::LeftButton);
    EXPECT_TRUE(window_->picList->isHidden());
    QTest::mouseClick(window_->imgFileBar, Qt::LeftButton);
    EXPECT_TRUE(window_->picFile->isVisible());
    EXPECT_TRUE(window_->picTop->isVisible());

    QTest::mouseClick(window_->imgShuffle, Qt::LeftButton);
    EXPECT_TRUE(window_->optrnd);
    EXPECT_TRUE(window_->imgShuffleOn->isVisible());
    QTest::mouseClick(window_->imgShuffle, Qt::LeftButton);
    EXPECT_FALSE(window_->optrnd);

    // Nothing to move, pause or stop: nothing happens.
    QTest::mouseClick(window_->imgNext, Qt::LeftButton);
    QTest::mouseClick(window_->imgPrev, Qt::LeftButton);
    QTest::mouseClick(window_->imgPause, Qt::LeftButton);
    EXPECT_EQ(window_->Labelpause->text(), "Pause");
    QTest::mouseClick(window_->imgStop, Qt::LeftButton);
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(MPlay3Test, PlaysTwoFilesInOrderAndStopsAtTheEndOfTheLast)
{
    const std::string low = tone("low.wav", 440), high = tone("high.wav", 1000);
    const std::string list = home_ + "/two.m3u";
    std::string why;
    ASSERT_TRUE(writeM3u(list, {{low, "", -1}, {high, "", -1}}, why)) << why;
    openWindow();
    prompts_.files.push_back(list);
    QTest::mouseClick(window_->imgLoadList, Qt::LeftButton);
    ASSERT_EQ(window_->lstfavs->count(), 2);
    ASSERT_EQ(window_->List1->count(), 2);
    EXPECT_EQ(row(0), "low.wav");
    EXPECT_EQ(window_->List1->item(1)->text().toStdString(), high);

    emit window_->lstfavs->itemDoubleClicked(window_->lstfavs->item(0));
    EXPECT_EQ(window_->Label24->text(), "low.wav");
    const auto heard = hear(3800ms);
    EXPECT_GT(level(slice(heard, 0.2, 1.2), 440), 0.1);
    EXPECT_LT(level(slice(heard, 0.2, 1.2), 1000), 0.02);
    EXPECT_GT(level(slice(heard, 2.0, 2.9), 1000), 0.1);
    EXPECT_LT(level(slice(heard, 2.0, 2.9), 440), 0.02);
    EXPECT_LT(testsound::rms(slice(heard, 3.4, 3.8), 2, 0), 30) << "the end of the last entry stops";
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_FALSE(window_->player().isPlaying());
    EXPECT_NEAR(window_->player().CurrentPosition(), 0, 0.05);
}

TEST_F(MPlay3Test, NextWrapsToTheFirstAndPreviousOnTheFirstSelectsTheLast)
{
    const std::string a = tone("a.wav", 440), b = tone("b.wav", 660), c = tone("c.wav", 880);
    openWindow();
    open({a, b, c});
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_EQ(window_->Label24->text(), "c.wav");
    QTest::mouseClick(window_->imgNext, Qt::LeftButton);
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_EQ(window_->player().FileName(), a);
    QTest::mouseClick(window_->imgPrev, Qt::LeftButton);
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_EQ(window_->player().FileName(), c);
    QTest::mouseClick(window_->imgPrev, Qt::LeftButton);
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_EQ(window_->Label24->text(), "b.wav");
    EXPECT_TRUE(window_->player().isPlaying());
}

TEST_F(MPlay3Test, ShufflePicksEveryEntryUniformlyTheCurrentOneIncluded)
{
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) files.push_back(tone("s" + std::to_string(i) + ".wav", 300 + 100 * i, 0.2));
    openWindow();
    open(files);
    QTest::mouseClick(window_->imgShuffle, Qt::LeftButton);
    window_->setShufflePick([generator = std::mt19937(20261209)](std::size_t n) mutable {
        return static_cast<std::size_t>(std::uniform_real_distribution<double>(0, 1)(generator) * static_cast<double>(n));
    });
    std::map<int, int> picks;
    int repeats = 0;
    for (int end = 0; end < 500; ++end) {
        const int before = selectedRow();
        window_->MediaPlayer1_EndOfStream();
        picks[selectedRow()]++;
        repeats += selectedRow() == before;
        ASSERT_TRUE(window_->player().isPlaying());
    }
    ASSERT_EQ(picks.size(), 5u);
    // 100 expected each; a uniform pick stays within 60 … 140 (over 4 standard deviations).
    for (const auto& [entry, count] : picks) {
        EXPECT_GE(count, 60) << entry;
        EXPECT_LE(count, 140) << entry;
    }
    EXPECT_GT(repeats, 60) << "the playing entry is among the picks";
}

TEST_F(MPlay3Test, ShowsTimeAsMinutesAndSecondsAndTheKnobSeeksToItsFraction)
{
    const std::string path = home_ + "/long.wav";
    writeToneWav(path, 0, 187, 8000, 1);
    openWindow();
    open({path});
    window_->tmrTime_Timer();
    EXPECT_EQ(window_->lblLength->text(), "03:07");

    const int middle = 120 + 3540 / 2;
    window_->islider->setValue(middle);
    window_->islider_Release(middle);
    EXPECT_NEAR(window_->player().CurrentPosition(), 93, 1.0);
    EXPECT_TRUE(window_->player().isPlaying());
    window_->tmrTime_Timer();
    EXPECT_EQ(window_->Label20->text(), "01:33");
    EXPECT_EQ(window_->toptime->text(), "01:33");
    EXPECT_NEAR(window_->islider->value(), middle, 30);

    QTest::mouseClick(window_->imgStop, Qt::LeftButton);
    EXPECT_FALSE(window_->player().isPlaying());
    EXPECT_EQ(window_->Label20->text(), "00:00");
}

TEST_F(MPlay3Test, PauseAndResume)
{
    const std::string path = tone("long.wav", 440, 4);
    openWindow();
    open({path});
    EXPECT_GT(level(hear(500ms), 440), 0.1);
    QTest::mouseClick(window_->imgPause, Qt::LeftButton);
    EXPECT_EQ(window_->Labelpause->text(), "Resume");
    const double pausedAt = window_->player().CurrentPosition();
    EXPECT_LT(testsound::rms(slice(hear(600ms), 0.2, 0.6), 2, 0), 30);
    EXPECT_NEAR(window_->player().CurrentPosition(), pausedAt, 0.05);
    QTest::mouseClick(window_->imgPause, Qt::LeftButton);
    EXPECT_EQ(window_->Labelpause->text(), "Pause");
    EXPECT_GT(level(hear(500ms), 440), 0.1);
}

TEST_F(MPlay3Test, VolumeStepsAndBalanceChangeWhatTheMonitorHears)
{
    const std::string path = tone("long.wav", 440, 8);
    openWindow();
    for (QFrame* line : window_->LVol) EXPECT_TRUE(line->property("lit").toBool());
    open({path});
    const double full = level(hear(500ms), 440);
    ASSERT_GT(full, 0.1);

    window_->startVolume(false);
    EXPECT_EQ(window_->VolumInd->text(), "Min");
    for (int tick = 1; tick < 8; ++tick) window_->tmrVolume_Timer();
    window_->stopVolume();
    EXPECT_EQ(window_->VolumInd->text(), "");
    EXPECT_EQ(window_->player().Volume(), -8 * 130);
    int lit = 0;
    for (QFrame* line : window_->LVol) lit += line->property("lit").toBool();
    EXPECT_EQ(lit, 5);
    // -10.4 dB: about 0.30 of the amplitude.
    const double lower = level(slice(hear(600ms), 0.15, 0.6), 440);
    EXPECT_LT(lower, full * 0.4);
    EXPECT_GT(lower, full * 0.2);
    window_->startVolume(true);
    EXPECT_EQ(window_->VolumInd->text(), "Max");
    for (int tick = 1; tick < 30; ++tick) window_->tmrVolume_Timer();
    window_->stopVolume();
    EXPECT_EQ(window_->player().Volume(), 0);

    window_->balance->setSliderDown(true);
    window_->balance->setValue(900);
    EXPECT_EQ(window_->Label24->text(), "Left");
    window_->balance->setSliderDown(false);
    EXPECT_EQ(window_->Label24->text(), "long.wav");
    EXPECT_EQ(window_->player().Balance(), -10000);
    const auto heard = slice(hear(600ms), 0.15, 0.6);
    EXPECT_GT(level(heard, 440, 0), 0.1);
    EXPECT_LT(level(heard, 440, 1), 0.01) << "hard left silences the right channel";
}

TEST_F(MPlay3Test, AFileThatCannotBePlayedIsMarkedAndPassedOver)
{
    const std::string good = tone("good.wav", 440, 0.5), last = tone("last.wav", 880, 4);
    const std::string broken = home_ + "/broken.mp3";
    std::ofstream(broken) << "not an mp3 at all";
    const std::string list = home_ + "/three.m3u";
    std::string why;
    ASSERT_TRUE(writeM3u(list, {{good, "", -1}, {broken, "", -1}, {last, "", -1}}, why)) << why;
    openWindow();
    prompts_.files.push_back(list);
    QTest::mouseClick(window_->imgLoadList, Qt::LeftButton);
    ASSERT_EQ(window_->lstfavs->count(), 3);
    EXPECT_FALSE(window_->playlist().entries()[1].unplayable) << "an existing file is not judged before it plays";

    window_->lstfavs_DblClick(0);
    const auto heard = hear(1500ms); // good.wav ends; broken.mp3 fails and is passed over
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_GT(level(slice(heard, 0.9, 1.5), 880), 0.1);
    EXPECT_TRUE(window_->playlist().entries()[1].unplayable);
    EXPECT_EQ(row(1).rfind("broken.mp3 (", 0), 0u) << row(1);
    EXPECT_TRUE(prompts_.messages.empty()) << "a file is marked, not announced";
    QTest::mouseClick(window_->imgPrev, Qt::LeftButton);
    EXPECT_EQ(selectedRow(), 0) << "previous passes over the marked entry";

    // Chosen alone and last, it stops playback and says so in the caption label.
    prompts_.files.push_back(broken);
    QTest::mouseClick(window_->imgOpen, Qt::LeftButton);
    EXPECT_EQ(window_->lstfavs->count(), 4);
    EXPECT_TRUE(window_->playlist().entries()[3].unplayable);
    EXPECT_EQ(window_->Label24->text(), "Cannot play broken.mp3");
    EXPECT_FALSE(window_->player().isPlaying());
}

TEST_F(MPlay3Test, TheOpenDialogsFirstFilterNamesEveryKindOfFileThePlayerPlays)
{
    openWindow();
    QTest::mouseClick(window_->imgOpen, Qt::LeftButton);
    QTest::mouseClick(window_->imgPlay, Qt::LeftButton);
    ASSERT_EQ(prompts_.fileFilters.size(), 2u);
    for (const auto& filter : prompts_.fileFilters) {
        std::string first = filter.substr(0, filter.find(";;"));
        std::replace(first.begin(), first.end(), ')', ' ');
        for (const char* extension : {"*.mp3", "*.wav", "*.ogg", "*.flac", "*.aac", "*.m4a", "*.opus", "*.ac3", "*.vox"})
            EXPECT_NE(first.find(std::string(extension) + " "), std::string::npos) << extension << " in " << first;
        EXPECT_NE(filter.find(";;All Files(*)"), std::string::npos);
    }
    EXPECT_NE(prompts_.fileFilters[1].find("*.cda"), std::string::npos) << "play lists CD tracks, open does not";
    EXPECT_EQ(prompts_.fileFilters[0].find("*.cda"), std::string::npos);
}

TEST_F(MPlay3Test, PlaysTheSecondTrackOfACdImage)
{
    const std::string cue = cdtest::writeToneCdImage(home_, {440, 880, 1320}, 2);
    openWindow();
    prompts_.files.push_back(cue);
    QTest::mouseClick(window_->imgPlay, Qt::LeftButton);
    ASSERT_EQ(window_->lstfavs->count(), 3) << (prompts_.messages.empty() ? "" : prompts_.messages[0].text);
    EXPECT_EQ(row(0), "Track 01.cda");
    EXPECT_EQ(row(2), "Track 03.cda");
    EXPECT_EQ(window_->List1->item(1)->text().toStdString(), cue + "/Track 02.cda");
    window_->lstfavs_DblClick(1);
    EXPECT_EQ(window_->Label24->text(), "Track 02.cda");
    const auto heard = hear(800ms);
    EXPECT_GT(level(heard, 880), 0.1);
    EXPECT_LT(level(heard, 440), 0.02);
    EXPECT_LT(level(heard, 1320), 0.02);
}

TEST_F(MPlay3Test, NoCdDriveIsSaid)
{
    std::string why;
    if (!firstCdDrive(why).empty()) GTEST_SKIP() << "this machine has a CD drive";
    openWindow();
    QTest::mouseClick(window_->imgAudioCd, Qt::LeftButton);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, why);
    EXPECT_EQ(window_->lstfavs->count(), 0);

    // A Windows track file stands for the first drive's disc: that is said too, and the entry is kept.
    const std::string cda = home_ + "/Track01.cda";
    std::ofstream(cda) << "RIFF";
    prompts_.files.push_back(cda);
    QTest::mouseClick(window_->imgPlay, Qt::LeftButton);
    ASSERT_EQ(window_->lstfavs->count(), 1);
    EXPECT_TRUE(window_->playlist().entries()[0].unplayable);
    ASSERT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(prompts_.messages[1].text, why);
}

TEST_F(MPlay3Test, PlaylistsRoundTripWithRelativePathsNonAsciiNamesAndMissingEntries)
{
    std::filesystem::create_directories(home_ + "/lists/Müsik");
    const std::string inside = home_ + "/lists/Müsik/Café — nuit.wav";
    writeToneWav(inside, 440, 0.5);
    const std::string outside = tone("outside.wav", 660, 0.5);
    const std::string gone = home_ + "/lists/gone.wav";
    writeToneWav(gone, 880, 0.5);
    openWindow();
    open({inside, outside, gone});
    std::filesystem::remove(gone);

    prompts_.files.push_back(home_ + "/lists/mine"); // no extension: ".m3u" is added
    QTest::mouseClick(window_->imgSaveList, Qt::LeftButton);
    EXPECT_TRUE(prompts_.messages.empty());
    std::ifstream in(home_ + "/lists/mine.m3u");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("#EXTINF:1,Café — nuit.wav\nMüsik/Café — nuit.wav\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n" + outside + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("gone.wav\n"), std::string::npos) << text;

    window_.reset();
    openWindow();
    prompts_.files.push_back(home_ + "/lists/mine.m3u");
    QTest::mouseClick(window_->imgLoadList, Qt::LeftButton);
    ASSERT_EQ(window_->lstfavs->count(), 3);
    EXPECT_EQ(window_->List1->item(0)->text().toStdString(), inside);
    EXPECT_EQ(row(0), "Café — nuit.wav");
    EXPECT_EQ(window_->List1->item(1)->text().toStdString(), outside);
    EXPECT_EQ(window_->List1->item(2)->text().toStdString(), gone);
    EXPECT_EQ(row(2), "gone.wav (missing)");
    EXPECT_TRUE(window_->playlist().entries()[2].unplayable);
    EXPECT_FALSE(window_->playlist().entries()[0].unplayable);
    EXPECT_TRUE(window_->picList->isVisible());

    // A binary file is refused whole, with a message, and the list stays.
    const std::string binary = home_ + "/lists/noise.m3u";
    std::ofstream(binary, std::ios::binary).write("\x7f" "ELF\x02\x01\x01\0\0\0\0\0", 12);
    prompts_.files.push_back(binary);
    QTest::mouseClick(window_->imgLoadList, Qt::LeftButton);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text.rfind("The playlist " + binary + " cannot be loaded: ", 0), 0u)
        << prompts_.messages[0].text;
    EXPECT_EQ(window_->lstfavs->count(), 3);
}

TEST_F(MPlay3Test, ReopeningRestoresThePositionAndMinimizedCaptionNamesTheFile)
{
    openWindow();
    window_->move(230, 170);
    const QPoint at = window_->pos();
    QTest::mouseClick(window_->imgClose, Qt::LeftButton);
    EXPECT_FALSE(window_->isVisible());
    window_.reset();
    openWindow();
    EXPECT_EQ(window_->pos(), at);

    open({tone("song.wav", 440, 3)});
    window_->showMinimized();
    window_->tmrCaption_Timer();
    EXPECT_EQ(window_->windowTitle(), "song.wav - Audio Player...");
    window_->showNormal();
    window_->tmrCaption_Timer();
    EXPECT_EQ(window_->windowTitle(), "Audio Player");

    // The caption label scrolls leftward and comes in again from the right.
    const int x = window_->Label24->x();
    window_->tmrScroll_Timer();
    EXPECT_LT(window_->Label24->x(), x);
    window_->Label24->move(-window_->Label24->width() - 1, window_->Label24->y());
    window_->tmrScroll_Timer();
    EXPECT_EQ(window_->Label24->x(), window_->picDisplay->width());
}

} // namespace
} // namespace recorder
