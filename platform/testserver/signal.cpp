#include "platform/testserver/signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace testsound {

Signal Signal::sine(std::vector<double> frequencies, double amplitude, int rate)
{
    Signal s;
    s.kind_ = Kind::Sine;
    s.channels_ = static_cast<int>(frequencies.size());
    s.freqs_ = std::move(frequencies);
    s.amplitude_ = amplitude;
    s.rate_ = rate;
    return s;
}

Signal Signal::sine(double frequency, double amplitude, int channels, int rate)
{
    return sine(std::vector<double>(static_cast<std::size_t>(channels), frequency), amplitude, rate);
}

Signal Signal::tones(std::vector<std::pair<double, double>> tones, int channels, int rate)
{
    Signal s;
    s.kind_ = Kind::Tones;
    s.channels_ = channels;
    s.tones_ = std::move(tones);
    s.rate_ = rate;
    return s;
}

Signal Signal::silence(int channels)
{
    Signal s;
    s.channels_ = channels;
    return s;
}

Signal Signal::bursts(double frequency, double amplitude, int channels, int onMs, int offMs, int rate)
{
    Signal s = sine(frequency, amplitude, channels, rate);
    s.kind_ = Kind::Bursts;
    s.onFrames_ = rate * onMs / 1000;
    s.offFrames_ = rate * offMs / 1000;
    return s;
}

Signal Signal::counter(int channels)
{
    Signal s;
    s.kind_ = Kind::Counter;
    s.channels_ = channels;
    return s;
}

void Signal::render(std::int16_t* out, std::size_t frames)
{
    for (std::size_t f = 0; f < frames; ++f, ++frame_) {
        for (int c = 0; c < channels_; ++c) {
            double v = 0;
            switch (kind_) {
            case Kind::Silence:
                break;
            case Kind::Counter: {
                auto bits = static_cast<std::uint16_t>(frame_ >> (16 * (c % 2)));
                out[f * channels_ + c] = static_cast<std::int16_t>(bits);
                continue;
            }
            case Kind::Bursts: {
                const auto period = static_cast<std::uint64_t>(onFrames_ + offFrames_);
                if (period && frame_ % period >= static_cast<std::uint64_t>(onFrames_)) break;
                [[fallthrough]];
            }
            case Kind::Sine:
                v = amplitude_ * std::sin(2 * std::numbers::pi * freqs_[c] * double(frame_) / rate_);
                break;
            case Kind::Tones:
                for (const auto& [frequency, amplitude] : tones_)
                    v += amplitude * std::sin(2 * std::numbers::pi * frequency * double(frame_) / rate_);
                break;
            }
            out[f * channels_ + c] = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
        }
    }
}

std::vector<std::int16_t> Signal::next(std::size_t frames)
{
    std::vector<std::int16_t> v(frames * static_cast<std::size_t>(channels_));
    render(v.data(), frames);
    return v;
}

} // namespace testsound
