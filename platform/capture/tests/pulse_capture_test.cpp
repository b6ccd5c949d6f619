// The PulseAudio capture layer against the private test server.

#include "platform/capture/pulse_capture.h"
#include "platform/testserver/pipe_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

using namespace capture;
using namespace std::chrono_literals;

namespace {

int indexOfDescription(const std::vector<CaptureDeviceInfo>& devices, const std::string& description)
{
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].description == description) return static_cast<int>(i);
    return -1;
}

std::unique_ptr<CaptureBuffer> openBuffer(CaptureSystem& system, const std::string& sourceName, std::uint32_t bytes,
                                          const WaveFormat& format = WaveFormat::extensiblePcm(44100, 2, 16))
{
    DeviceId id = sourceDeviceId(sourceName);
    auto device = system.open(&id);
    if (!device) return nullptr;
    return device->createBuffer(format, bytes);
}

// Takes everything the buffer has captured since `taken` into `out`.
void drainInto(CaptureBuffer& buffer, std::uint64_t& taken, std::vector<std::uint8_t>& out)
{
    CapturePositions p;
    ASSERT_TRUE(buffer.getCurrentPosition(p));
    ASSERT_LE(p.total - taken, buffer.size()) << "the reader fell a whole ring behind";
    while (taken < p.total) {
        const auto offset = static_cast<std::uint32_t>(taken % buffer.size());
        const auto want = static_cast<std::uint32_t>(p.total - taken);
        std::uint8_t *a = nullptr, *b = nullptr;
        std::uint32_t na = 0, nb = 0;
        ASSERT_TRUE(buffer.lock(offset, want, &a, &na, &b, &nb));
        out.insert(out.end(), a, a + na);
        if (nb) out.insert(out.end(), b, b + nb);
        ASSERT_TRUE(buffer.unlock(a, na, b, nb));
        taken += na + nb;
    }
}

} // namespace

TEST(PulseCapture, ListsTheDefaultDeviceThenEverySourceWithInputsBeforeMonitors)
{
    auto& server = testsound::SoundServer::shared();
    testsound::PipeSource source(server, "velmor_capture_enum", "Capture Enumeration Input");
    auto system = makePulseCaptureSystem();
    auto devices = system->enumerate();
    ASSERT_GE(devices.size(), 4u);
    EXPECT_EQ(devices[0].description, kDefaultDeviceDescription);
    EXPECT_FALSE(devices[0].id);

    const int pipe = indexOfDescription(devices, "Velmor Test Input");
    const int ours = indexOfDescription(devices, "Capture Enumeration Input");
    const int monitor = indexOfDescription(devices, "Monitor of Velmor Null Output");
    ASSERT_GT(pipe, 0);
    ASSERT_GT(ours, 0);
    ASSERT_GT(monitor, 0);
    EXPECT_LT(pipe, monitor);
    EXPECT_LT(ours, monitor);
    ASSERT_TRUE(devices[ours].id);
    EXPECT_EQ(*devices[ours].id, sourceDeviceId("velmor_capture_enum"));
    EXPECT_EQ(devices[ours].sourceName, "velmor_capture_enum");
    EXPECT_EQ(devices[0].sourceName, "");
    for (std::size_t i = 1; i < devices.size(); ++i)
        for (std::size_t j = i + 1; j < devices.size(); ++j) EXPECT_NE(devices[i].id, devices[j].id);

    DeviceId unknown = sourceDeviceId("no_such_source");
    EXPECT_EQ(system->open(&unknown), nullptr);
}

TEST(PulseCapture, RefusesFormatsAndSizesItCannotCapture)
{
    auto& server = testsound::SoundServer::shared();
    testsound::PipeSource source(server, "velmor_capture_formats", "Capture Formats Input");
    auto system = makePulseCaptureSystem();
    DeviceId id = sourceDeviceId(source.name());
    auto device = system->open(&id);
    ASSERT_TRUE(device);
    EXPECT_FALSE(device->createBuffer(WaveFormat::extensiblePcm(44100, 2, 12), 44100 * 3));
    EXPECT_FALSE(device->createBuffer(WaveFormat::extensiblePcm(44100, 0, 16), 4000));
    EXPECT_FALSE(device->createBuffer(WaveFormat::extensiblePcm(0, 2, 16), 4000));
    EXPECT_FALSE(device->createBuffer(WaveFormat::extensiblePcm(44100, 2, 16), 4002)); // not whole frames
    EXPECT_FALSE(device->createBuffer(WaveFormat::extensiblePcm(44100, 2, 16), kMaxBufferBytes + 1));
    EXPECT_TRUE(device->createBuffer(WaveFormat::extensiblePcm(44100, 2, 16), 4000));
}

TEST(PulseCapture, LoopsRoundTheRingWithoutLosingFramesAndSignalsItsPositions)
{
    auto& server = testsound::SoundServer::shared();
    testsound::PipeSource source(server, "velmor_capture_ring", "Capture Ring Input");
    auto system = makePulseCaptureSystem();
    const std::uint32_t ring = 176400; // one second
    auto buffer = openBuffer(*system, source.name(), ring);
    ASSERT_TRUE(buffer);
    auto event = std::make_shared<CaptureEvent>();
    std::vector<NotificationPosition> positions;
    for (std::uint32_t i = 1; i <= 10; ++i) positions.push_back({17640 * i - 1, event});
    ASSERT_TRUE(buffer->setNotificationPositions(positions));
    ASSERT_TRUE(buffer->start());
    EXPECT_TRUE(buffer->capturing());
    EXPECT_FALSE(buffer->setNotificationPositions(positions)); // only while stopped

    const std::uint64_t frames = 3 * 44100;
    testsound::SignalWriter writer(source, testsound::Signal::counter(2), 6.0);
    writer.start(frames);
    std::vector<std::uint8_t> captured;
    std::uint64_t taken = 0;
    int wakeups = 0;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (captured.size() < frames * 4 && std::chrono::steady_clock::now() < deadline) {
        if (waitForAny({event.get()}, 200ms) == 0) ++wakeups;
        drainInto(*buffer, taken, captured);
        if (HasFatalFailure()) return;
        CapturePositions p;
        buffer->getCurrentPosition(p);
        EXPECT_EQ(p.capture % 4, 0u);
        EXPECT_EQ(p.capture, p.total % ring);
    }
    buffer->stop();
    ASSERT_EQ(captured.size(), frames * 4);
    // Notifications every tenth of a second of audio, merged while the reader is busy.
    EXPECT_GE(wakeups, 5);
    EXPECT_LE(wakeups, 31);

    std::vector<std::int16_t> samples(captured.size() / 2);
    std::memcpy(samples.data(), captured.data(), captured.size());
    for (std::uint64_t f = 0; f < frames; ++f) {
        const std::uint32_t value = std::uint16_t(samples[2 * f]) | (std::uint32_t(std::uint16_t(samples[2 * f + 1])) << 16);
        ASSERT_EQ(value, f) << "frame " << f;
    }
}

TEST(PulseCapture, AVanishedSourceEndsTheCaptureAndKeepsWhatCame)
{
    auto& server = testsound::SoundServer::shared();
    auto source = std::make_unique<testsound::PipeSource>(server, "velmor_capture_vanish", "Capture Vanishing Input");
    auto system = makePulseCaptureSystem();
    auto buffer = openBuffer(*system, source->name(), 176400);
    ASSERT_TRUE(buffer);
    auto event = std::make_shared<CaptureEvent>();
    ASSERT_TRUE(buffer->setNotificationPositions({{176399, event}}));
    ASSERT_TRUE(buffer->start());
    {
        testsound::SignalWriter writer(*source, testsound::Signal::sine(1000, 0.5, 2), 0);
        writer.start(4410);
        ASSERT_TRUE(writer.waitFinished(5));
    }
    CapturePositions before;
    for (int i = 0; i < 200 && (buffer->getCurrentPosition(before), before.total < 4410 * 4); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(before.total, 4410u * 4);

    source.reset(); // unloads the module
    EXPECT_EQ(waitForAny({event.get()}, 5s), 0) << "the waiter is woken when the device goes";
    EXPECT_FALSE(buffer->capturing());
    CapturePositions after;
    ASSERT_TRUE(buffer->getCurrentPosition(after));
    EXPECT_EQ(after.total, before.total);
    EXPECT_TRUE(buffer->stop());
    EXPECT_FALSE(buffer->start());
}

TEST(PulseCapture, AKilledServerEndsTheCaptureWithoutHanging)
{
    auto own = testsound::SoundServer::startPrivate();
    own->useInThisProcess();
    {
        testsound::PipeSource source(*own, "velmor_capture_killed", "Capture Killed Input");
        auto system = makePulseCaptureSystem();
        auto buffer = openBuffer(*system, source.name(), 176400);
        ASSERT_TRUE(buffer);
        auto event = std::make_shared<CaptureEvent>();
        ASSERT_TRUE(buffer->setNotificationPositions({{17639, event}}));
        ASSERT_TRUE(buffer->start());
        own->kill();
        EXPECT_EQ(waitForAny({event.get()}, 5s), 0);
        EXPECT_FALSE(buffer->capturing());
        EXPECT_TRUE(buffer->stop());
        buffer.reset();
        // Nothing answers now: no devices and no device to open.
        EXPECT_TRUE(system->enumerate().empty());
        EXPECT_EQ(system->open(nullptr), nullptr);
    }
    testsound::SoundServer::shared().useInThisProcess();
}
