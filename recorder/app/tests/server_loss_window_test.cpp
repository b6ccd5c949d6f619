// The sound server killed under the window, as an update or a crash does,
// and started again: a recording waits for it and goes on into the same
// file; a playback stops with a note. A server of the test's own.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/tests/test_audio.h"
#include "recorder/recordings/main_playback.h"

#include "platform/testserver/sound_server.h"

#include <QLabel>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>

namespace recorder {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kPrivateInput = "Velmor Test Input";

class SoundServerLoss : public RecorderWindowTest {
protected:
    void SetUp() override
    {
        RecorderWindowTest::SetUp();
        server_ = testsound::SoundServer::startPrivate();
        ASSERT_TRUE(server_ && server_->alive());
        server_->useInThisProcess();
    }

    bool selectPrivateInput()
    {
        const int index = form_->DeviceCombo->findText(kPrivateInput);
        if (index < 0) return false;
        form_->DeviceCombo->setCurrentIndex(index);
        emit form_->DeviceCombo->activated(index);
        return true;
    }

    void feed(double seconds)
    {
        testsound::SignalWriter writer(server_->folder() + "/pipe.fifo", 44100,
                                       testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer.start(static_cast<std::uint64_t>(seconds * 44100));
        for (int i = 0; i < 1000 && !writer.finished(); ++i) wait(10);
    }

    // Seconds until the status bar shows `text`; negative when it never did.
    double secondsUntilStatus(const char* text, double within)
    {
        const auto from = Clock::now();
        while (form_->StatusPanel2->text().indexOf(text) < 0) {
            if (Clock::now() - from > std::chrono::duration<double>(within)) return -1;
            wait(10);
        }
        return std::chrono::duration<double>(Clock::now() - from).count();
    }

    std::unique_ptr<testsound::SoundServer> server_;
};

TEST_F(SoundServerLoss, ARecordingWaitsForTheServerAndGoesOnIntoTheSameFileWithTheGapAsSilence)
{
    openWindow();
    ASSERT_TRUE(selectPrivateInput());
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    const std::string path = form_->currentRecordPath();
    const auto started = Clock::now();
    feed(2.0);
    server_->kill();
    const double told = secondsUntilStatus("The sound server went away at 0:00:0", 5);
    EXPECT_GE(told, 0) << form_->StatusPanel2->text().toStdString();
    EXPECT_TRUE(form_->flgRecord) << "waited for";
    wait(static_cast<int>(5000 - told * 1000));
    ASSERT_TRUE(server_->restart());
    const double resumed = secondsUntilStatus("Recording resumed after", 10);
    EXPECT_GE(resumed, 0) << form_->StatusPanel2->text().toStdString();
    EXPECT_NE(form_->DeviceCombo->findText(kPrivateInput), -1) << "the device list is filled again";
    feed(2.0);
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    stopRecording();
    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    ASSERT_EQ(form_->rows().size(), 1u) << "one recording, one file";
    EXPECT_EQ(form_->rows()[0].path, path);
    const auto pcm = testaudio::decodeWithFfmpeg(path, 44100, 2);
    const double seconds = double(pcm.size()) / 2 / 44100;
    std::printf("server restart in the window: %.2f s wall, %.2f s in the file; told after %.2f s, resumed %.2f s "
                "after the server was back\n",
                wall, seconds, told, resumed);
    EXPECT_NEAR(seconds, wall, 1.0) << "the file keeps the wall clock's time";
    auto level = [&](double from, double to) { return testaudio::toneLevelBetween(pcm, 2, 1000, 44100, from, to); };
    EXPECT_GT(level(0.3, 1.7), 0.15);
    EXPECT_LT(level(2.8, 6.2), 0.01) << "the gap is silence";
    EXPECT_GT(level(seconds - 1.5, seconds - 0.3), 0.15);
}

TEST_F(SoundServerLoss, APlaybackStopsWithANoteInTheStatusBar)
{
    openWindow();
    ASSERT_TRUE(selectPrivateInput());
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    feed(3.0);
    stopRecording();
    ASSERT_EQ(form_->rows().size(), 1u);
    form_->ListView1->setCurrentItem(form_->ListView1->topLevelItem(0));
    form_->PlaySelected();
    ASSERT_TRUE(form_->playback() && form_->playback()->playing());
    wait(500);
    server_->kill();
    const double said = secondsUntilStatus("Playback stopped: the sound server went away.", 5);
    std::printf("playback: the server's loss said after %.2f s\n", said);
    EXPECT_GE(said, 0) << form_->StatusPanel2->text().toStdString();
    EXPECT_FALSE(form_->playback()->playing());
    EXPECT_TRUE(prompts_.messages.empty()) << "a note, not a message box: " << prompts_.messages.front().text;
}

} // namespace
} // namespace recorder
