// Buffered capture's hand-over to the owner's thread, against a record stream
// the test fills by hand.
#include "recorder/wavein/wave_in_recorder.h"

#include "platform/com/apartment.h"
#include "recorder/wavein/tests/fake_mixer_layer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace {

struct Delivery {
    std::int32_t bytes;
    std::vector<std::int16_t> samples; // the valid part
    std::size_t bufferSamples;
    bool recording; // IsRecording while raised
};

class Capture : public ::testing::Test {
protected:
    Capture() : state(std::make_shared<fake::State>())
    {
        CoInitialize(nullptr);
        state->devices = {fake::soundCard()};
        recorder = std::make_unique<WaveInRecorder>(std::make_unique<fake::Layer>(state));
        recorder->setGotDataHandler([this](std::int32_t bytes, std::span<const std::int16_t> buffer) {
            got.push_back({bytes, {buffer.begin(), buffer.begin() + bytes / 2}, buffer.size(), recorder->IsRecording()});
            if (onGot) onGot();
        });
    }
    ~Capture() override
    {
        recorder.reset();
        CoUninitialize();
    }

    // Samples numbered from `first`, enough for `bytes` bytes.
    static std::vector<std::int16_t> ramp(int first, std::size_t bytes)
    {
        std::vector<std::int16_t> s(bytes / 2);
        std::iota(s.begin(), s.end(), static_cast<std::int16_t>(first));
        return s;
    }
    void pump() { com::Apartment::current()->pump(); }

    std::shared_ptr<fake::State> state;
    std::unique_ptr<WaveInRecorder> recorder;
    std::vector<Delivery> got;
    std::function<void()> onGot;
};

TEST_F(Capture, DefaultsAreFiveBuffersOf10240Bytes)
{
    EXPECT_EQ(recorder->BufferCount(), 5);
    EXPECT_EQ(recorder->buffersize(), 10240);
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    ASSERT_NE(state->stream, nullptr);
    EXPECT_TRUE(state->stream->started());
    EXPECT_EQ(state->stream->lent(), 5u);
    EXPECT_EQ(state->stream->format().channels, 2);
    EXPECT_EQ(state->stream->format().samplesPerSec, 44100u);
    EXPECT_EQ(state->stream->format().blockAlign(), 4u);
    EXPECT_EQ(state->stream->format().avgBytesPerSec(), 176400u);
}

TEST_F(Capture, FilledBuffersArriveInOrderOnlyWhenTheOwnerPumps)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    state->stream->capture(ramp(0, 10240 * 2 + 100));
    EXPECT_TRUE(got.empty()); // not before the owner's own event processing
    EXPECT_EQ(state->stream->lent(), 3u);
    pump();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].bytes, 10240);
    EXPECT_EQ(got[0].bufferSamples, 5120u);
    EXPECT_EQ(got[0].samples.front(), 0);
    EXPECT_EQ(got[1].samples.front(), 5120);
    EXPECT_TRUE(got[1].recording);
    EXPECT_EQ(state->stream->lent(), 5u); // both lent again

    // Twelve more buffers go round the five twice over, still in order.
    state->stream->capture(ramp(10240 + 50, 10240 * 12 - 100));
    for (int i = 0; i < 12; ++i) pump();
    ASSERT_EQ(got.size(), 14u);
    for (std::size_t i = 1; i < got.size(); ++i)
        EXPECT_EQ(std::int16_t(got[i].samples.front() - got[i - 1].samples.front()), 5120) << i;
}

TEST_F(Capture, StopRecordRaisesWhatIsLeftInOrderThenIsIdle)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    state->stream->capture(ramp(0, 10240 * 2 + 400)); // two full, one part, none delivered yet
    ASSERT_TRUE(recorder->StopRecord());
    EXPECT_FALSE(recorder->IsRecording());
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].bytes, 400);
    EXPECT_EQ(got[2].samples.front(), 10240);
    EXPECT_FALSE(got[2].recording);
    EXPECT_EQ(state->stream, nullptr); // closed
    pump();
    EXPECT_EQ(got.size(), 3u); // the posted deliveries find nothing more
    EXPECT_TRUE(recorder->StopRecord());
}

TEST_F(Capture, StopRecordLendsBuffersUntilAudioWaitingInTheStreamIsRaised)
{
    recorder->BufferCount(2);
    recorder->buffersize(400);
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(8000, 1));
    state->stream->capture(ramp(0, 400 * 7 + 100)); // 2 buffers hold, 5.25 wait
    ASSERT_TRUE(recorder->StopRecord());
    ASSERT_EQ(got.size(), 8u);
    int total = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].samples.front(), std::int16_t(i * 200)) << i;
        total += got[i].bytes;
    }
    EXPECT_EQ(total, 400 * 7 + 100);
}

TEST_F(Capture, HandlerMayStopTheCapture)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    onGot = [this] {
        if (got.size() == 1) {
            EXPECT_TRUE(recorder->StopRecord());
        }
    };
    state->stream->capture(ramp(0, 10240 * 3));
    pump();
    ASSERT_EQ(got.size(), 3u); // the first, then the two StopRecord raised
    EXPECT_FALSE(recorder->IsRecording());
    EXPECT_EQ(state->stream, nullptr);
    EXPECT_EQ(got[2].samples.front(), std::int16_t(10240));
}

TEST_F(Capture, HandlerMayReplaceItself)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    int second = 0;
    recorder->setGotDataHandler([&](std::int32_t, std::span<const std::int16_t>) {
        recorder->setGotDataHandler([&](std::int32_t, std::span<const std::int16_t>) { ++second; });
    });
    state->stream->capture(ramp(0, 10240 * 2));
    pump();
    EXPECT_EQ(second, 1);
}

TEST_F(Capture, StartRecordRefusals)
{
    EXPECT_TRUE(recorder->StopRecord()); // idle
    EXPECT_FALSE(recorder->StartRecord(44100, 2)); // no device selected
    EXPECT_EQ(state->stream, nullptr);
    ASSERT_TRUE(recorder->SelectDevice(0));
    EXPECT_FALSE(recorder->StartRecord(0, 2));
    EXPECT_FALSE(recorder->StartRecord(44100, 0));
    EXPECT_FALSE(recorder->StartRecord(-44100, 2));
    recorder->BufferCount(0);
    EXPECT_FALSE(recorder->StartRecord(44100, 2));
    recorder->BufferCount(5);
    recorder->buffersize(3); // less than one stereo frame
    EXPECT_FALSE(recorder->StartRecord(44100, 2));
    recorder->buffersize(1 << 29);
    recorder->BufferCount(4); // 2 GiB
    EXPECT_FALSE(recorder->StartRecord(44100, 2));
    EXPECT_FALSE(recorder->IsRecording());
    EXPECT_EQ(state->streamsClosed, 0);

    state->streamOpens = false;
    recorder->BufferCount(5);
    recorder->buffersize(10240);
    EXPECT_FALSE(recorder->StartRecord(44100, 2));
    EXPECT_FALSE(recorder->IsRecording());

    state->streamOpens = true;
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    EXPECT_FALSE(recorder->StartRecord(44100, 2)); // already recording: the running one goes on
    EXPECT_TRUE(recorder->IsRecording());
    EXPECT_NE(state->stream, nullptr);
}

TEST_F(Capture, BufferSizeThatIsNotWholeFramesIsFilledToTheLastWholeFrame)
{
    recorder->buffersize(10241);
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    state->stream->capture(ramp(0, 10240));
    pump();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bytes, 10240);
    EXPECT_EQ(got[0].bufferSamples, 5120u);
}

TEST_F(Capture, DeviceLostMidCaptureRaisesWhatCameAndStopsCleanly)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    state->stream->capture(ramp(0, 10240 + 1000));
    state->stream->fail();
    pump();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].bytes, 1000);
    EXPECT_TRUE(recorder->IsRecording()); // until the owner stops it
    EXPECT_TRUE(recorder->StopRecord());
    EXPECT_EQ(got.size(), 2u);
}

TEST_F(Capture, DestructionStopsARunningCapture)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    state->stream->capture(ramp(0, 500));
    recorder->setGotDataHandler(nullptr);
    recorder.reset();
    EXPECT_EQ(state->stream, nullptr);
    EXPECT_EQ(state->streamsClosed, 1);
}

TEST_F(Capture, AThreadWithoutAnApartmentCannotOwnACaptureAndTheHookSaysSo)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    std::vector<HookError> errors;
    recorder->setHookErrorReporter([&](const HookError& e) { errors.push_back(e); });
    bool started = true;
    std::thread([&] { started = recorder->StartRecord(44100, 2); }).join();
    EXPECT_FALSE(started);
    EXPECT_FALSE(recorder->IsRecording());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].logText(), "WaveInRecorder.sc_Subclass: Invalid window handle");
    EXPECT_EQ(errors[0].boxTitle(), "Error in WaveInRecorder.sc_Subclass");
    EXPECT_EQ(errors[0].boxText(), "Invalid window handle.");
}

TEST_F(Capture, ClosedApartmentDeliversTheRestAtStopRecord)
{
    ASSERT_TRUE(recorder->SelectDevice(0));
    ASSERT_TRUE(recorder->StartRecord(44100, 2));
    CoUninitialize(); // the owner's event queue goes away while recording
    state->stream->capture(ramp(0, 10240 * 2));
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(recorder->StopRecord());
    EXPECT_EQ(got.size(), 2u);
    CoInitialize(nullptr);
}

} // namespace
