#include "platform/testserver/tone_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace testsound {

double toneAmplitude(std::span<const std::int16_t> x, int channels, int channel, double frequency, int rate)
{
    const std::size_t n = x.size() / static_cast<std::size_t>(channels);
    if (n == 0) return 0;
    const double w = 2 * std::numbers::pi * frequency / rate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s0 = x[i * channels + channel] / 32767.0 + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / double(n);
}

int peak(std::span<const std::int16_t> x, int channels, int channel)
{
    int p = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < x.size(); i += static_cast<std::size_t>(channels))
        p = std::max(p, std::abs(int(x[i])));
    return p;
}

double rms(std::span<const std::int16_t> x, int channels, int channel)
{
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < x.size(); i += static_cast<std::size_t>(channels), ++n)
        sum += double(x[i]) * x[i];
    return n ? std::sqrt(sum / double(n)) / 32767.0 : 0;
}

} // namespace testsound
