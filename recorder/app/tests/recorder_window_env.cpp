#include "recorder/app/tests/recorder_window_env.h"

#include "platform/com/class_registry.h"
#include "platform/testserver/sound_server.h"

#include <cstdlib>

namespace recorder {

void RecorderWindowTest::SetUp()
{
    auto& server = testsound::SoundServer::shared();
    char tmpl[] = "/tmp/velmor-window-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    home_ = tmpl;
    ::setenv("VELMOR_HOME", home_.c_str(), 1);
    // Recordings go to the music folder: $HOME/Music here, never the real one.
    homeVariable_.set(home_);
    configVariable_.set(home_);
    ASSERT_EQ(com::registerServerLibrary(CAPTURE_LIBRARY, false), S_OK);
    input_ = std::make_unique<testsound::PipeSource>(server, "velmor_window_in", kTestInputName);
}

void RecorderWindowTest::TearDown()
{
    form_.reset();
    input_.reset();
    CoFreeUnusedLibraries();
    ::unsetenv("VELMOR_HOME");
    std::error_code ec;
    std::filesystem::remove_all(home_, ec);
}

void RecorderWindowTest::openWindow() { form_ = std::make_unique<Form1>(prompts_, &launcher_, hotkeys_); }

bool RecorderWindowTest::selectTestDevice()
{
    const int index = form_->DeviceCombo->findText(kTestInputName);
    if (index < 0) return false;
    form_->DeviceCombo->setCurrentIndex(index);
    emit form_->DeviceCombo->activated(index);
    return true;
}

bool RecorderWindowTest::startRecordingOnTestDevice()
{
    openWindow();
    if (!selectTestDevice()) return false;
    form_->StartRecord();
    return form_->flgRecord;
}

void RecorderWindowTest::recordTone(double seconds, double pace)
{
    form_->StartRecord();
    if (!form_->flgRecord) return;
    input_->drain();
    testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), pace);
    writer.start(static_cast<std::uint64_t>(seconds * 44100));
    for (int i = 0; i < 1000 && !writer.finished(); ++i) wait(20);
    EXPECT_TRUE(writer.finished()) << "the capture took the signal";
    writer.stop();
    // The last whole block needs a notification after the data is in.
    wait(700);
    stopRecording();
}

void RecorderWindowTest::stopRecording()
{
    form_->StopRecord();
    waitUntilRecordingIdle();
}

bool RecorderWindowTest::waitUntilRecordingIdle()
{
    const bool idle = QTest::qWaitFor([this] { return form_->recordingIdle(); }, 20000);
    EXPECT_TRUE(idle) << "the recording's file was finished";
    wait(50); // what the window says after the row is listed
    return idle;
}

} // namespace recorder
