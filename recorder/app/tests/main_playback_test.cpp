// Playing listed recordings in the main window, heard on the null sink's
// monitor of the private sound server: formats at their own rate, pause and
// resume, seeking, the end, and the rules against recording.

#include "recorder/app/tests/recorder_window_env.h"

#include "platform/testserver/sound_server.h"
#include "recorder/widgets/picture_button.h"
#include "recorder/components/audioplayer.h"
#include "platform/testserver/stream_reader.h"
#include "platform/testserver/tone_analysis.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/recordings/main_playback.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTreeWidget>

#include <future>

namespace recorder {
namespace {

constexpr int kMonitorRate = 44100;

class MainWindowPlayback : public RecorderWindowTest {
protected:
    void SetUp() override
    {
        RecorderWindowTest::SetUp();
        openWindow();
        form_->show();
    }

    // A file of one-second tones at `freqs`, written by the file component in the selected format.
    std::string makeFile(const std::string& name, const std::function<bool(AudioFile&)>& select, int rate, int channels,
                         const std::vector<double>& freqs)
    {
        AudioFile file;
        EXPECT_TRUE(select(file));
        const std::string path = home_ + "/" + name;
        EXPECT_TRUE(file.OpenWrite(path)) << file.lastError();
        std::uint64_t frame = 0;
        for (double f : freqs) {
            auto pcm = testaudio::twoTones(rate, channels, 1.0, f, f, frame);
            if (channels == 1)
                for (auto& s : pcm) s = static_cast<std::int16_t>(s * 5 / 3); // 0.5 of full scale, as in stereo
            EXPECT_TRUE(file.WriteArray(testaudio::captureArray(rate, channels, pcm)));
            frame += static_cast<std::uint64_t>(rate);
        }
        EXPECT_TRUE(file.Close());
        return path;
    }
    std::string wav(const std::string& name, const std::vector<double>& freqs)
    {
        return makeFile(name, [](AudioFile& f) { return f.SetFormatPCM(44100, 2); }, 44100, 2, freqs);
    }
    // Lists the files through a project file, as a person would reopen them.
    void list(const std::vector<std::string>& paths)
    {
        std::string text;
        for (std::size_t i = 0; i < paths.size(); ++i)
            text += std::to_string(i + 1) + "\t" + paths[i] + "\t1.0MB\t0:00:04\tt\tWAV\r\n";
        std::ofstream(home_ + "/list.rpf", std::ios::binary) << text;
        prompts_.files.push_back(home_ + "/list.rpf");
        form_->menuAction("Open Recording Project")->trigger();
        ASSERT_EQ(form_->rows().size(), paths.size());
    }
    void doubleClickRow(int row)
    {
        QTreeWidgetItem* item = form_->ListView1->topLevelItem(row);
        form_->ListView1->setCurrentItem(item);
        const QPoint at = form_->ListView1->visualItemRect(item).center();
        // A person's double click: a click, then the second press that makes it double.
        QTest::mouseClick(form_->ListView1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form_->ListView1->viewport(), Qt::LeftButton, {}, at);
    }
    // Records the monitor on another thread while the window's events run.
    std::future<std::vector<std::int16_t>> monitor(double seconds)
    {
        const std::string server = testsound::SoundServer::shared().server();
        auto f = std::async(std::launch::async, [server, seconds] {
            return testsound::recordFromSource(server, "velmor_null.monitor", kMonitorRate, 2,
                                               static_cast<std::size_t>(seconds * kMonitorRate));
        });
        wait(300); // connected by then
        return f;
    }
    std::vector<std::int16_t> heard(std::future<std::vector<std::int16_t>>& f)
    {
        for (int i = 0; i < 1000 && f.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready; ++i) wait(10);
        return f.get();
    }
    static double level(const std::vector<std::int16_t>& pcm, double frequency)
    {
        return testsound::toneAmplitude(pcm, 2, 0, frequency, kMonitorRate);
    }
    // Label1's "m:ss.mmm" in ms.
    std::int64_t labelMs() const
    {
        const std::string t = form_->Label1->text().toStdString();
        const auto colon = t.find(':'), dot = t.find('.');
        if (colon == std::string::npos || dot == std::string::npos) return -1;
        return std::stoll(t.substr(0, colon)) * 60000 + std::stoll(t.substr(colon + 1, dot - colon - 1)) * 1000 +
               std::stoll(t.substr(dot + 1));
    }
    // Presses and releases the mouse on slPosition's groove at `fraction` of its length.
    void clickPosition(double fraction)
    {
        QSlider* s = form_->slPosition;
        QStyleOptionSlider option;
        option.initFrom(s);
        option.orientation = s->orientation();
        option.minimum = s->minimum();
        option.maximum = s->maximum();
        const QRect groove = s->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, s);
        const QPoint at(groove.x() + static_cast<int>(fraction * (groove.width() - 1)), groove.center().y());
        QTest::mousePress(s, Qt::LeftButton, {}, at);
        QTest::mouseRelease(s, Qt::LeftButton, {}, at);
        wait(50);
    }
    const MainPlayback& playback() const { return *form_->playback(); }
};

struct Case {
    const char* name;
    std::function<bool(AudioFile&)> select;
    int rate;
    int channels;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class PlaysAtItsOwnRate : public MainWindowPlayback, public ::testing::WithParamInterface<Case> {};

TEST_P(PlaysAtItsOwnRate, TheToneIsHeardAtItsFrequency)
{
    const Case& c = GetParam();
    const std::string path = makeFile(std::string("tone.") + c.name, c.select, c.rate, c.channels, {1000, 1000, 1000});
    list({path});
    auto f = monitor(1.6);
    doubleClickRow(0);
    EXPECT_FALSE(playback().playStopped());
    EXPECT_EQ(form_->StatusPanel1->text().toStdString(), path);
    const auto pcm = heard(f);
    ASSERT_FALSE(pcm.empty());
    EXPECT_GT(level(pcm, 1000), 0.12) << "the tone is heard";
    if (c.rate != kMonitorRate) {
        EXPECT_LT(level(pcm, 1000.0 * kMonitorRate / c.rate), 0.02) << "not at the wrong rate";
    }
    EXPECT_TRUE(prompts_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, PlaysAtItsOwnRate,
                         ::testing::Values(Case{"WAV", [](AudioFile& f) { return f.SetFormatPCM(44100, 2); }, 44100, 2},
                                           Case{"MP3", [](AudioFile& f) { return f.SetFormatMP3(44100, 128, 2); }, 44100, 2},
                                           Case{"G726", [](AudioFile& f) { return f.SetFormatG726(8000, 4); }, 8000, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowPlayback, PauseThenResumeContinuesFromTheAmountPlayed)
{
    // One second of 500 Hz, then 1500 Hz: a playback resumed past the first
    // second never sounds 500 Hz again; one restarted from the beginning does.
    list({wav("steps.WAV", {500, 1500, 1500, 1500, 1500})});
    doubleClickRow(0);
    for (int i = 0; i < 500 && labelMs() < 1500; ++i) wait(10);
    form_->menuAction("Pause Play")->trigger();
    ASSERT_TRUE(playback().paused());
    const std::int64_t pausedAt = labelMs();
    EXPECT_GE(pausedAt, 1500);
    EXPECT_LT(pausedAt, 2500);

    auto f = monitor(1.5);
    form_->cmdPause->click();
    EXPECT_FALSE(playback().paused());
    const auto pcm = heard(f);
    EXPECT_GT(level(pcm, 1500), 0.1);
    EXPECT_LT(level(pcm, 500), 0.02) << "no restart from the beginning";
    EXPECT_GE(labelMs(), pausedAt) << "the time goes on from the pause";

    form_->menuAction("Stop Play")->trigger();
    EXPECT_TRUE(playback().playStopped());
    EXPECT_EQ(form_->slPosition->value(), 0);
    doubleClickRow(0);
    wait(300);
    form_->cmdPause->click();
    EXPECT_TRUE(playback().paused()) << "a paused state does not outlive a stop";
}

TEST_F(MainWindowPlayback, ASeekToTheMiddleLandsThere)
{
    list({wav("halves.WAV", {500, 500, 500, 1500, 1500, 1500})});
    doubleClickRow(0);
    wait(500);
    clickPosition(0.5);
    wait(300);
    const std::int64_t at = labelMs();
    EXPECT_GE(at, 3000);
    EXPECT_LT(at, 4200);
    auto f = monitor(1.0);
    const auto pcm = heard(f);
    EXPECT_GT(level(pcm, 1500), 0.08);
    EXPECT_LT(level(pcm, 500), 0.03) << "nothing of the first half";
    EXPECT_GT(form_->slPosition->value(), 500);
}

TEST_F(MainWindowPlayback, AnEightKilohertzRecordingKeepsItsRateAfterASeek)
{
    list({makeFile("steps.G726", [](AudioFile& f) { return f.SetFormatG726(8000, 4); }, 8000, 1,
                   {500, 500, 1000, 1000})});
    doubleClickRow(0);
    wait(300);
    clickPosition(0.6);
    auto f = monitor(1.0);
    const auto pcm = heard(f);
    EXPECT_GT(level(pcm, 1000), 0.12);
    EXPECT_LT(level(pcm, 1000.0 * kMonitorRate / 8000), 0.02);
}

TEST_F(MainWindowPlayback, ReleasingTheSliderAtItsMaximumEndsThePlayback)
{
    list({wav("short.WAV", {700, 700, 700, 700})});
    doubleClickRow(0);
    wait(300);
    clickPosition(1.0);
    for (int i = 0; i < 300 && !playback().playStopped(); ++i) wait(10);
    EXPECT_TRUE(playback().playStopped()) << "the player's EndPlay stops it";
    EXPECT_EQ(form_->slPosition->value(), 0);
    EXPECT_EQ(form_->ProgressBarMeter[0]->value(), 0);
}

TEST_F(MainWindowPlayback, VolumeSliderActsOnThePlayingSound)
{
    list({wav("loud.WAV", {1000, 1000, 1000, 1000})});
    doubleClickRow(0);
    wait(200);
    form_->SliderVolume->setValue(0);
    wait(200);
    auto f = monitor(0.8);
    EXPECT_LT(testsound::peak(heard(f), 2, 0), 200);
    form_->SliderVolume->setValue(100);
    EXPECT_EQ(form_->SliderVolume->value(), form_->Audioplayer->Volume());
}

TEST_F(MainWindowPlayback, ARowWhoseFileWasDeletedDoesNothing)
{
    const std::string path = wav("gone.WAV", {1000});
    list({path});
    std::filesystem::remove(path);
    doubleClickRow(0);
    EXPECT_TRUE(playback().playStopped());
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(MainWindowPlayback, AFileThatIsNoAudioSaysWhy)
{
    std::ofstream(home_ + "/text.WAV") << "no sound in here";
    list({home_ + "/text.WAV"});
    doubleClickRow(0);
    EXPECT_TRUE(playback().playStopped());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
}

TEST_F(MainWindowPlayback, RecordingStopsThePlaybackAndPlayWaitsUntilItEnds)
{
    list({wav("song.WAV", {1000, 1000, 1000, 1000})});
    doubleClickRow(0);
    wait(300);
    ASSERT_FALSE(playback().playStopped());
    ASSERT_TRUE(selectTestDevice());
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    EXPECT_TRUE(playback().playStopped()) << "a recording start stops the playback";
    EXPECT_FALSE(form_->cmdPlay->isEnabled());

    form_->ListView1->setCurrentItem(form_->ListView1->topLevelItem(0));
    form_->menuAction("Play Selected File")->trigger();
    doubleClickRow(0);
    EXPECT_TRUE(playback().playStopped()) << "no playback during a recording";
    EXPECT_TRUE(form_->flgRecord);

    form_->cmdStop->click();
    waitUntilRecordingIdle();
    EXPECT_FALSE(form_->flgRecord);
    EXPECT_TRUE(form_->cmdPlay->isEnabled());
    form_->ListView1->setCurrentItem(form_->ListView1->topLevelItem(0));
    form_->cmdPlay->click();
    EXPECT_FALSE(playback().playStopped());
    emit form_->pictureButtons[3]->clicked(); // STOP while not recording stops the playback
    EXPECT_TRUE(playback().playStopped());
}

} // namespace
} // namespace recorder
