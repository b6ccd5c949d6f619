#include "platform/mixer/pulse_mixer_layer.h"

#include "platform/mixer/volume_units.h"
#include "platform/pulse/source_queries.h"
#include "platform/testserver/pipe_source.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace mixer;
using namespace testsound;

namespace {

std::optional<std::uint32_t> deviceOf(MixerLayer& layer, const std::string& description)
{
    for (std::uint32_t i = 0; i < layer.deviceCount(); ++i)
        if (layer.deviceName(i) == description) return i;
    return std::nullopt;
}

TEST(PulseMixerLayer, DevicesAreTheSourcesInCaptureOrderByDescription)
{
    auto& server = SoundServer::shared();
    PipeSource extra(server, "velmor_mixer_list", "Mixer List Input", 48000, 1);
    PulseMixerLayer layer;
    auto connection = pulse::ServerConnection::shared();
    auto sources = pulse::sources(*connection);
    ASSERT_TRUE(sources);
    ASSERT_EQ(layer.deviceCount(), sources->size());
    for (std::uint32_t i = 0; i < sources->size(); ++i) EXPECT_EQ(layer.deviceName(i), (*sources)[i].description);
    EXPECT_EQ(layer.deviceName(layer.deviceCount() - 1), "Monitor of Velmor Null Output");
    EXPECT_FALSE(layer.deviceName(layer.deviceCount()));
    EXPECT_EQ(layer.openMixer(layer.deviceCount()), nullptr);
}

TEST(PulseMixerLayer, SourcesPluggedInOrRemovedShowAtTheNextCall)
{
    auto& server = SoundServer::shared();
    PulseMixerLayer layer;
    const auto before = layer.deviceCount();
    {
        PipeSource plugged(server, "velmor_mixer_plug", "Plugged Input");
        EXPECT_EQ(layer.deviceCount(), before + 1);
        EXPECT_TRUE(deviceOf(layer, "Plugged Input"));
    }
    EXPECT_EQ(layer.deviceCount(), before);
    EXPECT_FALSE(deviceOf(layer, "Plugged Input"));
}

TEST(PulseMixerLayer, SourceWithoutPortsHasOneRecordingDestinationWithOneLine)
{
    auto& server = SoundServer::shared();
    PipeSource src(server, "velmor_mixer_lines", "Mixer Lines Input");
    PulseMixerLayer layer;
    auto device = deviceOf(layer, "Mixer Lines Input");
    ASSERT_TRUE(device);
    auto m = layer.openMixer(*device);
    ASSERT_NE(m, nullptr);

    EXPECT_EQ(m->destinationCount(), 1u);
    auto dest = m->destinationLine(0);
    ASSERT_TRUE(dest);
    EXPECT_EQ(dest->componentType, component::kDstWaveIn);
    EXPECT_EQ(dest->connections, 1u);
    EXPECT_EQ(dest->channels, 2u);
    EXPECT_FALSE(m->destinationLine(1));
    auto byType = m->lineByComponentType(component::kDstWaveIn);
    ASSERT_TRUE(byType);
    EXPECT_EQ(byType->lineId, dest->lineId);

    auto line = m->sourceLine(0, 0);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->name, "Mixer Lines Input");
    EXPECT_FALSE(m->sourceLine(0, 1));

    auto mux = m->lineControl(dest->lineId, control::kMultiplexer);
    ASSERT_TRUE(mux);
    EXPECT_EQ(mux->items, 1u);
    EXPECT_EQ(m->controlValues(*mux, 1), (std::vector<std::uint32_t>{1}));
    EXPECT_TRUE(m->setControlValues(*mux, {1}));
    EXPECT_FALSE(m->setControlValues(*mux, {0}));
    EXPECT_FALSE(m->lineControl(dest->lineId, control::kVolume));
    EXPECT_FALSE(m->lineControl(line->lineId, control::kMultiplexer));
}

TEST(PulseMixerLayer, VolumeIsTheSourceVolumeInRawUnitsBothWays)
{
    auto& server = SoundServer::shared();
    PipeSource src(server, "velmor_mixer_volume", "Mixer Volume Input");
    PulseMixerLayer layer;
    auto m = layer.openMixer(*deviceOf(layer, "Mixer Volume Input"));
    ASSERT_NE(m, nullptr);
    auto line = m->sourceLine(0, 0);
    ASSERT_TRUE(line);
    auto volume = m->lineControl(line->lineId, control::kVolume);
    ASSERT_TRUE(volume);

    ASSERT_TRUE(m->setControlValues(*volume, {40000, 20000}));
    EXPECT_EQ(m->controlValues(*volume, 2), (std::vector<std::uint32_t>{40000, 20000}));
    auto shown = server.pactl("get-source-volume velmor_mixer_volume");
    EXPECT_NE(shown.find(std::to_string(toPulseVolume(40000))), std::string::npos) << shown;
    EXPECT_NE(shown.find(std::to_string(toPulseVolume(20000))), std::string::npos) << shown;

    // Another program's change is seen at the next read.
    server.pactl("set-source-volume velmor_mixer_volume 65536");
    EXPECT_EQ(m->controlValues(*volume, 2), (std::vector<std::uint32_t>{65535, 65535}));
    server.pactl("set-source-volume velmor_mixer_volume 98304"); // 150 %
    EXPECT_EQ(m->controlValues(*volume, 1), (std::vector<std::uint32_t>{65535}));
}

TEST(PulseMixerLayer, MixerStaysOnItsSourceWhenTheListChanges)
{
    auto& server = SoundServer::shared();
    PulseMixerLayer layer;
    auto monitor = deviceOf(layer, "Monitor of Velmor Null Output");
    ASSERT_TRUE(monitor);
    auto m = layer.openMixer(*monitor);
    ASSERT_NE(m, nullptr);
    PipeSource before(server, "velmor_mixer_shift", "Shifting Input"); // an input: listed before the monitors
    EXPECT_EQ(layer.deviceName(*monitor), "Shifting Input");
    auto dest = m->destinationLine(0);
    ASSERT_TRUE(dest);
    EXPECT_EQ(dest->name, "Monitor of Velmor Null Output");
    EXPECT_EQ(m->sourceLine(0, 0)->componentType, component::kSrcWaveOut);
}

TEST(PulseMixerLayer, VanishedSourceFailsEveryCall)
{
    auto& server = SoundServer::shared();
    PulseMixerLayer layer;
    auto src = std::make_unique<PipeSource>(server, "velmor_mixer_gone", "Vanishing Input");
    auto m = layer.openMixer(*deviceOf(layer, "Vanishing Input"));
    ASSERT_NE(m, nullptr);
    auto line = m->sourceLine(0, 0);
    auto volume = m->lineControl(line->lineId, control::kVolume);
    ASSERT_TRUE(volume);
    src.reset();
    EXPECT_FALSE(m->destinationCount());
    EXPECT_FALSE(m->destinationLine(0));
    EXPECT_FALSE(m->sourceLine(0, 0));
    EXPECT_FALSE(m->controlValues(*volume, 2));
    EXPECT_FALSE(m->setControlValues(*volume, {1000}));
}

// Ports need a sound card; the fixture's server has none. On a server that
// has one, switching the active port through the multiplexer is exercised.
TEST(PulseMixerLayer, MultiplexerSwitchesTheActivePortWhenASourceHasPorts)
{
    SoundServer::shared();
    auto connection = pulse::ServerConnection::shared();
    auto sources = pulse::sources(*connection);
    ASSERT_TRUE(sources);
    std::optional<std::uint32_t> device;
    for (std::uint32_t i = 0; i < sources->size(); ++i)
        if ((*sources)[i].ports.size() >= 2) device = i;
    if (!device) GTEST_SKIP() << "no source with two or more ports";

    PulseMixerLayer layer;
    auto m = layer.openMixer(*device);
    ASSERT_NE(m, nullptr);
    auto dest = m->destinationLine(0);
    auto mux = m->lineControl(dest->lineId, control::kMultiplexer);
    ASSERT_TRUE(mux);
    const std::string original = (*sources)[*device].activePort;
    const auto& ports = (*sources)[*device].ports;
    std::vector<std::uint32_t> values(mux->items, 0);
    values[mux->items - 1] = 1; // line 0
    ASSERT_TRUE(m->setControlValues(*mux, values));
    EXPECT_EQ(pulse::source(*connection, (*sources)[*device].name)->activePort, ports[0].name);
    EXPECT_EQ(m->controlValues(*mux, 1), values);
    pulse::setSourcePort(*connection, (*sources)[*device].name, original);
}

TEST(PulseMixerLayer, KilledServerGivesNoDevicesWithinTheTimeOut)
{
    auto own = SoundServer::startPrivate();
    own->useInThisProcess();
    PulseMixerLayer layer(std::chrono::milliseconds(500));
    ASSERT_GT(layer.deviceCount(), 0u);
    auto m = layer.openMixer(0);
    ASSERT_NE(m, nullptr);
    own->kill();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(layer.deviceCount(), 0u);
    EXPECT_FALSE(layer.deviceName(0));
    EXPECT_EQ(layer.openMixer(0), nullptr);
    EXPECT_FALSE(m->destinationCount());
    EXPECT_FALSE(m->lineByComponentType(component::kDstWaveIn));
    EXPECT_EQ(m->openRecord(WaveFormat{}, [](WaveBuffer&) {}), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // A server that comes back is found again.
    auto next = SoundServer::startPrivate();
    next->useInThisProcess();
    EXPECT_GT(layer.deviceCount(), 0u);
    SoundServer::shared().useInThisProcess();
}

} // namespace
