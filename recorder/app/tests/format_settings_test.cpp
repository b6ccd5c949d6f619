// The record settings window from the main window: opened by its command,
// and the MP3 options chosen there recorded with in the next run.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/widgets/picture_button.h"
#include "recorder/widgets/up_down.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/formats/ui/form2.h"
#include "recorder/formats/ui/frm_mp3.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <fstream>
#include <functional>
#include <set>
#include <iterator>

namespace recorder {
namespace {

using FormatSettingsWindow = RecorderWindowTest;

// The bit rates (kbit/s) of the MPEG-1 layer III frames of a file, walked frame by frame.
std::set<int> mpeg1FrameBitrates(const std::string& path)
{
    static const int kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int rates[] = {44100, 48000, 32000, 0};
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::set<int> found;
    std::size_t pos = bytes.find("\xFF\xFB");
    while (pos != std::string::npos && pos + 4 <= bytes.size() && at(pos) == 0xFF && (at(pos + 1) & 0xFE) == 0xFA) {
        const int bitrate = kbps[at(pos + 2) >> 4];
        const int rate = rates[(at(pos + 2) >> 2) & 3];
        if (bitrate == 0 || rate == 0) break;
        found.insert(bitrate);
        pos += static_cast<std::size_t>(144 * bitrate * 1000 / rate + ((at(pos + 2) >> 1) & 1));
    }
    return found;
}

template <class Dialog>
void onNextModal(std::function<void(Dialog*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

TEST_F(FormatSettingsWindow, Mp3OptionsChosenInTheWindowAreRecordedWithInTheNextRun)
{
    openWindow();
    EXPECT_TRUE(form_->menuAction("Format Settings")->isEnabled());
    EXPECT_TRUE(form_->pictureButtons[1]->isEnabled());
    EXPECT_EQ(form_->pictureButtons[1]->objectName(), "picFormatSettings");

    onNextModal<Form2>([](Form2* settings) {
        onNextModal<frmMP3>([](frmMP3* mp3) {
            mp3->Slider1->setValue(3); // 32 kbit/s: the least VBR may use
            mp3->Combo1->setCurrentText("New");
            mp3->udVbrQ->setValue(2);
            mp3->Command1->click();
        });
        settings->cmdMP3->click();
        settings->Command1->click();
    });
    form_->menuAction("Format Settings")->trigger();
    ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;

    form_->exitsystem();
    form_.reset();
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->cboEncoders->setCurrentIndex(FormatCode::MP3);
    // Tone and silence by turns: a VBR stream spends fewer bits on the silence.
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    input_->drain();
    testsound::SignalWriter writer(*input_, testsound::Signal::bursts(1000.0, 0.5, 2, 400, 400), 2.0);
    writer.start(3 * 44100);
    for (int i = 0; i < 500 && !writer.finished(); ++i) wait(20);
    wait(700);
    stopRecording();
    ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;

    const std::string path = form_->currentRecordPath();
    EXPECT_EQ(testaudio::probe(path)["codec_name"], "mp3");
    // LAME marks a VBR stream's first frame "Xing" (a constant bit rate one "Info").
    std::ifstream in(path, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_NE(head.find("Xing"), std::string::npos);
    EXPECT_EQ(head.find("Info"), std::string::npos);
    const std::set<int> bitrates = mpeg1FrameBitrates(path);
    EXPECT_GT(bitrates.size(), 1u) << "every frame at one bit rate: not VBR";
}

} // namespace
} // namespace recorder
