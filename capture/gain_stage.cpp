#include "capture/gain_stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace dxrecord {

GainFactors gainFactors(double gain, double balance, int channels)
{
    GainFactors f;
    if (channels <= 1) {
        f.left = f.right = f.other = gain;
    } else {
        f.left = gain * (1.0 - balance);
        f.right = gain * (1.0 + balance);
        f.other = gain;
    }
    return f;
}

namespace {

// trunc(value) within [lo, hi]; the clamp comes first so that the conversion is defined.
std::int64_t scaled(double value, double lo, double hi) { return static_cast<std::int64_t>(std::trunc(std::clamp(value, lo, hi))); }

void scaleSample(std::uint8_t* p, int bits, double factor)
{
    switch (bits) {
    case 8: {
        std::int64_t v = 128 + scaled((double(p[0]) - 128.0) * factor, -128.0, 127.0);
        p[0] = static_cast<std::uint8_t>(v);
        break;
    }
    case 16: {
        std::int64_t v = scaled(readSample(p, 16) * factor, -32768.0, 32767.0);
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        break;
    }
    case 24: {
        // Multiplied as value * 256 in 32 bits, then shifted back: the top byte carries the sign.
        constexpr double lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
        std::int64_t v = scaled(double(readSample(p, 24)) * 256.0 * factor, lo, hi) >> 8;
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
        break;
    }
    case 32: {
        constexpr double lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
        std::int64_t v = scaled(double(readSample(p, 32)) * factor, lo, hi);
        for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
        break;
    }
    default: break;
    }
}

} // namespace

void copyWithGain(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes, const SampleLayout& layout,
                  const GainFactors& factors)
{
    std::memcpy(dst, src, bytes);
    const int bits = layout.bitsPerSample;
    if (factors.unity() || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) return;
    if (layout.blockAlign <= 0 || layout.channels <= 0 || layout.channels * (bits / 8) > layout.blockAlign) return;
    const std::size_t frames = bytes / std::size_t(layout.blockAlign);
    const int step = bits / 8;
    for (int c = 0; c < layout.channels; ++c) {
        const double factor = factors.forChannel(c);
        if (factor == 1.0) continue;
        std::uint8_t* p = dst + c * step;
        for (std::size_t f = 0; f < frames; ++f, p += layout.blockAlign) scaleSample(p, bits, factor);
    }
}

} // namespace dxrecord
