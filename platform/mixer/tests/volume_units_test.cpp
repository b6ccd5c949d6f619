#include "platform/mixer/volume_units.h"

#include <gtest/gtest.h>

namespace {

TEST(VolumeUnits, FullScaleIsTheServersHundredPercent)
{
    EXPECT_EQ(mixer::toPulseVolume(0), 0u);
    EXPECT_EQ(mixer::toPulseVolume(65535), 65536u);
    EXPECT_EQ(mixer::fromPulseVolume(0), 0u);
    EXPECT_EQ(mixer::fromPulseVolume(65536), 65535u);
    EXPECT_EQ(mixer::toPulseVolume(40000), 40001u);
    EXPECT_EQ(mixer::toPulseVolume(32767), 32767u);
    EXPECT_EQ(mixer::toPulseVolume(32768), 32769u);
}

TEST(VolumeUnits, EveryRawValueSurvivesTheRoundTrip)
{
    for (std::int64_t raw = 0; raw <= 65535; ++raw)
        ASSERT_EQ(mixer::fromPulseVolume(mixer::toPulseVolume(raw)), raw) << raw;
}

TEST(VolumeUnits, OutOfRangeValuesClamp)
{
    EXPECT_EQ(mixer::toPulseVolume(-1), 0u);
    EXPECT_EQ(mixer::toPulseVolume(70000), 65536u);
    EXPECT_EQ(mixer::fromPulseVolume(100000), 65535u); // amplified beyond 100 %
    EXPECT_EQ(mixer::fromPulseVolume(0xFFFFFFFFu), 65535u);
}

} // namespace
