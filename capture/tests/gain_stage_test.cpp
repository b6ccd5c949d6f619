#include "capture/gain_stage.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace dxrecord;

namespace {

std::vector<std::int16_t> apply16(std::vector<std::int16_t> in, int channels, double gain, double balance)
{
    std::vector<std::int16_t> out(in.size());
    const SampleLayout layout{channels, 16, channels * 2};
    copyWithGain(reinterpret_cast<const std::uint8_t*>(in.data()), reinterpret_cast<std::uint8_t*>(out.data()),
                 in.size() * 2, layout, gainFactors(gain, balance, channels));
    return out;
}

std::vector<std::uint8_t> applyBytes(std::vector<std::uint8_t> in, const SampleLayout& layout, double gain)
{
    std::vector<std::uint8_t> out(in.size());
    copyWithGain(in.data(), out.data(), in.size(), layout, gainFactors(gain, 0.0, layout.channels));
    return out;
}

} // namespace

TEST(GainStage, FactorsFromGainAndBalance)
{
    auto f = gainFactors(1.0, -1.0, 2);
    EXPECT_DOUBLE_EQ(f.left, 2.0);
    EXPECT_DOUBLE_EQ(f.right, 0.0);
    f = gainFactors(0.5, 0.5, 1); // balance applies only with two or more channels
    EXPECT_DOUBLE_EQ(f.left, 0.5);
    EXPECT_TRUE(gainFactors(1.0, 0.5, 1).unity());
    EXPECT_FALSE(gainFactors(1.0, 0.5, 2).unity());
    EXPECT_DOUBLE_EQ(gainFactors(2.0, 0.5, 4).forChannel(3), 2.0);
}

TEST(GainStage, ScalesTruncatingTowardZeroAndSaturates)
{
    // Unity copies the bytes as they are.
    std::vector<std::int16_t> any = {-32768, 32767, 1, -1, 12345, -54};
    EXPECT_EQ(apply16(any, 2, 1.0, 0.0), any);
    EXPECT_EQ(apply16({-3, 7, 7, -3}, 2, 0.5, 0.0), (std::vector<std::int16_t>{-1, 3, 3, -1}));
    // Balance -0.5: left x1.5, right x0.5.
    EXPECT_EQ(apply16({100, 100}, 2, 1.0, -0.5), (std::vector<std::int16_t>{150, 50}));
    // Double gain saturates instead of wrapping.
    EXPECT_EQ(apply16({20000, -20000, 16383, -16384}, 2, 2.0, 0.0), (std::vector<std::int16_t>{32767, -32768, 32766, -32768}));
    EXPECT_EQ(apply16({1000}, 1, 1e9, 0.0), (std::vector<std::int16_t>{32767}));

    const SampleLayout mono8{1, 8, 1};
    EXPECT_EQ(applyBytes({0, 255, 128, 131, 125}, mono8, 0.5), (std::vector<std::uint8_t>{64, 191, 128, 129, 127}));
    EXPECT_EQ(applyBytes({0, 255, 200}, mono8, 3.0), (std::vector<std::uint8_t>{0, 255, 255}));

    // 24-bit: multiplied as value * 256, truncated, shifted back arithmetically.
    const SampleLayout mono24{1, 24, 3};
    EXPECT_EQ(applyBytes({0x10, 0x00, 0x00, 0xFF, 0xFF, 0xFF}, mono24, 0.5),
              (std::vector<std::uint8_t>{0x08, 0x00, 0x00, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(applyBytes({0x00, 0x00, 0x60, 0x00, 0x00, 0xA0}, mono24, 2.0),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80}));

    const SampleLayout mono32{1, 32, 4};
    std::int32_t big[2] = {0x60000000, -7};
    std::vector<std::uint8_t> in(8);
    std::memcpy(in.data(), big, 8);
    auto out = applyBytes(in, mono32, 2.0);
    std::int32_t got[2];
    std::memcpy(got, out.data(), 8);
    EXPECT_EQ(got[0], 2147483647);
    EXPECT_EQ(got[1], -14);

    // Sample sizes without arithmetic are copied unchanged.
    const SampleLayout odd{1, 12, 2};
    EXPECT_EQ(applyBytes({0x12, 0x34}, odd, 0.5), (std::vector<std::uint8_t>{0x12, 0x34}));
}
