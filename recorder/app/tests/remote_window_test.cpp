// The recorder driven from outside while it runs: the built program's
// --record, --status and --stop against a window, and the sleep inhibitor
// that a recording holds, through a stand-in logind on a private bus.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/remote/remote_control_server.h"
#include "recorder/app/single_instance.h"

#include "platform/power/logind_power_management.h"
#include "platform/power/tests/private_bus.h"
#include "platform/testserver/pipe_source.h"

#include <QElapsedTimer>
#include <QProcess>

namespace recorder {
namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out, err;
};

class RemoteWindow : public RecorderWindowTest {
protected:
    // The built program, run as a script would while this test's window serves it.
    ProgramRun recorder(const QString& option)
    {
        QProcess process;
        process.start(RECORDER_BINARY, {option});
        for (int i = 0; i < 1000 && process.state() != QProcess::NotRunning; ++i) wait(10);
        ProgramRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
};

TEST_F(RemoteWindow, RecordStatusAndStopFromTheCommandLine)
{
    // The window stands for the running recorder: it holds the lock the
    // program looks at, and listens where the program connects.
    SingleInstance running(home_ + "/recorder.lock");
    ASSERT_TRUE(running.isFirst());
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    ASSERT_NE(form_->remoteControl(), nullptr);
    ASSERT_TRUE(form_->remoteControl()->listening());

    ProgramRun idle = recorder("--status");
    EXPECT_EQ(idle.exitCode, 0) << idle.err.toStdString();
    EXPECT_EQ(idle.out, "idle\n");

    const ProgramRun record = recorder("--record");
    ASSERT_EQ(record.exitCode, 0) << record.err.toStdString();
    ASSERT_TRUE(form_->flgRecord);
    const std::string path = form_->currentRecordPath();
    EXPECT_EQ(record.out.toStdString(), "recording " + path + "\n");

    input_->drain();
    testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 2.0);
    writer.start(44100 * 2);
    for (int i = 0; i < 300 && !writer.finished(); ++i) wait(20);
    writer.stop();
    wait(1200);

    const ProgramRun status = recorder("--status");
    EXPECT_EQ(status.exitCode, 0);
    const QString prefix = QString::fromStdString("recording " + path + " ");
    ASSERT_TRUE(status.out.startsWith(prefix)) << status.out.toStdString();
    bool number = false;
    const int seconds = status.out.mid(prefix.size()).trimmed().toInt(&number);
    EXPECT_TRUE(number) << status.out.toStdString();
    EXPECT_GE(seconds, 1);

    const ProgramRun stop = recorder("--stop");
    EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_GT(std::filesystem::file_size(path), 44u);
    const auto rows = form_->rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].path, path);

    idle = recorder("--status");
    EXPECT_EQ(idle.out, "idle\n");
    // A second --stop changes nothing and adds no row.
    EXPECT_EQ(recorder("--stop").exitCode, 0);
    EXPECT_EQ(form_->rows().size(), 1u);

    // Nothing in the window needed a message.
    EXPECT_TRUE(prompts_.messages.empty());
}

// The program itself started with --record, as a script would start it: it
// records at once, although on this display no hotkey can be had and its two
// messages wait for the user.
TEST_F(RemoteWindow, AFirstRecorderStartedWithRecordRecordsAtOnce)
{
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(RECORDER_BINARY, {"--record"});
    ASSERT_TRUE(first.waitForStarted(5000));

    ProgramRun status;
    for (int i = 0; i < 100 && !status.out.startsWith("recording "); ++i) {
        status = recorder("--status");
        if (!status.out.startsWith("recording ")) wait(100);
    }
    ASSERT_TRUE(status.out.startsWith("recording ")) << status.out.toStdString() << status.err.toStdString();
    const std::string path = status.out.mid(10).section(' ', 0, -2).toStdString();
    EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(home_) / "Music") << path;
    wait(1500);

    const ProgramRun stop = recorder("--stop");
    EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
    EXPECT_EQ(stop.out.toStdString(), "stopped " + path + "\n");
    EXPECT_EQ(recorder("--status").out, "idle\n");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_GE(std::filesystem::file_size(path), 44u);

    first.terminate();
    if (!first.waitForFinished(5000)) first.kill();
    first.waitForFinished(5000);
}

// The window's message box waits for the user; the command line gets the reason at once.
TEST_F(RemoteWindow, ARefusedRecordIsAnsweredWithTheReasonWhileTheMessageBoxIsOpen)
{
    SingleInstance running(home_ + "/recorder.lock");
    ASSERT_TRUE(running.isFirst());
    writeSettings("[set]\noutputfolder=" + home_ + "/missing/folder\nfilename=take\n");
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    prompts_.messageOpenMs = 3000;
    QProcess client;
    QElapsedTimer clock;
    qint64 answeredAfter = -1;
    // Heard inside the message box's own event loop.
    QObject::connect(&client, &QProcess::finished, [&] { answeredAfter = clock.elapsed(); });
    clock.start();
    client.start(RECORDER_BINARY, {"--record"});
    for (int i = 0; i < 1000 && answeredAfter < 0; ++i) wait(10);
    ASSERT_GE(answeredAfter, 0);
    EXPECT_LT(answeredAfter, 1500) << "answered before the message box was closed";
    EXPECT_EQ(client.exitCode(), 1);
    const QString err = QString::fromUtf8(client.readAllStandardError());
    EXPECT_TRUE(err.contains("The recording could not start")) << err.toStdString();
    EXPECT_TRUE(err.contains(QString::fromStdString(home_ + "/missing/folder"))) << err.toStdString();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_FALSE(form_->flgRecord);
    wait(3100);
}

TEST_F(RemoteWindow, ARecordingHoldsSleepFromStartToStop)
{
    power::testing::PrivateBus bus;
    if (!bus.running()) GTEST_SKIP() << "dbus-daemon is not installed";
    power::testing::StandInLogin1 login1(bus.connect("login1"));
    ASSERT_TRUE(login1.registered());
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->usePowerManagement(std::make_unique<power::LogindPowerManagement>(bus.connect("window")));

    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    ASSERT_NE(form_->sleepInhibition(), nullptr);
    for (int i = 0; i < 250 && !form_->sleepInhibition()->granted(); ++i) wait(20);
    ASSERT_TRUE(form_->sleepInhibition()->granted()) << form_->sleepInhibition()->error();
    ASSERT_EQ(login1.calls().size(), 1u);
    EXPECT_EQ(login1.calls()[0].what, "sleep:idle");
    EXPECT_EQ(login1.calls()[0].mode, "block");
    EXPECT_EQ(login1.calls()[0].who, "Velmor Sound Recorder");
    EXPECT_TRUE(login1.held(0));

    // A new recording over a running one ends the first hold and takes a new one.
    form_->StartRecord();
    for (int i = 0; i < 250 && !(form_->sleepInhibition() && form_->sleepInhibition()->granted()); ++i) wait(20);
    ASSERT_EQ(login1.calls().size(), 2u);
    EXPECT_FALSE(login1.held(0));
    EXPECT_TRUE(login1.held(1));

    stopRecording();
    EXPECT_EQ(form_->sleepInhibition(), nullptr);
    EXPECT_FALSE(login1.held(1)) << "the descriptor is closed at stop";
    EXPECT_EQ(form_->rows().size(), 2u);
}

TEST_F(RemoteWindow, ARefusedInhibitorDoesNotKeepTheRecordingFromRunning)
{
    power::testing::PrivateBus bus;
    if (!bus.running()) GTEST_SKIP() << "dbus-daemon is not installed";
    power::testing::StandInLogin1 login1(bus.connect("login1"));
    login1.refuse = true;
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->usePowerManagement(std::make_unique<power::LogindPowerManagement>(bus.connect("window")));
    form_->StartRecord();
    ASSERT_TRUE(form_->flgRecord);
    for (int i = 0; i < 250 && form_->sleepInhibition()->error().empty(); ++i) wait(20);
    EXPECT_FALSE(form_->sleepInhibition()->granted());
    EXPECT_TRUE(form_->flgRecord) << "the refusal leaves the recording running";
    wait(1200);
    stopRecording();
    EXPECT_EQ(login1.calls().size(), 1u);
    ASSERT_EQ(form_->rows().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(form_->currentRecordPath()));
    EXPECT_TRUE(prompts_.messages.empty());
}

} // namespace
} // namespace recorder
