#include "platform/testserver/signal.h"
#include "platform/testserver/tone_analysis.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testsound;

namespace {

TEST(Signal, SineHasItsFrequencyAndLevel)
{
    auto s = Signal::sine({440.0, 1000.0}, 0.5);
    auto x = s.next(44100);
    EXPECT_NEAR(toneAmplitude(x, 2, 0, 440, 44100), 0.5, 0.01);
    EXPECT_LT(toneAmplitude(x, 2, 0, 1000, 44100), 0.01);
    EXPECT_NEAR(toneAmplitude(x, 2, 1, 1000, 44100), 0.5, 0.01);
    EXPECT_NEAR(peak(x, 2, 0), 16384, 2);
    EXPECT_NEAR(rms(x, 2, 1), 0.5 / std::sqrt(2.0), 0.005);
}

TEST(Signal, ContinuesAcrossCalls)
{
    auto a = Signal::sine(1000.0, 0.8, 1);
    auto b = Signal::sine(1000.0, 0.8, 1);
    auto whole = a.next(1000);
    auto first = b.next(400);
    auto rest = b.next(600);
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(whole, first);
}

TEST(Signal, CounterNumbersEveryFrame)
{
    auto s = Signal::counter(2);
    s.next(70000);
    auto x = s.next(2);
    EXPECT_EQ(static_cast<std::uint16_t>(x[0]), 70000 & 0xFFFF);
    EXPECT_EQ(x[1], 1);
    EXPECT_EQ(static_cast<std::uint16_t>(x[2]), 70001 & 0xFFFF);
}

TEST(Signal, BurstsAlternateToneAndSilence)
{
    auto s = Signal::bursts(1000.0, 1.0, 1, 100, 200, 44100);
    auto on = s.next(4410);
    auto off = s.next(8820);
    EXPECT_GT(peak(on, 1, 0), 30000);
    EXPECT_EQ(peak(off, 1, 0), 0);
}

} // namespace
