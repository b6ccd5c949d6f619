#pragma once
// CD images for tests, in the form CD burning tools write them: a cue sheet
// and one BINARY data file of whole 2352-byte sectors holding 44100 Hz 16-bit
// stereo samples, little-endian, one track after another.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace cdtest {

inline constexpr int kRate = 44100;
inline constexpr int kFramesPerSector = 588;
inline constexpr int kSectorsPerSecond = 75;
// Tones are written at half of full scale.
inline constexpr double kToneAmplitude = 0.5;

// Sample `frame` of a tone track, the same in both channels.
inline std::int16_t toneSample(double frequency, std::int64_t frame)
{
    return static_cast<std::int16_t>(
        std::lround(kToneAmplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(frame) / kRate)));
}

// Interleaved stereo samples of a tone.
inline std::vector<std::int16_t> toneTrack(double frequency, double seconds)
{
    const auto frames = static_cast<std::int64_t>(std::lround(seconds * kRate));
    std::vector<std::int16_t> pcm;
    pcm.reserve(static_cast<std::size_t>(frames) * 2);
    for (std::int64_t i = 0; i < frames; ++i) {
        pcm.push_back(toneSample(frequency, i));
        pcm.push_back(toneSample(frequency, i));
    }
    return pcm;
}

// Writes <folder>/<name>.bin and <folder>/<name>.cue, one audio track per
// entry of `tracks` (interleaved stereo), each padded with silence to whole
// sectors; returns the cue sheet's path.
inline std::string writeCdImage(const std::string& folder, const std::vector<std::vector<std::int16_t>>& tracks,
                                const std::string& name = "disc")
{
    const std::string bin = folder + "/" + name + ".bin";
    const std::string cue = folder + "/" + name + ".cue";
    std::ofstream data(bin, std::ios::binary);
    std::ofstream sheet(cue);
    sheet << "FILE \"" << name << ".bin\" BINARY\n";
    long sector = 0;
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        char index[128];
        std::snprintf(index, sizeof index, "  TRACK %02zu AUDIO\n    INDEX 01 %02ld:%02ld:%02ld\n", t + 1,
                      sector / kSectorsPerSecond / 60, sector / kSectorsPerSecond % 60, sector % kSectorsPerSecond);
        sheet << index;
        std::vector<std::int16_t> pcm = tracks[t];
        const std::size_t perSector = kFramesPerSector * 2;
        pcm.resize((pcm.size() + perSector - 1) / perSector * perSector, 0);
        std::vector<char> bytes;
        bytes.reserve(pcm.size() * 2);
        for (const std::int16_t s : pcm) { // little-endian whatever the host
            const auto u = static_cast<std::uint16_t>(s);
            bytes.push_back(static_cast<char>(u & 0xff));
            bytes.push_back(static_cast<char>(u >> 8));
        }
        data.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        sector += static_cast<long>(pcm.size() / perSector);
    }
    data.close();
    sheet.close();
    if (!data || !sheet) ADD_FAILURE() << "cannot write the CD image " << cue;
    return cue;
}

// One tone track per frequency, both channels alike; returns the cue sheet's
// path. Two seconds a track is 150 sectors exactly.
inline std::string writeToneCdImage(const std::string& folder, const std::vector<double>& frequencies,
                                    double secondsPerTrack = 2.0)
{
    std::vector<std::vector<std::int16_t>> tracks;
    for (const double f : frequencies) tracks.push_back(toneTrack(f, secondsPerTrack));
    return writeCdImage(folder, tracks);
}

} // namespace cdtest
