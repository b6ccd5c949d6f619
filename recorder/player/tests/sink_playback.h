#pragma once
// For playback tests on the private sound server: a test MP3 of two tones,
// and listening to the null sink's monitor while the apartment is pumped.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/output_format.h"
#include "recorder/player/tests/tag_bytes.h"

#include "platform/com/apartment.h"
#include "platform/testserver/sound_server.h"
#include "platform/testserver/stream_reader.h"
#include "platform/testserver/tone_analysis.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <numbers>

namespace playertest {

using namespace std::chrono_literals;

inline constexpr int kRate = 44100;
inline constexpr double kLowTone = 440, kHighTone = 1000;

// Two seconds of the low tone, then two of the high one, in both channels,
// as MP3 behind an ID3v2 tag and before an ID3v1 one.
inline void writeTestMp3(const std::string& path)
{
    std::string why;
    const auto format = recorder::mp3Format(kRate, 128, 2, recorder::MP3Lame{}, why);
    ASSERT_TRUE(format) << why;
    const std::string bare = path + ".bare";
    auto encoder = recorder::makeEncoder(*format);
    ASSERT_TRUE(encoder && encoder->open(bare));
    std::vector<std::int16_t> pcm;
    for (int i = 0; i < 4 * kRate; ++i) {
        const double f = i < 2 * kRate ? kLowTone : kHighTone;
        const auto s = static_cast<std::int16_t>(16000 * std::sin(2 * std::numbers::pi * f * i / kRate));
        pcm.push_back(s);
        pcm.push_back(s);
    }
    ASSERT_TRUE(encoder->write(pcm) && encoder->finish()) << encoder->error();
    std::ifstream in(bare, std::ios::binary);
    const Bytes mp3((std::istreambuf_iterator<char>(in)), {});
    const auto bytes = tag(3, frame("TIT2", Bytes{0} + raw("Tones"))) + mp3 + id3v1("Tones", "", "", "", "", 1, 0);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::filesystem::remove(bare);
}

// The null sink's monitor, heard while the calling thread's apartment is pumped.
class SinkListener {
public:
    explicit SinkListener(std::shared_ptr<com::Apartment> apartment)
        : server_(testsound::SoundServer::shared()), apartment_(std::move(apartment))
    {
    }

    void pumpFor(std::chrono::milliseconds t) { apartment_->pumpUntil([] { return false; }, t); }

    // What the monitor hears over the next `t`. Time that playback should
    // advance passes here: a null sink nobody listens to leaves the stream's
    // timing reports, and with them the position and the output's requests
    // for more, standing still.
    std::vector<std::int16_t> hear(std::chrono::milliseconds t)
    {
        auto recording = std::async(std::launch::async, [this, t] {
            return testsound::recordFromSource(server_.server(), "velmor_null.monitor", kRate, 2,
                                               static_cast<std::size_t>(t.count()) * kRate / 1000);
        });
        pumpFor(t + 300ms);
        while (recording.wait_for(0ms) != std::future_status::ready) pumpFor(20ms);
        return recording.get();
    }

    static double level(const std::vector<std::int16_t>& heard, double f, int channel = 0)
    {
        return testsound::toneAmplitude(heard, 2, channel, f, kRate);
    }

private:
    testsound::SoundServer& server_;
    std::shared_ptr<com::Apartment> apartment_;
};

} // namespace playertest
