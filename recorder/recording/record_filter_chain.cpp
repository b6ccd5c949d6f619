#include "recorder/recording/record_filter_chain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>
#include <vector>

namespace recorder {

namespace {

// Sixth-order Butterworth as three biquads at the same frequency: the cutoff
// stays 3 dB down at the stored frequency and the slope is 36 dB/octave (one
// biquad's 12 dB/octave leaves a tone two octaves out only 24 dB down).
// Ascending Q, so that no intermediate stage peaks above the input.
constexpr double kButterworthQ[] = {0.5176380902, 0.7071067812, 1.9318516526};

// compand's detector follows |x| up with its attack and down with its decay;
// with the two equal it settles at the mean of |x|, which for a sine is 2/pi
// of the peak. The band is set on that reading so that the peak (what the
// level meters show) lands in it.
const double kSineDetectorDb = 20 * std::log10(2 / std::numbers::pi);
// The most the gain ever adds, so that silence is not raised into noise.
constexpr double kMaxBoostDb = 40;
// Below this the gain stays at 0 dB.
constexpr double kFloorDb = -90;
// How far inside the band the gain aims, so that a reading that has not quite
// settled still lands in the band.
constexpr double kMaxMarginDb = 3;

std::string number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

std::string perChannel(const std::string& value, int channels)
{
    std::string text = value;
    for (int c = 1; c < channels; ++c) text += "|" + value;
    return text;
}

std::string biquad(const char* name, int hz, double q)
{
    return std::string(name) + "=f=" + std::to_string(hz) + ":width_type=q:width=" + number(q) + ":precision=f64";
}

std::string autoGainFilter(const AutoGainSettings& agc, int channels)
{
    const double margin = std::min(kMaxMarginDb, (agc.highLevelDb - agc.lowLevelDb) / 4.0);
    const double low = agc.lowLevelDb + margin + kSineDetectorDb;
    const double high = agc.highLevelDb - margin + kSineDetectorDb;

    // Up to kMaxBoostDb below the band, unchanged inside it, held at its top above.
    std::vector<std::pair<double, double>> points;
    if (kFloorDb < low - kMaxBoostDb) points.emplace_back(kFloorDb, kFloorDb);
    for (auto p : {std::pair{low - kMaxBoostDb, low}, {low, low}, {high, high}, {0.0, high}})
        if (points.empty() || p.first > points.back().first) points.push_back(p);
    std::string curve;
    for (const auto& [in, out] : points) curve += (curve.empty() ? "" : "|") + number(in) + "/" + number(out);

    // Equal attack and decay: a quiet start rises into the band as fast as a
    // loud one falls. Starting at the band's bottom (0 dB) blasts no start.
    const std::string seconds = number(agc.attackMs / 1000.0);
    return "compand=attacks=" + perChannel(seconds, channels) + ":decays=" + perChannel(seconds, channels) +
           ":points=" + curve + ":volume=" + number(low) + ":delay=0";
}

} // namespace

std::string recordFilterChain(const RecordFilterSettings& s, int channels)
{
    std::vector<std::string> stages;
    if (s.notchHz) stages.push_back(biquad("bandreject", *s.notchHz, kNotchQ));
    if (s.highPassHz)
        for (double q : kButterworthQ) stages.push_back(biquad("highpass", *s.highPassHz, q));
    if (s.lowPassHz)
        for (double q : kButterworthQ) stages.push_back(biquad("lowpass", *s.lowPassHz, q));
    if (s.autoGain) stages.push_back(autoGainFilter(*s.autoGain, channels));

    std::string chain;
    for (const auto& stage : stages) chain += (chain.empty() ? "" : ",") + stage;
    return chain;
}

} // namespace recorder
