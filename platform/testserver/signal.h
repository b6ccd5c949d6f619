#pragma once
// Known test signals, rendered as interleaved signed 16-bit frames.

#include <cstdint>
#include <utility>
#include <vector>

namespace testsound {

class Signal {
public:
    // A sine per channel; amplitude 1.0 is full scale (32767).
    static Signal sine(std::vector<double> frequencies, double amplitude, int rate = 44100);
    static Signal sine(double frequency, double amplitude, int channels, int rate = 44100);
    // The same sum of sines in every channel: {frequency, amplitude} pairs.
    static Signal tones(std::vector<std::pair<double, double>> tones, int channels, int rate = 44100);
    static Signal silence(int channels);
    // Tone bursts: onMs of sine, then offMs of silence, repeated.
    static Signal bursts(double frequency, double amplitude, int channels, int onMs, int offMs, int rate = 44100);
    // Every frame carries its own index: channel 0 the low 16 bits, channel 1
    // the next 16 (a mono counter wraps at 65536). Lost or repeated frames show.
    static Signal counter(int channels);

    int channels() const { return channels_; }
    // Renders the next frames, continuing where the last call ended.
    void render(std::int16_t* out, std::size_t frames);
    std::vector<std::int16_t> next(std::size_t frames);

private:
    enum class Kind { Sine, Tones, Silence, Bursts, Counter };
    Kind kind_ = Kind::Silence;
    int channels_ = 2;
    int rate_ = 44100;
    std::vector<double> freqs_;
    std::vector<std::pair<double, double>> tones_;
    double amplitude_ = 0;
    int onFrames_ = 0, offFrames_ = 0;
    std::uint64_t frame_ = 0;
};

} // namespace testsound
