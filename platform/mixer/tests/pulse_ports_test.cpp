#include "platform/mixer/pulse_ports.h"

#include "platform/mixer/mixer_layer.h"

#include <gtest/gtest.h>

using namespace mixer;

namespace {

pulse::SourceInfo cardWithPorts()
{
    pulse::SourceInfo s;
    s.name = "alsa_input.pci-0000_00_1b.0.analog-stereo";
    s.description = "Built-in Audio Analog Stereo";
    s.channels = 2;
    s.ports = {{"analog-input-mic", "Microphone", true},
               {"analog-input-linein", "Line In", true},
               {"analog-input-cd", "CD", false}};
    s.activePort = "analog-input-linein";
    return s;
}

TEST(PulsePorts, PortsAreTheLinesAndTheMultiplexerListsThemReversed)
{
    auto s = cardWithPorts();
    ASSERT_EQ(pulseports::lineCount(s), 3u);
    EXPECT_EQ(pulseports::lineName(s, 0), "Microphone");
    EXPECT_EQ(pulseports::lineName(s, 2), "CD");
    EXPECT_EQ(pulseports::lineName(s, 3), "");
    EXPECT_EQ(pulseports::lineComponentType(s, 0), component::kSrcMicrophone);
    EXPECT_EQ(pulseports::lineComponentType(s, 1), component::kSrcLine);
    EXPECT_EQ(pulseports::lineComponentType(s, 2), component::kSrcCompactDisc);

    // Line In is line 1 of 3: item 1. Microphone (line 0) becomes item 2.
    EXPECT_EQ(pulseports::multiplexerValues(s), (std::vector<std::uint32_t>{0, 1, 0}));
    s.activePort = "analog-input-mic";
    EXPECT_EQ(pulseports::multiplexerValues(s), (std::vector<std::uint32_t>{0, 0, 1}));
    EXPECT_EQ(pulseports::portForMultiplexer(s, {0, 0, 1}), "analog-input-mic");
    EXPECT_EQ(pulseports::portForMultiplexer(s, {1, 0, 0}), "analog-input-cd");
}

TEST(PulsePorts, MultiplexerValuesMustSelectExactlyOneListedItem)
{
    auto s = cardWithPorts();
    EXPECT_FALSE(pulseports::portForMultiplexer(s, {0, 0, 0}));
    EXPECT_FALSE(pulseports::portForMultiplexer(s, {1, 1, 0}));
    EXPECT_FALSE(pulseports::portForMultiplexer(s, {0, 0, 0, 1}));
    EXPECT_FALSE(pulseports::portForMultiplexer(s, {}));
    s.activePort.clear();
    EXPECT_EQ(pulseports::multiplexerValues(s), (std::vector<std::uint32_t>{0, 0, 0}));
}

TEST(PulsePorts, SourceWithoutPortsHasOneLineNamedAfterItAlwaysSelected)
{
    pulse::SourceInfo s;
    s.name = "velmor_pipe";
    s.description = "Velmor Test Input";
    EXPECT_EQ(pulseports::lineCount(s), 1u);
    EXPECT_EQ(pulseports::lineName(s, 0), "Velmor Test Input");
    EXPECT_EQ(pulseports::lineName(s, 1), "");
    EXPECT_EQ(pulseports::lineComponentType(s, 0), component::kSrcUndefined);
    EXPECT_EQ(pulseports::multiplexerValues(s), (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(pulseports::portForMultiplexer(s, {1}), "");
    EXPECT_FALSE(pulseports::portForMultiplexer(s, {0}));
    s.monitor = true;
    EXPECT_EQ(pulseports::lineComponentType(s, 0), component::kSrcWaveOut);
}

TEST(PulsePorts, ComponentTypesFollowTheServersPortNames)
{
    auto type = [](const char* name) { return pulseports::componentTypeOfPort({name, "", true}); };
    EXPECT_EQ(type("analog-input-headset-mic"), component::kSrcMicrophone);
    EXPECT_EQ(type("analog-input-headphone-mic"), component::kSrcMicrophone);
    EXPECT_EQ(type("analog-input-internal-mic"), component::kSrcMicrophone);
    EXPECT_EQ(type("headset-input"), component::kSrcMicrophone);
    EXPECT_EQ(type("analog-input-aux"), component::kSrcAuxiliary);
    EXPECT_EQ(type("analog-input-video"), component::kSrcAuxiliary);
    EXPECT_EQ(type("iec958-stereo-input"), component::kSrcDigital);
    EXPECT_EQ(type("analog-input"), component::kSrcAnalog);
    EXPECT_EQ(type("something-else"), component::kSrcUndefined);
}

TEST(PulsePorts, PortWithoutDescriptionIsNamedByItsName)
{
    pulse::SourceInfo s;
    s.ports = {{"analog-input-mic", "", true}};
    EXPECT_EQ(pulseports::lineName(s, 0), "analog-input-mic");
}

} // namespace
