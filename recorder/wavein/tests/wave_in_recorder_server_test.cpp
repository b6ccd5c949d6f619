// Devices, lines and volume on a real (private) sound server.
#include "recorder/wavein/wave_in_recorder.h"

#include "platform/mixer/volume_units.h"
#include "platform/pulse/source_queries.h"
#include "platform/testserver/pipe_source.h"

#include <gtest/gtest.h>

using namespace testsound;

namespace {

std::int32_t deviceNamed(WaveInRecorder& r, const std::string& name)
{
    for (std::int32_t i = 0; i < r.DeviceCount(); ++i)
        if (r.DeviceName(i) == name) return i;
    return -1;
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A null sink of the test's own: its monitor is a capture device too.
class NullSink {
public:
    NullSink(const SoundServer& server, const std::string& name, const std::string& description) : server_(server)
    {
        std::string out = server.pactl("load-module module-null-sink sink_name=" + name +
                                       " \"sink_properties='device.description=\\\"" + description + "\\\"'\"");
        module_ = out.empty() ? -1 : std::stol(out);
    }
    ~NullSink()
    {
        if (module_ >= 0) server_.pactl("unload-module " + std::to_string(module_));
    }
    bool loaded() const { return module_ >= 0; }

private:
    const SoundServer& server_;
    long module_;
};

TEST(WaveInRecorderServer, DevicesAreTheSourcesInCaptureOrderNamedByDescription)
{
    auto& server = SoundServer::shared();
    PipeSource line(server, "velmor_wavein_line", "Velmor Line Input", 48000, 2);
    NullSink sink(server, "velmor_wavein_sink", "Velmor Second Output");
    ASSERT_TRUE(sink.loaded());
    WaveInRecorder recorder;
    auto connection = pulse::ServerConnection::shared();
    auto sources = pulse::sources(*connection);
    ASSERT_TRUE(sources);
    ASSERT_EQ(recorder.DeviceCount(), std::int32_t(sources->size()));
    for (std::int32_t i = 0; i < recorder.DeviceCount(); ++i)
        EXPECT_EQ(recorder.DeviceName(i), (*sources)[i].description) << i;

    const auto input = deviceNamed(recorder, "Velmor Line Input");
    const auto monitor = deviceNamed(recorder, "Monitor of Velmor Second Output");
    ASSERT_GE(input, 0);
    ASSERT_GE(monitor, 0);
    EXPECT_LT(input, monitor); // inputs before monitors, as the capture control lists them
    EXPECT_LT(deviceNamed(recorder, "Velmor Test Input"), deviceNamed(recorder, "Monitor of Velmor Null Output"));
    EXPECT_EQ(recorder.DeviceName(recorder.DeviceCount()), "");
}

TEST(WaveInRecorderServer, SelectDeviceInAndOutOfRange)
{
    auto& server = SoundServer::shared();
    PipeSource line(server, "velmor_wavein_select", "Velmor Select Input");
    WaveInRecorder recorder;
    const auto device = deviceNamed(recorder, "Velmor Select Input");
    ASSERT_GE(device, 0);
    ASSERT_TRUE(recorder.SelectDevice(device));
    EXPECT_EQ(recorder.SelectedDevice(), device);
    EXPECT_FALSE(recorder.SelectDevice(recorder.DeviceCount()));
    EXPECT_FALSE(recorder.SelectDevice(-1));
    EXPECT_EQ(recorder.SelectedDevice(), device);

    // A source without ports: one line, named after it, always the recorded one.
    ASSERT_EQ(recorder.MixerLineCount(), 1);
    EXPECT_EQ(recorder.MixerLineName(0), "Velmor Select Input");
    EXPECT_EQ(recorder.SelectedMixerLine(), 0);
    EXPECT_TRUE(recorder.SelectMixerLine(0));
    EXPECT_FALSE(recorder.SelectMixerLine(1));
    EXPECT_EQ(recorder.MixerLineType(-1), std::int32_t(mixer::component::kSrcUndefined));

    const auto monitor = deviceNamed(recorder, "Monitor of Velmor Null Output");
    ASSERT_TRUE(recorder.SelectDevice(monitor));
    EXPECT_EQ(recorder.MixerLineName(0), "Monitor of Velmor Null Output");
    EXPECT_EQ(recorder.MixerLineType(0), std::int32_t(mixer::component::kSrcWaveOut));
}

TEST(WaveInRecorderServer, VolumeIsSetOnBothChannelsAndSeenByOtherPrograms)
{
    auto& server = SoundServer::shared();
    PipeSource stereo(server, "velmor_wavein_volume", "Velmor Volume Input", 44100, 2);
    WaveInRecorder recorder;
    ASSERT_TRUE(recorder.SelectDevice(deviceNamed(recorder, "Velmor Volume Input")));
    recorder.MixerLineVolume(40000);
    EXPECT_EQ(recorder.MixerLineVolume(), 40000);
    auto shown = server.pactl("get-source-volume velmor_wavein_volume");
    EXPECT_EQ(count(shown, std::to_string(mixer::toPulseVolume(40000)) + " /"), 2u) << shown;

    recorder.MixerLineVolume(65535);
    EXPECT_NE(server.pactl("get-source-volume velmor_wavein_volume").find("65536 / 100%"), std::string::npos);

    // Changed by another program: seen at the next read.
    server.pactl("set-source-volume velmor_wavein_volume 16384");
    EXPECT_EQ(recorder.MixerLineVolume(), mixer::fromPulseVolume(16384));
}

TEST(WaveInRecorderServer, KilledServerAnswersZeroEmptyAndFalseWithoutHanging)
{
    auto own = SoundServer::startPrivate();
    own->useInThisProcess();
    {
        WaveInRecorder recorder;
        ASSERT_GT(recorder.DeviceCount(), 0);
        ASSERT_TRUE(recorder.SelectDevice(0));
        ASSERT_EQ(recorder.MixerLineCount(), 1);
        own->kill();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(recorder.DeviceCount(), 0);
        EXPECT_EQ(recorder.DeviceName(0), "");
        EXPECT_FALSE(recorder.SelectDevice(0));
        EXPECT_EQ(recorder.MixerLineCount(), 0);
        EXPECT_EQ(recorder.MixerLineName(0), "");
        EXPECT_FALSE(recorder.SelectMixerLine(0));
        EXPECT_EQ(recorder.MixerLineVolume(), 0);
        recorder.MixerLineVolume(30000);
        EXPECT_EQ(recorder.MixerLineType(0), 0);
        EXPECT_FALSE(recorder.StartRecord(44100, 2));
        EXPECT_TRUE(recorder.StopRecord());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    SoundServer::shared().useInThisProcess();
}

} // namespace
