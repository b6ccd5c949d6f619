// A recording that cannot start, or cannot go on, says why and loses nothing.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/audio_file.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/recording/format_values.h"

#include <QLabel>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/resource.h>

namespace recorder {
namespace {

using RecordingFailures = RecorderWindowTest;

TEST_F(RecordingFailures, OutputFileThatCannotBeCreatedStopsTheStartWithOneMessage)
{
    writeSettings("[set]\noutputfolder=" + home_ + "/no/such/folder\nfilename=rec\n");
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->StartRecord();
    EXPECT_FALSE(form_->flgRecord);
    EXPECT_FALSE(form_->Timer1->isActive());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
    EXPECT_NE(prompts_.messages[0].text.find(home_ + "/no/such/folder/rec.WAV"), std::string::npos) << prompts_.messages[0].text;
    stopRecording();
    EXPECT_TRUE(form_->rows().empty()) << "no row for a recording that never started";
}

TEST_F(RecordingFailures, AMusicFolderThatCannotBeCreatedIsNamed)
{
    std::ofstream(home_ + "/Music") << "a file where the folder would be";
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->StartRecord();
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text.rfind("The recording could not start: the music folder " + home_ +
                                                  "/Music cannot be created (",
                                              0),
              0u)
        << prompts_.messages[0].text;
    EXPECT_TRUE(form_->rows().empty());
}

TEST_F(RecordingFailures, FormatSettingsTheEncoderRefusesStopTheStartInsteadOfRecordingAnotherFormat)
{
    writeSettings("[g721]\ng721Freq=100\n");
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->cboEncoders->setCurrentIndex(FormatCode::G721);
    form_->StartRecord();
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("G721 settings cannot be recorded"), std::string::npos) << prompts_.messages[0].text;
    EXPECT_FALSE(std::filesystem::exists(form_->currentRecordPath()));
    EXPECT_TRUE(form_->rows().empty());
}

TEST_F(RecordingFailures, CaptureDeviceThatIsGoneStopsTheStartAndLeavesNoFile)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    input_.reset(); // the device goes away after it was chosen
    form_->StartRecord();
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find(kTestInputName), std::string::npos) << prompts_.messages[0].text;
    EXPECT_FALSE(std::filesystem::exists(form_->currentRecordPath()));
    EXPECT_TRUE(form_->rows().empty());
}

TEST_F(RecordingFailures, NoSoundServerAtAllGivesAMessage)
{
    auto own = testsound::SoundServer::startPrivate();
    own->useInThisProcess();
    own->kill();
    openWindow();
    form_->StartRecord();
    EXPECT_FALSE(form_->flgRecord);
    EXPECT_EQ(prompts_.messages.size(), 1u);
    EXPECT_TRUE(form_->rows().empty());
    form_.reset();
    testsound::SoundServer::shared().useInThisProcess();
}

TEST_F(RecordingFailures, FailedWriteStopsTheRecordingKeepsWhatWasWrittenAndSaysSo)
{
    ASSERT_TRUE(startRecordingOnTestDevice());
    // A file-size limit stands in for a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit{400000, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 4.0);
    writer.start(44100 * 5);
    for (int i = 0; i < 300 && form_->flgRecord; ++i) wait(20);
    waitUntilRecordingIdle();
    writer.stop();
    ::setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(form_->flgRecord) << "the recording stopped itself";
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("could not be written"), std::string::npos) << prompts_.messages[0].text;
    ASSERT_EQ(form_->rows().size(), 1u);
    const std::string path = form_->rows()[0].path;
    auto info = testaudio::probe(path);
    EXPECT_EQ(info["codec_name"], "pcm_s16le");
    auto pcm = testaudio::decodeWithFfmpeg(path, 44100, 2);
    EXPECT_GT(pcm.size(), 44100u * 2 / 2) << "what was written before the failure plays";
}

TEST_F(RecordingFailures, DeviceThatGoesAwayMidRecordingStopsItKeepingWhatCame)
{
    ASSERT_TRUE(startRecordingOnTestDevice());
    {
        testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 2.0);
        writer.start(44100 * 2);
        for (int i = 0; i < 200 && !writer.finished(); ++i) wait(20);
    }
    wait(600);
    input_.reset(); // unplugged
    for (int i = 0; i < 200 && form_->flgRecord; ++i) wait(20);
    waitUntilRecordingIdle();
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("no longer available"), std::string::npos) << prompts_.messages[0].text;
    ASSERT_EQ(form_->rows().size(), 1u);
    auto pcm = testaudio::decodeWithFfmpeg(form_->rows()[0].path, 44100, 2);
    EXPECT_GT(pcm.size(), 44100u * 2) << "the audio that came in is in the file";
}

TEST_F(RecordingFailures, FramesLostToABusyProgramAreReportedInTheStatusBar)
{
    ASSERT_TRUE(startRecordingOnTestDevice());
    testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 0);
    writer.start(44100 * 16);
    // The window's thread is too busy to take blocks while 16 s pour into a 10 s
    // ring; it stays busy a while after the writer is done, because the server
    // is still passing the audio on to the capture.
    writer.waitFinished(20);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    wait(1500);
    stopRecording();
    EXPECT_NE(form_->StatusPanel2->text().toStdString().find("frames lost"), std::string::npos)
        << form_->StatusPanel2->text().toStdString();
}

} // namespace
} // namespace recorder
