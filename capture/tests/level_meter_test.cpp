#include "capture/level_meter.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace dxrecord;

namespace {

std::vector<std::uint8_t> stereo16(const std::vector<std::pair<std::int16_t, std::int16_t>>& frames)
{
    std::vector<std::uint8_t> out(frames.size() * 4);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        std::memcpy(&out[4 * i], &frames[i].first, 2);
        std::memcpy(&out[4 * i + 2], &frames[i].second, 2);
    }
    return out;
}

// The reported level of each channel over the whole buffer.
std::vector<int> levels(const std::vector<std::uint8_t>& ring, const SampleLayout& layout, int wordSize)
{
    auto peaks = channelPeaks(ring.data(), std::uint32_t(ring.size()), 0, std::uint32_t(ring.size()), layout);
    std::vector<int> out;
    for (auto p : peaks) out.push_back(rawLevel(p, layout.bitsPerSample, wordSize) - levelOffset(wordSize));
    return out;
}

} // namespace

TEST(LevelMeter, SixteenBitPeaksGiveDecibelsBelowFullScale)
{
    const SampleLayout stereo{2, 16, 4};
    auto ring = stereo16({{32767, 16384}, {-100, -1}, {5, 0}});
    EXPECT_EQ(levels(ring, stereo, 2), (std::vector<int>{0, -6}));
    EXPECT_EQ(levels(stereo16({{100, 0}, {-99, 1}}), stereo, 2), (std::vector<int>{-50, -90}));
    // The most negative sample is a full-scale peak too.
    EXPECT_EQ(levels(stereo16({{-32768, 0}}), stereo, 2), (std::vector<int>{0, -90}));
    // Level word size 1: shifted right by 8 bits, offset 42.
    EXPECT_EQ(levels(stereo16({{32767, 0}}), stereo, 1), (std::vector<int>{0, -42}));
    EXPECT_EQ(levelOffset(1), 42);
    EXPECT_EQ(levelOffset(2), 90);
    EXPECT_EQ(levelOffset(3), 138);
}

TEST(LevelMeter, EightBitAndMonoAndOtherSampleSizes)
{
    const SampleLayout mono8{1, 8, 1};
    EXPECT_EQ(levels({0, 255, 128}, mono8, 2), (std::vector<int>{0}));
    EXPECT_EQ(levels({128, 128, 128}, mono8, 2), (std::vector<int>{-90}));

    const SampleLayout mono24{1, 24, 3};
    EXPECT_EQ(levels({0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F}, mono24, 3), (std::vector<int>{0})); // -8388608
    EXPECT_EQ(channelPeaks(std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}.data(), 3, 0, 3, mono24)[0], 1);

    const SampleLayout mono32{1, 32, 4};
    std::vector<std::uint8_t> min32 = {0x00, 0x00, 0x00, 0x80};
    EXPECT_EQ(channelPeaks(min32.data(), 4, 0, 4, mono32)[0], 2147483648LL);

    const SampleLayout odd{1, 12, 2};
    EXPECT_EQ(channelPeaks(std::vector<std::uint8_t>{0xFF, 0x7F}.data(), 2, 0, 2, odd)[0], 0);
}

TEST(LevelMeter, WindowEndsAtTheCapturePositionAndWrapsRoundTheRing)
{
    const SampleLayout stereo{2, 16, 4};
    // Frames 0..9; the loud frames sit at the ring's end and start.
    std::vector<std::pair<std::int16_t, std::int16_t>> frames(10, {0, 0});
    frames[9] = {1000, 0};
    frames[0] = {0, 2000};
    frames[5] = {30000, 30000};
    auto ring = stereo16(frames);
    // Capture position at frame 2: the window of 3 frames is 9, 0, 1.
    auto peaks = channelPeaks(ring.data(), 40, 8, 12, stereo);
    EXPECT_EQ(peaks, (std::vector<std::int64_t>{1000, 2000}));
    // A window starting exactly at the ring's start.
    EXPECT_EQ(channelPeaks(ring.data(), 40, 12, 12, stereo), (std::vector<std::int64_t>{0, 2000}));

    EXPECT_EQ(levelWindowBytes(176400, 20, 1764000, 4), 3528u);
    EXPECT_EQ(levelWindowBytes(176400, 5000, 1764000, 4), 176400u); // at most a tenth of the ring
    EXPECT_EQ(levelWindowBytes(44100 * 3, 20, 1323000, 3), 2646u);   // whole frames
    EXPECT_EQ(levelWindowBytes(176400, -5, 1764000, 4), 0u);
}
