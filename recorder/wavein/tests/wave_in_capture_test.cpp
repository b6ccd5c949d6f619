// Buffered capture from a real (private) sound server's pipe source.
#include "recorder/wavein/wave_in_recorder.h"

#include "platform/com/apartment.h"
#include "platform/testserver/pipe_source.h"
#include "platform/testserver/tone_analysis.h"

#include <gtest/gtest.h>

using namespace testsound;
using namespace std::chrono_literals;

namespace {

struct Got {
    std::int32_t bytes;
    std::vector<std::int16_t> buffer;
};

class ServerCapture : public ::testing::Test {
protected:
    ServerCapture()
    {
        CoInitialize(nullptr);
        recorder.setGotDataHandler([this](std::int32_t bytes, std::span<const std::int16_t> buffer) {
            got.push_back({bytes, {buffer.begin(), buffer.end()}});
        });
    }
    ~ServerCapture() override
    {
        recorder.StopRecord();
        CoUninitialize();
    }
    bool selectDevice(const std::string& name)
    {
        for (std::int32_t i = 0; i < recorder.DeviceCount(); ++i)
            if (recorder.DeviceName(i) == name) return recorder.SelectDevice(i);
        return false;
    }
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s)
    {
        return com::Apartment::current()->pumpUntil(done, timeout);
    }
    std::size_t bytesGot() const
    {
        std::size_t n = 0;
        for (auto& g : got) n += static_cast<std::size_t>(g.bytes);
        return n;
    }

    WaveInRecorder recorder;
    std::vector<Got> got;
};

TEST_F(ServerCapture, StereoToneWithDefaultsComesIn10240ByteBuffersCarryingTheTone)
{
    auto& server = SoundServer::shared();
    PipeSource src(server, "velmor_capture_tone", "Capture Tone Input", 44100, 2);
    ASSERT_TRUE(selectDevice("Capture Tone Input"));
    ASSERT_TRUE(recorder.StartRecord(44100, 2));
    EXPECT_TRUE(recorder.IsRecording());
    SignalWriter writer(src, Signal::sine({440, 1000}, 0.5), 0);
    writer.start(2560 * 8);
    ASSERT_TRUE(pumpUntil([&] { return got.size() >= 7; })) << got.size();
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].bytes, 10240) << i;
        ASSERT_EQ(got[i].buffer.size(), 5120u) << i; // about 58 ms of stereo audio
        EXPECT_NEAR(toneAmplitude(got[i].buffer, 2, 0, 440, 44100), 0.5, 0.05) << i;
        EXPECT_NEAR(toneAmplitude(got[i].buffer, 2, 1, 1000, 44100), 0.5, 0.05) << i;
        EXPECT_LT(toneAmplitude(got[i].buffer, 2, 0, 1000, 44100), 0.05) << i;
    }
    EXPECT_TRUE(recorder.StopRecord());
    EXPECT_FALSE(recorder.IsRecording());
}

// Faster than real time, through five buffers re-lent after each delivery:
// every frame arrives once, in order, the last part buffer at StopRecord.
TEST_F(ServerCapture, EveryFrameArrivesOnceInOrderIncludingTheTail)
{
    auto& server = SoundServer::shared();
    PipeSource src(server, "velmor_capture_counter", "Capture Counter Input", 44100, 2);
    ASSERT_TRUE(selectDevice("Capture Counter Input"));
    ASSERT_TRUE(recorder.StartRecord(44100, 2));
    const std::uint64_t frames = 2560 * 40 + 1000;
    SignalWriter writer(src, Signal::counter(2), 0);
    writer.start(frames);
    ASSERT_TRUE(writer.waitFinished(20));
    ASSERT_TRUE(pumpUntil([&] { return bytesGot() >= 2560 * 40 * 4; }));
    pumpUntil([] { return false; }, 300ms); // let the tail reach the stream
    EXPECT_TRUE(recorder.StopRecord());

    ASSERT_EQ(bytesGot(), frames * 4);
    EXPECT_EQ(got.back().bytes, 1000 * 4);
    std::uint32_t expected = 0;
    for (std::size_t i = 0; i < got.size(); ++i)
        for (std::int32_t f = 0; f < got[i].bytes / 4; ++f) {
            const auto* s = &got[i].buffer[2 * std::size_t(f)];
            const auto index = std::uint32_t(std::uint16_t(s[0])) | (std::uint32_t(std::uint16_t(s[1])) << 16);
            ASSERT_EQ(index, expected) << "buffer " << i << " frame " << f;
            ++expected;
        }
}

TEST_F(ServerCapture, WithoutASelectedDeviceStartRecordFailsAndStopRecordSucceeds)
{
    SoundServer::shared();
    EXPECT_TRUE(recorder.StopRecord());
    EXPECT_FALSE(recorder.StartRecord(44100, 2));
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_TRUE(recorder.StopRecord());
}

TEST_F(ServerCapture, MonoAtAnotherRateIsRecordedAsAsked)
{
    auto& server = SoundServer::shared();
    PipeSource src(server, "velmor_capture_mono", "Capture Mono Input", 44100, 2);
    ASSERT_TRUE(selectDevice("Capture Mono Input"));
    recorder.buffersize(1600); // 100 ms at 8000 Hz mono
    ASSERT_TRUE(recorder.StartRecord(8000, 1));
    SignalWriter writer(src, Signal::sine(400, 0.5, 2), 0);
    writer.start(44100);
    ASSERT_TRUE(pumpUntil([&] { return got.size() >= 5; }));
    for (auto& g : got) {
        ASSERT_EQ(g.bytes, 1600);
        EXPECT_NEAR(toneAmplitude(g.buffer, 1, 0, 400, 8000), 0.5, 0.08);
    }
}

TEST_F(ServerCapture, ServerKilledMidCaptureStopsCleanly)
{
    auto own = SoundServer::startPrivate();
    own->useInThisProcess();
    ASSERT_TRUE(selectDevice("Velmor Test Input"));
    ASSERT_TRUE(recorder.StartRecord(44100, 2));
    {
        SignalWriter writer(own->folder() + "/pipe.fifo", 44100, Signal::sine(1000, 0.5, 2), 0);
        writer.start(2560 * 3 + 500);
        ASSERT_TRUE(writer.waitFinished(10));
    }
    ASSERT_TRUE(pumpUntil([&] { return got.size() >= 3; }));
    pumpUntil([] { return false; }, 200ms);
    own->kill();
    pumpUntil([] { return false; }, 300ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(recorder.StopRecord());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(bytesGot(), (2560u * 3 + 500) * 4); // the tail came back when the stream failed
    SoundServer::shared().useInThisProcess();
}

} // namespace
