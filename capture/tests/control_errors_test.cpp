// Failures of Start and Stop, and a device or server that goes away mid-capture.

#include "capture/tests/control_fixture.h"

#include <csignal>

namespace capture_test {
namespace {

using ControlErrors = ControlTest;

void expectError(HRESULT hr, HRESULT expected, const char* description)
{
    EXPECT_EQ(hr, expected);
    com::ErrorDetails details;
    ASSERT_TRUE(com::takeError(details));
    EXPECT_EQ(details.description, description);
    EXPECT_EQ(details.source, "TavorAudioDXRecord3.AudioDXRecord3.1");
    EXPECT_EQ(details.iid, IID_REduruZUZedova3);
    EXPECT_EQ(details.helpFile, "");
    EXPECT_EQ(details.helpContext, 0u);
}

TEST_F(ControlErrors, SecondStartIsBusyAndCaptureGoesOn)
{
    auto& source = addSource("velmor_ctl_busy");
    createControl();
    ASSERT_TRUE(selectSource(source));
    EXPECT_EQ(control_->Stop(), S_OK); // idle: harmless

    control_->put_AudioArrayDuration(250);
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    testsound::SignalWriter writer(source, testsound::Signal::sine(1000, 0.5, 2), 8.0);
    writer.start(2 * 44100);
    ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) >= 1; }));
    expectError(control_->Start(8000, 1, 8), E_DXREC_BUSY, "Busy error.");
    LONG rate = 0;
    control_->get_SampleRate(&rate);
    EXPECT_EQ(rate, 44100);
    EXPECT_TRUE(started());

    // Late-bound callers get the same error through EXCEPINFO.
    EXCEPINFO excep{};
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(control_->Invoke(DISPID_Start, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, &excep, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, E_DXREC_BUSY);
    EXPECT_EQ(com::toUtf8(excep.bstrDescription), "Busy error.");
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);

    const auto before = sink_->count(DISPID_EndArrayRecord);
    ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) >= before + 3; }));
    EXPECT_EQ(control_->Stop(), S_OK);
    EXPECT_EQ(control_->Stop(), S_OK);
    EXPECT_EQ(lostFrames(), 0);
}

TEST_F(ControlErrors, StartRefusesAMissingDeviceAndAFormatTheDeviceCannotCapture)
{
    auto& source = addSource("velmor_ctl_format");
    createControl();
    ASSERT_TRUE(selectSource(source));
    expectError(control_->Start(44100, 2, 12), E_DXREC_OUTPUT_DRIVER, "Output Driver error.");
    EXPECT_FALSE(started());
    // The format of the refused Start is kept, as after any Start.
    LONG bits = 0;
    control_->get_SampleSize(&bits);
    EXPECT_EQ(bits, 12);

    // A device of the list whose source has gone since.
    sources_.clear();
    expectError(control_->Start(44100, 2, 16), E_DXREC_INPUT_DRIVER, "Input Driver error.");
    EXPECT_FALSE(started());
}

TEST_F(ControlErrors, NoSoundServerMeansNoDevicesAndStartFails)
{
    const char* saved = std::getenv("PULSE_SERVER");
    std::string previous = saved ? saved : "";
    ::setenv("PULSE_SERVER", ("unix:" + home_ + "/no-server").c_str(), 1);
    createControl();
    ::setenv("PULSE_SERVER", previous.c_str(), 1);

    LONG count = 0, num = 0;
    control_->get_devInputCount(&count);
    control_->get_devInputNum(&num);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(num, 1);
    com::Bstr name;
    ASSERT_EQ(control_->get_devInputName(name.put()), S_OK);
    EXPECT_EQ(name.utf8(), "");
    expectError(control_->Start(44100, 2, 16), E_DXREC_INPUT_DRIVER, "Input Driver error.");
    EXPECT_FALSE(started());
}

TEST_F(ControlErrors, AVanishedSourceStopsTheCaptureAndKeepsItsBlocks)
{
    auto& source = addSource("velmor_ctl_vanish");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_AudioArrayDuration(250);
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    {
        testsound::SignalWriter writer(source, testsound::Signal::counter(2), 0);
        writer.start(44100);
        ASSERT_TRUE(writer.waitFinished(5));
    }
    ASSERT_TRUE(pumpUntil([&] {
        com::Variant v;
        control_->get_SamplesCurrent(v.put());
        return counterValue(v) == 44100;
    }));
    sources_.clear(); // unloads the pipe source
    ASSERT_TRUE(pumpUntil([&] { return !started(); }));

    std::uint64_t frames = 0;
    for (auto& block : receiveAll()) frames += (block.size() - 40) / 4;
    EXPECT_EQ(frames, 44100u) << "every captured frame is still receivable";
    pumpFor(100ms);
    const auto events = sink_->events.size();
    pumpFor(200ms);
    EXPECT_EQ(sink_->events.size(), events);
    EXPECT_EQ(control_->Stop(), S_OK);
}

TEST_F(ControlErrors, AKilledServerStopsTheCaptureWithoutACrash)
{
    auto own = testsound::SoundServer::startPrivate();
    own->useInThisProcess();
    auto killed = std::make_unique<testsound::PipeSource>(*own, "velmor_ctl_killed", "Capture Killed Input");
    createControl();
    ASSERT_TRUE(selectSource(*killed));

    control_->put_AudioArrayDuration(100);
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    testsound::SignalWriter writer(*killed, testsound::Signal::sine(1000, 0.5, 2), 4.0);
    writer.start(44100);
    ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) >= 2; }));
    std::signal(SIGPIPE, SIG_IGN); // the writer's FIFO loses its reader with the server
    own->kill();
    ASSERT_TRUE(pumpUntil([&] { return !started(); }));
    writer.stop();
    EXPECT_FALSE(receiveAll().empty());
    EXPECT_EQ(control_->Stop(), S_OK);
    killed.reset();
    testsound::SoundServer::shared().useInThisProcess();
}

} // namespace
} // namespace capture_test
