// From a recording to hearing it, as a person does it: record a tone in the
// main window, open "Audio Player" by its button, open the recorded file and
// listen on the null sink's monitor.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/widgets/picture_button.h"
#include "recorder/player/ui/mplay3.h"

#include "platform/testserver/sound_server.h"
#include "platform/testserver/stream_reader.h"
#include "platform/testserver/tone_analysis.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <future>

namespace recorder {
namespace {

using namespace std::chrono_literals;
using AudioPlayerEndToEnd = RecorderWindowTest;

TEST_F(AudioPlayerEndToEnd, ARecordingIsHeardThroughTheAudioPlayer)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    recordTone(2.0);
    const std::string recording = form_->currentRecordPath();
    ASSERT_TRUE(std::filesystem::exists(recording));

    ASSERT_TRUE(form_->menuAction("Audio Player")->isEnabled());
    PictureButton* button = form_->pictureButtons[4];
    ASSERT_TRUE(button->isEnabled());
    EXPECT_EQ(button->captionLabel()->text(), "Audio Player");

    double heardLevel = 0;
    std::string shown;
    QTimer::singleShot(0, [&] {
        auto* player = qobject_cast<MPlay3*>(QApplication::activeModalWidget());
        if (!player) return;
        prompts_.files.push_back(recording);
        player->imgPlay->click();
        shown = player->Label24->text().toStdString();
        auto heard = std::async(std::launch::async, [] {
            return testsound::recordFromSource(testsound::SoundServer::shared().server(), "velmor_null.monitor", 44100, 2,
                                               44100 * 8 / 10);
        });
        while (heard.wait_for(0ms) != std::future_status::ready) QTest::qWait(20);
        heardLevel = testsound::toneAmplitude(heard.get(), 2, 0, 1000, 44100);
        player->imgClose->click();
    });
    emit button->clicked(); // modal until the player is closed
    EXPECT_EQ(shown, std::filesystem::path(recording).filename().string());
    EXPECT_GT(heardLevel, 0.05) << "the recorded 1000 Hz tone is heard";
    EXPECT_TRUE(prompts_.messages.empty());
}

} // namespace
} // namespace recorder
