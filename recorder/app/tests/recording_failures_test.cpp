// A recording that cannot start, or cannot go on, says why and loses nothing.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/audio_file.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/recording/format_values.h"
#include "recorder/recording/recording_journal.h"

#include "platform/testserver/sound_server.h"

#include <QLabel>
#include <QTimer>

#include <chrono>
#include <functional>
#include <fstream>
#include <csignal>
#include <cstdio>
#include <thread>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

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

// A real full disk: a small tmpfs (mounting needs root, as in CI).
TEST_F(RecordingFailures, AFullDiskStopsTheRecordingKeepsAllThatFittedAndRecordingWorksOnceThereIsRoom)
{
    const std::string small = home_ + "/small";
    std::filesystem::create_directories(small);
    if (::geteuid() != 0 || ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=512k") != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};
    writeSettings("[set]\noutputfolder=" + small + "\nfilename=take\ndatetime=0\nexistedfile=0\n");
    ASSERT_TRUE(startRecordingOnTestDevice());
    const std::string path = form_->currentRecordPath();
    input_->drain();
    {
        // 512 KiB hold about 3 s of CD-quality WAV.
        testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer.start(44100 * 5);
        for (int i = 0; i < 400 && form_->flgRecord; ++i) wait(20);
        ASSERT_TRUE(waitUntilRecordingIdle());
    }
    EXPECT_FALSE(form_->flgRecord) << "the recording stopped itself";
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("Disk full while writing " + path), std::string::npos)
        << prompts_.messages[0].text;
    ASSERT_EQ(form_->rows().size(), 1u);
    EXPECT_EQ(form_->rows()[0].path, path);
    // Everything that had room: the disk's last page or so stays free, no more.
    const auto size = std::filesystem::file_size(path);
    EXPECT_GT(size, 512u * 1024 - 16 * 1024) << "bytes kept of a 512 KiB disk";
    const auto pcm = testaudio::decodeWithFfmpeg(path, 44100, 2);
    std::printf("full disk: %.2f s fitted (%ju bytes of 512 KiB), %.2f s in the file\n", (double(size) - 80) / 176400,
                std::uintmax_t(size), double(pcm.size()) / 2 / 44100);
    EXPECT_NEAR(double(pcm.size()) * 2, double(size), 200.0) << "the header counts every frame on the disk";

    // Room again: the next Record works without a restart.
    std::filesystem::remove(path);
    prompts_.messages.clear();
    recordTone(1.0);
    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    ASSERT_EQ(form_->rows().size(), 2u);
    EXPECT_GT(testaudio::decodeWithFfmpeg(form_->rows()[1].path, 44100, 2).size(), 44100u);
}

// The output folder under a recording, and what becomes of it.
class RecordingFolderFaults : public RecordingFailures {
protected:
    void SetUp() override
    {
        RecordingFailures::SetUp();
        takes_ = home_ + "/takes";
        std::filesystem::create_directories(takes_);
        writeSettings("[set]\noutputfolder=" + takes_ + "\nfilename=take\ndatetime=0\nexistedfile=0\n");
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::permissions(takes_, std::filesystem::perms::owner_all, ec);
        RecordingFailures::TearDown();
    }
    // Records `seconds` of tone, then lets `fault` happen to the folder; the
    // seconds it took the window to stop and say so.
    double recordThen(double seconds, const std::function<void()>& fault)
    {
        if (!startRecordingOnTestDevice()) return -1;
        input_->drain();
        testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer.start(static_cast<std::uint64_t>(seconds * 44100));
        for (int i = 0; i < 500 && !writer.finished(); ++i) wait(20);
        wait(300);
        fault();
        const auto faulted = std::chrono::steady_clock::now();
        // The device goes on delivering, as a real one does.
        testsound::SignalWriter more(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        more.start(44100 * 3);
        for (int i = 0; i < 300 && prompts_.messages.empty(); ++i) wait(10);
        more.stop();
        const double said = std::chrono::duration<double>(std::chrono::steady_clock::now() - faulted).count();
        waitUntilRecordingIdle();
        return said;
    }
    double fileSeconds(const std::string& path)
    {
        return double(testaudio::decodeWithFfmpeg(path, 44100, 2).size()) / 2 / 44100;
    }
    std::string takes_;
};

TEST_F(RecordingFolderFaults, ARemovedFolderIsMadeAgainAndTheFileSavedThereWithEverythingFed)
{
    const double said = recordThen(1.5, [&] { std::filesystem::remove_all(takes_); });
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    const std::string& text = prompts_.messages[0].text;
    EXPECT_NE(text.find("its folder " + takes_ + " was removed"), std::string::npos) << text;
    ASSERT_EQ(form_->rows().size(), 1u);
    const std::string path = form_->rows()[0].path;
    EXPECT_EQ(path, takes_ + "/take.WAV") << "saved in the folder made anew";
    EXPECT_NE(text.find("kept in " + path), std::string::npos) << text;
    ASSERT_TRUE(std::filesystem::exists(path)) << "no row names a file that is not there";
    const double seconds = fileSeconds(path);
    std::printf("folder removed: 1.50 s fed before, %.2f s in the file, said after %.2f s\n", seconds, said);
    EXPECT_GT(seconds, 1.45) << "everything fed is in the file";
    const auto pcm = testaudio::decodeWithFfmpeg(path, 44100, 2);
    EXPECT_GT(testaudio::toneLevel(std::vector<std::int16_t>(pcm.begin(), pcm.begin() + 44100 * 2), 2, 0, 1000, 44100), 0.15);
}

TEST_F(RecordingFolderFaults, AFolderMadeReadOnlyStopsTheRecordingKeepsItAndSaysSo)
{
    const double said = recordThen(1.5, [&] {
        std::filesystem::permissions(takes_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    });
    EXPECT_FALSE(form_->flgRecord) << "the recording stopped itself";
    ASSERT_EQ(prompts_.messages.size(), 1u);
    const std::string& text = prompts_.messages[0].text;
    EXPECT_NE(text.find("its folder " + takes_ + " was made read-only"), std::string::npos) << text;
    EXPECT_NE(text.find("kept in " + takes_ + "/take.WAV"), std::string::npos) << text;
    ASSERT_EQ(form_->rows().size(), 1u);
    const double seconds = fileSeconds(form_->rows()[0].path);
    std::printf("folder made read-only: 1.50 s fed before, %.2f s in the file, said after %.2f s\n", seconds, said);
    EXPECT_GT(seconds, 1.45);
}

TEST_F(RecordingFolderFaults, AReadOnlyFolderRefusesTheStartAndSaysWhich)
{
    std::filesystem::permissions(takes_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->StartRecord();
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "The recording could not start: the folder " + takes_ + " is read-only.");
    EXPECT_TRUE(form_->rows().empty());
    EXPECT_FALSE(std::filesystem::exists(takes_ + "/take.WAV"));
}

// What a crash leaves: the journal of the recording, and a WAV whose header
// never counted its data.
TEST_F(RecordingFailures, TheNextStartRepairsAndListsARecordingACrashCutOff)
{
    // A recording names itself in the journal until its file is closed.
    ASSERT_TRUE(startRecordingOnTestDevice());
    const auto entry = readJournal(Form1::journalPath());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->path, form_->currentRecordPath());
    form_->StopRecord();
    ASSERT_TRUE(waitUntilRecordingIdle());
    EXPECT_FALSE(std::filesystem::exists(Form1::journalPath()));
    form_.reset();
    std::filesystem::remove_all(home_ + "/Music");
    std::filesystem::create_directories(home_ + "/Music");
    const std::string path = home_ + "/Music/crashed.wav";
    {
        recorder::AudioFile file;
        ASSERT_TRUE(file.SetFormatPCM(44100, 2, 16, 0));
        ASSERT_TRUE(file.OpenWrite(path, 1000));
        ASSERT_TRUE(testaudio::recordTones(file, 2.0, 440, 1000));
        ASSERT_TRUE(file.Close());
    }
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        const char zero[4] = {};
        f.seekp(4).write(zero, 4);  // RIFF size
        f.seekp(76).write(zero, 4); // data size
    }
    ASSERT_TRUE(writeJournal(Form1::journalPath(), {path, "WAV", 1765350000, 44100, 2}));

    openWindow();
    wait(50);
    // The window opened again here also says that its hotkeys are taken: only the recovery is looked at.
    auto said = [this](const std::string& part) {
        std::vector<std::string> found;
        for (const auto& m : prompts_.messages)
            if (m.text.find(part) != std::string::npos) found.push_back(m.text);
        return found;
    };
    const std::vector<std::string> expected = {"The recording " + path +
                                               " was interrupted at 0:00:02 and has been recovered."};
    EXPECT_EQ(said("interrupted"), expected);
    const auto rows = form_->rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].path, path);
    EXPECT_EQ(rows[0].duration, "0:00:02");
    EXPECT_NEAR(std::stod(testaudio::probe(path)["duration"]), 2.0, 0.01);
    {
        std::ifstream f(path, std::ios::binary);
        unsigned char data[4] = {};
        f.seekg(76).read(reinterpret_cast<char*>(data), 4);
        EXPECT_EQ(data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24),
                  std::filesystem::file_size(path) - 80) << "the header counts the data again";
    }
    EXPECT_FALSE(std::filesystem::exists(Form1::journalPath())) << "said once";

    // A journal naming a file nobody can read: named, the file left alone.
    std::ofstream(home_ + "/Music/broken.wav") << "not audio";
    ASSERT_TRUE(writeJournal(Form1::journalPath(), {home_ + "/Music/broken.wav", "WAV", 0, 44100, 2}));
    form_.reset();
    prompts_.messages.clear();
    openWindow();
    wait(50);
    EXPECT_EQ(said("broken.wav was interrupted and cannot be read").size(), 1u) << ::testing::PrintToString(said(""));
    EXPECT_TRUE(form_->rows().empty());
    EXPECT_TRUE(std::filesystem::exists(home_ + "/Music/broken.wav"));
}

// Bad settings start and record, and a value that cannot be used is named
// with what is used instead. (What a huge file costs a start is measured in
// bench/recorder: the pipe source here makes up for a late start.)
TEST_F(RecordingFailures, AHugeOrDamagedSettingsFileStillRecordsAndSaysWhatItCannotUse)
{
    {
        std::ofstream settings(home_ + "/settings.dat", std::ios::binary);
        settings << "[set]\noutputformat=99\n[wav]\nFreq=fast\n" << std::string(5 << 20, 'x') << "\n";
    }
    openWindow();
    EXPECT_EQ(form_->StatusPanel2->text().toStdString(),
              "outputformat \"99\" in settings.dat names no format: WAV is used instead");
    ASSERT_TRUE(selectTestDevice());
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    EXPECT_NE(form_->StatusPanel2->text().indexOf("Freq \"fast\" in settings.dat is not a number"), -1)
        << form_->StatusPanel2->text().toStdString();
    stopRecording();
    recordTone(1.0);
    ASSERT_EQ(form_->rows().size(), 2u);
    const auto pcm = testaudio::decodeWithFfmpeg(form_->rows()[1].path, 44100, 2);
    EXPECT_NEAR(double(pcm.size()) / 2 / 44100, 1.0, 0.1);
}

TEST_F(RecordingFailures, ADeviceThatGoesAwayIsWaitedForThenTheRecordingStopsKeepingWhatCame)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->setCaptureWait(2);
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    {
        testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 2.0);
        writer.start(44100 * 2);
        for (int i = 0; i < 200 && !writer.finished(); ++i) wait(20);
    }
    wait(600);
    input_.reset(); // unplugged
    const auto unplugged = std::chrono::steady_clock::now();
    for (int i = 0; i < 150 && form_->StatusPanel2->text().indexOf("went away at") < 0; ++i) wait(20);
    std::printf("device gone: said after %.2f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - unplugged).count());
    EXPECT_NE(form_->StatusPanel2->text().indexOf("went away at 0:00:0"), -1) << form_->StatusPanel2->text().toStdString();
    EXPECT_NE(form_->StatusPanel2->text().indexOf(kTestInputName), -1) << form_->StatusPanel2->text().toStdString();
    EXPECT_TRUE(form_->flgRecord) << "waited for";
    for (int i = 0; i < 300 && form_->flgRecord; ++i) wait(20);
    ASSERT_TRUE(waitUntilRecordingIdle());
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("did not come back within 2 s"), std::string::npos) << prompts_.messages[0].text;
    EXPECT_NE(prompts_.messages[0].text.find("kept in"), std::string::npos) << prompts_.messages[0].text;
    ASSERT_EQ(form_->rows().size(), 1u);
    auto pcm = testaudio::decodeWithFfmpeg(form_->rows()[0].path, 44100, 2);
    EXPECT_GT(pcm.size(), 44100u * 2) << "the audio that came in is in the file";
    EXPECT_LT(pcm.size(), 44100u * 2 * 4) << "no silence is added for a device that never came back";
}

// Unplugged and plugged in again (the source unloaded and loaded under its name).
TEST_F(RecordingFailures, ADeviceThatComesBackIsRecordedFromAgainIntoTheSameFileWithTheGapAsSilence)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    const std::string path = form_->currentRecordPath();
    const auto started = std::chrono::steady_clock::now();
    auto feed = [this](double seconds) {
        testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
        writer.start(static_cast<std::uint64_t>(seconds * 44100));
        for (int i = 0; i < 500 && !writer.finished(); ++i) wait(20);
    };
    input_->drain();
    feed(2.0);
    input_.reset();
    const auto unplugged = std::chrono::steady_clock::now();
    for (int i = 0; i < 150 && form_->StatusPanel2->text().indexOf("went away at") < 0; ++i) wait(20);
    wait(2000);
    input_ = std::make_unique<testsound::PipeSource>(testsound::SoundServer::shared(), "velmor_window_in", kTestInputName);
    for (int i = 0; i < 150 && form_->StatusPanel2->text().indexOf("Recording resumed after") < 0; ++i) wait(20);
    const double away = std::chrono::duration<double>(std::chrono::steady_clock::now() - unplugged).count();
    EXPECT_NE(form_->StatusPanel2->text().indexOf("Recording resumed after"), -1) << form_->StatusPanel2->text().toStdString();
    EXPECT_TRUE(form_->flgRecord);
    for (int i = 0; i < 100 && form_->DeviceCombo->currentText() != kTestInputName; ++i) wait(10);
    EXPECT_EQ(form_->DeviceCombo->currentText().toStdString(), kTestInputName) << "the list shows it back";
    feed(2.0);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    stopRecording();
    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    ASSERT_EQ(form_->rows().size(), 1u) << "one recording, one file";
    EXPECT_EQ(form_->rows()[0].path, path);
    const auto pcm = testaudio::decodeWithFfmpeg(path, 44100, 2);
    const double seconds = double(pcm.size()) / 2 / 44100;
    std::printf("device back: %.2f s of wall clock, %.2f s in the file, %.2f s away\n", wall, seconds, away);
    EXPECT_NEAR(seconds, wall, 1.0) << "the file keeps the wall clock's time";
    // Tone, then silence for the time away, then tone again.
    auto level = [&](double from, double to) { return testaudio::toneLevelBetween(pcm, 2, 1000, 44100, from, to); };
    EXPECT_GT(level(0.3, 1.7), 0.15);
    EXPECT_LT(level(2.6, 2.0 + away - 0.6), 0.01) << "the gap is silence";
    EXPECT_GT(level(seconds - 1.5, seconds - 0.3), 0.15);
}

TEST_F(RecordingFailures, FramesLostToABusyProgramAreSilenceInTheFileAndNamedInTheStatusBarAndTheRow)
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
    EXPECT_NE(form_->StatusPanel2->text().toStdString().find(" s) lost: the computer was too busy"), std::string::npos)
        << form_->StatusPanel2->text().toStdString();
    ASSERT_EQ(form_->rows().size(), 1u);
    EXPECT_NE(form_->rows()[0].duration.find(" s missing)"), std::string::npos) << form_->rows()[0].duration;
}

} // namespace
} // namespace recorder
