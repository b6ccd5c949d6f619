// The recording filter stage with every filter and the automatic gain on
// (notch 50 Hz, high-pass 400 Hz, low-pass 4000 Hz, AGC -20..-6 dBFS with a
// 100 ms attack), 60 s of 44100 Hz stereo in one-second capture blocks:
// - CPU seconds per second of audio, beside `ffmpeg -af` running the same
//   chain text on the same input (and beside ffmpeg's own cost of reading and
//   writing the audio with `-af anull`, to show the filters' share);
// - the delay the stage adds between capture and file: frames held back
//   across blocks, and the processing time of each block;
// - the largest difference between the stage's samples and ffmpeg's, to show
//   that both ran the same filters.
//
// Usage: bench_components_filters [folder for the files, default /tmp]

#include "bench/components/process_cpu.h"
#include "recorder/components/audio_array.h"
#include "recorder/components/record_filter_stage.h"
#include "recorder/recording/record_filter_chain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kSeconds = 60;

// A voice-band tone that moves, mains hum, an out-of-band whistle and a little
// noise, with a level that changes every few seconds so the gain has to work.
std::vector<std::int16_t> signal()
{
    std::vector<std::int16_t> pcm(std::size_t(kRate) * kSeconds * kChannels);
    unsigned noise = 1;
    for (std::size_t i = 0; i < pcm.size() / kChannels; ++i) {
        const double t = double(i) / kRate;
        const double level = (int(t) / 4) % 2 ? 0.5 : 0.02;
        for (int c = 0; c < kChannels; ++c) {
            noise = noise * 1103515245u + 12345u;
            const double v = level * std::sin(2 * M_PI * (700 + 80 * c) * t + 2 * std::sin(2 * M_PI * 0.7 * t)) +
                             0.1 * std::sin(2 * M_PI * 50 * t) + 0.05 * std::sin(2 * M_PI * 9000 * t) +
                             0.01 * ((noise >> 16) / 32768.0 - 1);
            pcm[i * kChannels + std::size_t(c)] = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
        }
    }
    return pcm;
}

bool writeWav(const std::string& path, const std::vector<std::int16_t>& pcm)
{
    std::ofstream f(path, std::ios::binary);
    const auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    const auto data = static_cast<std::uint32_t>(pcm.size() * 2);
    f.write("RIFF", 4);
    u32(36 + data);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(kChannels);
    u32(kRate);
    u32(kRate * kChannels * 2);
    u16(kChannels * 2);
    u16(16);
    f.write("data", 4);
    u32(data);
    f.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(data));
    return bool(f);
}

std::vector<std::int16_t> readRaw(const std::string& path)
{
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    std::vector<std::int16_t> pcm(std::size_t(std::max<std::streamoff>(f.tellg(), 0)) / 2);
    f.seekg(0);
    f.read(reinterpret_cast<char*>(pcm.data()), std::streamsize(pcm.size() * 2));
    return pcm;
}

struct StageRun {
    double cpuSeconds = 0;
    std::vector<double> blockMs; // wall time of each block
    long long maxHeldFrames = 0;  // frames in but not yet out, after any block
    std::vector<std::int16_t> out;
};

StageRun runStage(const std::string& chain, const std::vector<std::int16_t>& pcm)
{
    StageRun run;
    recorder::RecordFilterStage stage(kRate, kChannels, chain);
    if (!stage.filtering()) {
        std::fprintf(stderr, "the stage does not filter: %s\n", stage.notes().c_str());
        std::exit(1);
    }
    const std::size_t perBlock = std::size_t(kRate) * kChannels;
    std::vector<std::uint8_t> block(recorder::kAudioArrayHeaderSize + perBlock * 2);
    recorder::writeAudioArrayHeader(block.data(), kRate, kChannels);
    long long framesIn = 0, framesOut = 0;
    for (int s = 0; s < kSeconds; ++s) {
        // The copy stands for the capture control's handing over of a block.
        std::memcpy(block.data() + recorder::kAudioArrayHeaderSize, pcm.data() + std::size_t(s) * perBlock,
                    perBlock * 2);
        const double wallStart = bench::clockSeconds(CLOCK_MONOTONIC), cpuStart = bench::processCpuSeconds();
        const auto filtered = stage.filter(block);
        run.cpuSeconds += bench::processCpuSeconds() - cpuStart;
        run.blockMs.push_back((bench::clockSeconds(CLOCK_MONOTONIC) - wallStart) * 1000);
        const std::size_t samples = (filtered.bytes.size() - recorder::kAudioArrayHeaderSize) / 2;
        const auto* first = reinterpret_cast<const std::int16_t*>(filtered.bytes.data() + recorder::kAudioArrayHeaderSize);
        run.out.insert(run.out.end(), first, first + samples);
        framesIn += kRate;
        framesOut += static_cast<long long>(samples / kChannels);
        run.maxHeldFrames = std::max(run.maxHeldFrames, framesIn - framesOut);
    }
    const double cpuStart = bench::processCpuSeconds();
    const auto rest = stage.flush();
    run.cpuSeconds += bench::processCpuSeconds() - cpuStart;
    if (!rest.bytes.empty()) {
        const auto* first = reinterpret_cast<const std::int16_t*>(rest.bytes.data() + recorder::kAudioArrayHeaderSize);
        run.out.insert(run.out.end(), first, first + (rest.bytes.size() - recorder::kAudioArrayHeaderSize) / 2);
    }
    if (!stage.notes().empty()) std::fprintf(stderr, "stage notes: %s\n", stage.notes().c_str());
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    const auto pcm = signal();
    const std::string in = dir + "/filter-bench-in.wav", theirs = dir + "/filter-bench-ffmpeg.raw";
    if (!writeWav(in, pcm)) {
        std::fprintf(stderr, "cannot write %s\n", in.c_str());
        return 1;
    }

    recorder::RecordFilterSettings settings;
    settings.notchHz = 50;
    settings.highPassHz = 400;
    settings.lowPassHz = 4000;
    settings.autoGain = recorder::AutoGainSettings{-20, -6, 100};
    const std::string chain = recorder::recordFilterChain(settings, kChannels);
    const auto ffmpeg = [&](const std::string& filters) {
        return "ffmpeg -nostdin -v error -y -filter_threads 1 -i " + in + " -af '" + filters +
               "' -f s16le -c:a pcm_s16le " + theirs;
    };

    StageRun best;
    best.cpuSeconds = 1e9;
    double ffmpegFilters = 1e9, ffmpegCopy = 1e9;
    for (int run = 0; run < 5; ++run) {
        StageRun r = runStage(chain, pcm);
        if (r.cpuSeconds < best.cpuSeconds) best = std::move(r);
        const double copy = bench::cpuOfCommand(ffmpeg("anull"));
        const double filters = bench::cpuOfCommand(ffmpeg(chain));
        if (copy < 0 || filters < 0) return 1;
        ffmpegCopy = std::min(ffmpegCopy, copy);
        ffmpegFilters = std::min(ffmpegFilters, filters);
    }

    // The last ffmpeg run was the filtered one: compare the samples.
    const auto reference = readRaw(theirs);
    int maxDifference = 0;
    for (std::size_t i = 0; i < std::min(reference.size(), best.out.size()); ++i)
        maxDifference = std::max(maxDifference, std::abs(int(reference[i]) - int(best.out[i])));

    std::vector<double> ms = best.blockMs;
    std::sort(ms.begin(), ms.end());
    const double perSecond = best.cpuSeconds / kSeconds;
    const double ffmpegPerSecond = ffmpegFilters / kSeconds;
    const double ffmpegFilterShare = (ffmpegFilters - ffmpegCopy) / kSeconds;

    std::printf("chain: %s\n\n", chain.c_str());
    std::printf("CPU per second of audio (44100 Hz stereo, %d s, best of 5):\n", kSeconds);
    std::printf("  filter stage               %8.3f ms\n", perSecond * 1000);
    std::printf("  ffmpeg -af (whole run)     %8.3f ms   ratio stage/ffmpeg %.2f\n", ffmpegPerSecond * 1000,
                perSecond / ffmpegPerSecond);
    std::printf("  ffmpeg -af anull           %8.3f ms\n", ffmpegCopy / kSeconds * 1000);
    std::printf("  ffmpeg's filters alone     %8.3f ms   ratio stage/ffmpeg filters %.2f\n", ffmpegFilterShare * 1000,
                ffmpegFilterShare > 0 ? perSecond / ffmpegFilterShare : 0.0);
    std::printf("Added delay between capture and file:\n");
    std::printf("  frames held back           %8lld (of %d a block)\n", best.maxHeldFrames, kRate);
    std::printf("  time per 1-s block         median %.3f ms, max %.3f ms\n", ms[ms.size() / 2], ms.back());
    std::printf("Same output as ffmpeg: %zu vs %zu samples, largest difference %d (of 32767)\n", best.out.size(),
                reference.size(), maxDifference);
    return 0;
}
