// The capture arrays' header checks.

#include "recorder/components/audio_array.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

TEST(AudioArray, ParsesTheCaptureControlsLayout)
{
    const auto bytes = testaudio::captureArray(48000, 2, std::vector<std::int16_t>(200, 7));
    std::string why;
    const auto view = recorder::parseAudioArray(bytes, why);
    ASSERT_TRUE(view) << why;
    EXPECT_EQ(view->sampleRate, 48000);
    EXPECT_EQ(view->channels, 2);
    EXPECT_EQ(view->frames(), 100u);
    auto safe = recorder::makeAudioArray(48000, 2, view->pcm);
    ASSERT_EQ(safe.size(), bytes.size());
    EXPECT_EQ(std::memcmp(safe.data<std::uint8_t>(), bytes.data(), bytes.size()), 0);
    EXPECT_EQ(recorder::bytesOf(safe.get()).size(), bytes.size());
}

TEST(AudioArray, RefusesDamagedHeadersAndKeepsOnlyWholeFrames)
{
    auto bytes = testaudio::captureArray(44100, 2, std::vector<std::int16_t>(10, 1));
    bytes.push_back(0); // a partial frame
    std::string why;
    auto view = recorder::parseAudioArray(bytes, why);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->pcm.size(), 20u);
    auto eightBit = bytes;
    eightBit[14] = 8;
    EXPECT_FALSE(recorder::parseAudioArray(eightBit, why));
    auto wrongAlign = bytes;
    wrongAlign[12] = 3;
    EXPECT_FALSE(recorder::parseAudioArray(wrongAlign, why));
    auto notPcm = bytes;
    notPcm[24] = 3; // IEEE float sub-format
    EXPECT_FALSE(recorder::parseAudioArray(notPcm, why));
    EXPECT_FALSE(recorder::parseAudioArray(std::span(bytes).first(39), why));
    EXPECT_TRUE(recorder::parseAudioArray({}, why));
    // Random headers never pass unchecked values on.
    std::mt19937 rng(5);
    for (int i = 0; i < 2000; ++i) {
        auto junk = bytes;
        for (int k = 0; k < 40; ++k)
            if (rng() % 4 == 0) junk[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(rng());
        if (auto v = recorder::parseAudioArray(junk, why)) {
            EXPECT_GE(v->channels, 1);
            EXPECT_LE(v->pcm.size(), junk.size() - 40);
        }
    }
}

} // namespace
