// The recording filters on known signals: the program's own chains through a
// real libavfilter graph, in capture-sized blocks.

#include "recorder/components/audio_array.h"
#include "recorder/components/record_filter_graph.h"
#include "recorder/components/record_filter_stage.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/recording/record_filter_chain.h"

#include "platform/testserver/signal.h"
#include "platform/testserver/tone_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace recorder;

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;

double dB(double ratio) { return 20 * std::log10(ratio); }

// Runs `seconds` of the signal through the chain in one-second blocks, as the
// capture control delivers them.
std::vector<std::int16_t> filtered(const std::string& chain, testsound::Signal signal, double seconds,
                                   int rate = kRate)
{
    std::string why;
    auto graph = RecordFilterGraph::create(rate, signal.channels(), chain, why);
    EXPECT_TRUE(graph) << why;
    std::vector<std::int16_t> out;
    if (!graph) return out;
    for (std::size_t done = 0, total = std::size_t(seconds * rate); done < total;) {
        const std::size_t frames = std::min<std::size_t>(rate, total - done);
        const auto in = signal.next(frames);
        const std::size_t before = out.size();
        EXPECT_TRUE(graph->process(in, out, why)) << why;
        EXPECT_EQ(out.size() - before, in.size()) << "every frame leaves with its own block";
        done += frames;
    }
    EXPECT_TRUE(graph->flush(out, why)) << why;
    return out;
}

// The level of a tone once the filters have settled (from 0.5 s on).
double settledLevel(const std::vector<std::int16_t>& pcm, double frequency, int channel = 0, int rate = kRate,
                    int channels = kChannels)
{
    const std::size_t skip = std::size_t(rate / 2) * std::size_t(channels);
    if (pcm.size() <= skip) return 0;
    return testsound::toneAmplitude(std::span(pcm).subspan(skip), channels, channel, frequency, rate);
}

RecordFilterSettings filters(std::optional<int> notch, std::optional<int> highPass, std::optional<int> lowPass)
{
    RecordFilterSettings s;
    s.notchHz = notch;
    s.highPassHz = highPass;
    s.lowPassHz = lowPass;
    return s;
}

TEST(RecordFilterGraph, NotchTakesTheHumAndLeavesTheVoice)
{
    const auto out = filtered(recordFilterChain(filters(50, {}, {}), kChannels),
                              testsound::Signal::tones({{50, 0.3}, {1000, 0.3}}, kChannels), 3);
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_LE(dB(settledLevel(out, 50, c) / 0.3), -30);
        EXPECT_NEAR(dB(settledLevel(out, 1000, c) / 0.3), 0, 1);
    }
}

TEST(RecordFilterGraph, HighAndLowPassCutTheirTonesAndKeepTheBandBetween)
{
    const auto tones = testsound::Signal::tones({{100, 0.25}, {1000, 0.25}, {8000, 0.25}}, kChannels);
    const auto both = filtered(recordFilterChain(filters({}, 400, 4000), kChannels), tones, 3);
    EXPECT_LE(dB(settledLevel(both, 100) / 0.25), -30);
    EXPECT_LE(dB(settledLevel(both, 8000) / 0.25), -30);
    EXPECT_NEAR(dB(settledLevel(both, 1000) / 0.25), 0, 1);

    // Each alone cuts only its side.
    const auto high = filtered(recordFilterChain(filters({}, 400, {}), kChannels), tones, 2);
    EXPECT_NEAR(dB(settledLevel(high, 8000) / 0.25), 0, 1);
    const auto low = filtered(recordFilterChain(filters({}, {}, 4000), kChannels), tones, 2);
    EXPECT_NEAR(dB(settledLevel(low, 100) / 0.25), 0, 1);
}

TEST(RecordFilterGraph, CutoffsStayThreeDecibelsDownAtTheStoredFrequency)
{
    const auto atHigh = filtered(recordFilterChain(filters({}, 400, {}), 1),
                                 testsound::Signal::sine(400, 0.5, 1), 2);
    EXPECT_NEAR(dB(settledLevel(atHigh, 400, 0, kRate, 1) / 0.5), -3, 0.3);
    const auto atLow = filtered(recordFilterChain(filters({}, {}, 4000), 1),
                                testsound::Signal::sine(4000, 0.5, 1), 2);
    EXPECT_NEAR(dB(settledLevel(atLow, 4000, 0, kRate, 1) / 0.5), -3, 0.3);
}

// Peak dBFS of each 50 ms window of one channel.
std::vector<double> windowPeaksDb(const std::vector<std::int16_t>& pcm, int channels, int rate, std::size_t fromFrame)
{
    std::vector<double> peaks;
    const std::size_t window = std::size_t(rate / 20) * std::size_t(channels);
    for (std::size_t at = fromFrame * std::size_t(channels); at + window <= pcm.size(); at += window) {
        const int peak = testsound::peak(std::span(pcm).subspan(at, window), channels, 0);
        peaks.push_back(dB(std::max(peak, 1) / 32767.0));
    }
    return peaks;
}

struct AgcCase {
    double inputDb;
    int attackMs;
    int lowDb, highDb;
    int channels;
    double frequency = 1000;
};

class AutoGain : public ::testing::TestWithParam<AgcCase> {};

TEST_P(AutoGain, BringsTheToneIntoTheBandWithinTheAttackTimeAndABlock)
{
    const AgcCase c = GetParam();
    RecordFilterSettings s;
    s.autoGain = AutoGainSettings{c.lowDb, c.highDb, c.attackMs};
    const double amplitude = std::pow(10, c.inputDb / 20);
    const auto out = filtered(recordFilterChain(s, c.channels),
                              testsound::Signal::sine(c.frequency, amplitude, c.channels), 4);

    const auto settled = windowPeaksDb(out, c.channels, kRate, std::size_t(kRate) * (1000 + c.attackMs) / 1000);
    ASSERT_FALSE(settled.empty());
    for (double peak : settled) {
        EXPECT_GE(peak, c.lowDb - 0.1);
        EXPECT_LE(peak, c.highDb + 0.1);
    }
    // On the way there it never overshoots: no window is louder than the
    // band's top or than what came in, whichever is higher.
    for (double peak : windowPeaksDb(out, c.channels, kRate, 0))
        EXPECT_LE(peak, std::max(c.inputDb, double(c.highDb)) + 0.1);
}

INSTANTIATE_TEST_SUITE_P(Levels, AutoGain,
                         ::testing::Values(AgcCase{-40, 50, -20, -6, 2}, AgcCase{-40, 200, -20, -6, 2},
                                           AgcCase{-3, 50, -20, -6, 2}, AgcCase{-3, 200, -20, -6, 2},
                                           AgcCase{-30, 100, -12, -11, 1}, AgcCase{-1, 100, -30, -30, 1},
                                           AgcCase{-40, 50, -20, -6, 1, 100}, AgcCase{-3, 50, -20, -6, 1, 100}));

TEST(RecordFilterGraph, EmptyChainPassesAudioUnchangedAtAnyRateAndLayout)
{
    for (const auto& [rate, channels] : {std::pair{8000, 1}, std::pair{44100, 2}, std::pair{48000, 6}}) {
        auto signal = testsound::Signal::sine(440, 0.7, channels, rate);
        const auto in = signal.next(std::size_t(rate) / 3);
        std::string why;
        auto graph = RecordFilterGraph::create(rate, channels, "", why);
        ASSERT_TRUE(graph) << why;
        std::vector<std::int16_t> out;
        ASSERT_TRUE(graph->process(in, out, why)) << why;
        ASSERT_TRUE(graph->flush(out, why)) << why;
        EXPECT_EQ(out, in) << rate << " Hz, " << channels << " channels";
        EXPECT_FALSE(graph->process(in, out, why)) << "no audio after the end";
    }
}

TEST(RecordFilterGraph, RefusesWhatItCannotBuild)
{
    std::string why;
    EXPECT_FALSE(RecordFilterGraph::create(44100, 2, "highpass=f=banana", why));
    EXPECT_NE(why.find("filter chain"), std::string::npos) << why;
    EXPECT_FALSE(RecordFilterGraph::create(44100, 2, "nosuchfilter", why));
    EXPECT_FALSE(RecordFilterGraph::create(44100, 0, "", why));
    EXPECT_FALSE(RecordFilterGraph::create(0, 2, "", why));
}

TEST(RecordFilterStage, FiltersCaptureBlocksAndNeverLosesOne)
{
    auto signal = testsound::Signal::tones({{50, 0.3}, {1000, 0.3}}, kChannels);
    const auto pcm = signal.next(kRate);
    const auto block = testaudio::captureArray(kRate, kChannels, pcm);

    RecordFilterStage stage(kRate, kChannels, recordFilterChain(filters(50, {}, {}), kChannels), {"Notch off: x"});
    EXPECT_TRUE(stage.filtering());
    auto out = stage.filter(block);
    EXPECT_FALSE(out.notesChanged);
    std::string why;
    const auto view = parseAudioArray(out.bytes, why);
    ASSERT_TRUE(view) << why;
    EXPECT_EQ(view->sampleRate, kRate);
    EXPECT_EQ(view->channels, kChannels);
    EXPECT_EQ(view->frames(), std::size_t(kRate));
    EXPECT_FALSE(std::equal(out.bytes.begin(), out.bytes.end(), block.begin(), block.end()));

    // Another format passes as it came: the file component judges it.
    const auto mono = testaudio::captureArray(8000, 1, std::vector<std::int16_t>(800, 1000));
    out = stage.filter(mono);
    EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), mono.begin(), mono.end()));
    EXPECT_TRUE(stage.flush().bytes.empty());
    EXPECT_EQ(stage.notes(), "Notch off: x");

    // A graph that cannot be built: the audio goes on unfiltered, with a note.
    RecordFilterStage broken(kRate, kChannels, "nosuchfilter", {"Notch off: x"});
    EXPECT_FALSE(broken.filtering());
    out = broken.filter(block);
    EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), block.begin(), block.end()));
    EXPECT_EQ(broken.notes().rfind("Notch off: x; Filters off, recording unfiltered (filter chain: ", 0), 0u)
        << broken.notes();

    // No filters: blocks pass untouched and nothing is said.
    RecordFilterStage none(kRate, kChannels, "");
    out = none.filter(block);
    EXPECT_EQ(out.bytes.data(), block.data());
    EXPECT_TRUE(none.notes().empty());
}

} // namespace
