// Encodes the same 60 s signal through AudioFile in one-second blocks and
// with the lame / ffmpeg command line at the same settings, and prints the
// CPU seconds of each and their ratio. G.726 runs at 8000 Hz mono, the rate
// the codec is made for; everything else at 44100 Hz stereo.
//
// Usage: bench_components_encode [folder for the files, default /tmp]

#include "bench/components/process_cpu.h"
#include "recorder/components/audio_array.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kSeconds = 60;

std::vector<std::int16_t> signal(int rate, int channels)
{
    std::vector<std::int16_t> pcm(static_cast<std::size_t>(rate) * kSeconds * static_cast<std::size_t>(channels));
    unsigned noise = 1;
    for (std::size_t i = 0; i < pcm.size() / static_cast<std::size_t>(channels); ++i) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1103515245u + 12345u;
            const double t = double(i) / rate;
            // Tones that move, plus a little noise, so that the encoders have real work.
            const double v = 0.3 * std::sin(2 * M_PI * (440 + 60 * c) * t + 3 * std::sin(2 * M_PI * 0.5 * t)) +
                             0.2 * std::sin(2 * M_PI * 3000 * t * (1 + c * 0.1)) + 0.02 * ((noise >> 16) / 32768.0 - 1);
            pcm[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<std::int16_t>(std::lround(v * 32767));
        }
    }
    return pcm;
}

void writeWav(const std::string& path, int rate, int channels, const std::vector<std::int16_t>& pcm)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    const std::uint32_t data = static_cast<std::uint32_t>(pcm.size() * 2);
    auto u32 = [&](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * 2));
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(data);
    std::fwrite(pcm.data(), 2, pcm.size(), f);
    std::fclose(f);
}

// CPU seconds of encoding the signal through AudioFile in one-second blocks.
double cpuOfAudioFile(const std::function<bool(recorder::AudioFile&)>& select, const std::string& path,
                      const std::vector<std::int16_t>& pcm, int rate, int channels)
{
    recorder::AudioFile file;
    if (!select(file) || !file.OpenWrite(path, 1000)) {
        std::fprintf(stderr, "cannot record %s: %s\n", path.c_str(), file.lastError().c_str());
        return -1;
    }
    const std::size_t perBlock = static_cast<std::size_t>(rate) * static_cast<std::size_t>(channels);
    std::vector<std::uint8_t> block(recorder::kAudioArrayHeaderSize + perBlock * 2);
    recorder::writeAudioArrayHeader(block.data(), rate, channels);
    const double start = bench::processCpuSeconds();
    for (int s = 0; s < kSeconds; ++s) {
        // The copy stands for the capture control's handing over of a block.
        std::memcpy(block.data() + recorder::kAudioArrayHeaderSize, pcm.data() + s * perBlock, perBlock * 2);
        if (!file.WriteArray(block)) {
            std::fprintf(stderr, "write failed: %s\n", file.lastError().c_str());
            return -1;
        }
    }
    file.Close();
    return bench::processCpuSeconds() - start;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    const auto stereo = signal(44100, 2);
    const auto mono8k = signal(8000, 1);
    const std::string in = dir + "/bench-in.wav", in8k = dir + "/bench-in-8k.wav";
    writeWav(in, 44100, 2, stereo);
    writeWav(in8k, 8000, 1, mono8k);
    const std::string ff = "ffmpeg -nostdin -v error -y -i ";

    struct Case {
        const char* name;
        std::function<bool(recorder::AudioFile&)> select;
        const char* extension;
        std::string theirs;
        bool narrow;
    };
    const std::vector<Case> cases = {
        {"MP3 128 kbit/s", [](auto& f) { return f.SetFormatMP3(44100, 128, 2); }, "mp3",
         "lame --quiet -b 128 -q 3 -m j " + in + " " + dir + "/bench-theirs.mp3", false},
        {"Ogg Vorbis q3", [](auto& f) { return f.SetFormatOgg(44100, 2, 128, 0, 0, 300); }, "ogg",
         ff + in + " -c:a libvorbis -q:a 3 " + dir + "/bench-theirs.ogg", false},
        {"AAC LC 128 kbit/s",
         [](auto& f) {
             recorder::AudioFormatSettings s;
             return f.SetFormatAAC(s);
         },
         "aac", ff + in + " -c:a aac -b:a 128k " + dir + "/bench-theirs.aac", false},
        {"AC3 192 kbit/s", [](auto& f) { return f.SetFormatAC3(44100, 192, 2, 0); }, "ac3",
         ff + in + " -c:a ac3 -b:a 192k " + dir + "/bench-theirs.ac3", false},
        {"G.726 32 kbit/s (8 kHz mono)", [](auto& f) { return f.SetFormatG726(8000, 4); }, "wav",
         ff + in8k + " -c:a g726 -b:a 32k " + dir + "/bench-theirs-g726.wav", true},
        {"WAV PCM", [](auto& f) { return f.SetFormatPCM(44100, 2, 16, 0); }, "wav",
         ff + in + " -c:a pcm_s16le " + dir + "/bench-theirs-pcm.wav", false},
    };
    std::printf("%-30s %12s %12s %8s\n", "format (60 s)", "ours CPU s", "theirs CPU s", "ratio");
    for (const auto& c : cases) {
        double ours = 1e9, theirs = 1e9;
        for (int run = 0; run < 3; ++run) {
            const std::string out = dir + "/bench-ours-" + std::to_string(&c - cases.data()) + "." + c.extension;
            ours = std::min(ours, c.narrow ? cpuOfAudioFile(c.select, out, mono8k, 8000, 1)
                                           : cpuOfAudioFile(c.select, out, stereo, 44100, 2));
            if (const double t = bench::cpuOfCommand(c.theirs); t >= 0) theirs = std::min(theirs, t);
        }
        std::printf("%-30s %12.3f %12.3f %8.2f\n", c.name, ours, theirs, theirs > 0 ? ours / theirs : 0.0);
    }
    return 0;
}
