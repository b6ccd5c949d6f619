#include "recorder/components/tests/test_audio.h"

#include "platform/testserver/tone_analysis.h"
#include "recorder/components/audio_array.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace testaudio {

TempDir::TempDir()
{
    char tmpl[] = "/tmp/velmor-components-XXXXXX";
    if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::uint8_t> captureArray(int rate, int channels, const std::vector<std::int16_t>& pcm)
{
    std::vector<std::uint8_t> out(recorder::kAudioArrayHeaderSize + pcm.size() * 2);
    recorder::writeAudioArrayHeader(out.data(), rate, channels);
    if (!pcm.empty())
        std::memcpy(out.data() + recorder::kAudioArrayHeaderSize, pcm.data(), pcm.size() * 2);
    return out;
}

std::vector<std::int16_t> twoTones(int rate, int channels, double seconds, double f0, double f1,
                                   std::uint64_t firstFrame)
{
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<std::int16_t> out(frames * static_cast<std::size_t>(channels));
    const double w0 = 2 * M_PI * f0 / rate, w1 = 2 * M_PI * f1 / rate;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(firstFrame + i);
        for (int c = 0; c < channels; ++c) {
            double v = channels == 1 ? 0.3 * std::sin(w0 * t) + 0.3 * std::sin(w1 * t)
                                     : 0.5 * std::sin((c % 2 ? w1 : w0) * t);
            out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<std::int16_t>(std::lround(v * 32767));
        }
    }
    return out;
}

bool recordTones(recorder::AudioFile& file, double seconds, double f0, double f1, int blockMs)
{
    const auto fmt = file.CurrentFormat();
    const int rate = fmt.SampleRate, channels = fmt.Channels;
    const auto total = static_cast<std::uint64_t>(seconds * rate);
    const auto perBlock = static_cast<std::uint64_t>(rate) * static_cast<std::uint64_t>(blockMs) / 1000;
    for (std::uint64_t done = 0; done < total; done += perBlock) {
        const std::uint64_t n = std::min(perBlock, total - done);
        auto block = captureArray(rate, channels, twoTones(rate, channels, double(n) / rate, f0, f1, done));
        if (!file.WriteArray(block)) return false;
    }
    return true;
}

std::string quote(const std::string& s) { return "'" + s + "'"; }

std::string run(const std::string& command, int* status)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    std::array<char, 65536> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    const int st = ::pclose(p);
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

std::map<std::string, std::string> probe(const std::string& path, const std::string& inputOptions)
{
    std::map<std::string, std::string> out;
    const std::string text = run("ffprobe -v error " + inputOptions + " -select_streams a:0 -show_entries "
                                 "stream=codec_name,sample_rate,channels,duration,profile:format=format_name,duration "
                                 "-of default=noprint_wrappers=1 " + quote(path) + " 2>/dev/null");
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "duration" && out.count("duration") && out["duration"] != "N/A") continue;
        out[key] = value;
    }
    return out;
}

std::vector<std::int16_t> decodeWithFfmpeg(const std::string& path, int rate, int channels, const std::string& inputOptions)
{
    const std::string bytes = run("ffmpeg -v error " + inputOptions + " -i " + quote(path) + " -f s16le -ar " +
                                  std::to_string(rate) + " -ac " + std::to_string(channels) + " - 2>/dev/null");
    std::vector<std::int16_t> pcm(bytes.size() / 2);
    std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

std::vector<std::int16_t> decodeWithReader(const std::string& path, int& rate, int& channels, int voxRate)
{
    recorder::AudioFile file;
    if (voxRate) file.SetFormatVOX(voxRate);
    std::vector<std::int16_t> pcm;
    rate = channels = 0;
    if (!file.OpenRead(path)) return pcm;
    const auto fmt = file.CurrentFormat();
    rate = fmt.SampleRate;
    channels = fmt.Channels;
    const auto block = static_cast<std::int32_t>(rate * channels * 2 / fmt.BlockDivisor);
    for (;;) {
        com::SafeArray a;
        if (!file.ReadArray(block, a) || a.size() == 0) break;
        const auto* p = a.data<std::uint8_t>() + recorder::kAudioArrayHeaderSize;
        const std::size_t n = (a.size() - recorder::kAudioArrayHeaderSize) / 2;
        const std::size_t at = pcm.size();
        pcm.resize(at + n);
        std::memcpy(pcm.data() + at, p, n * 2);
    }
    return pcm;
}

double toneLevel(const std::vector<std::int16_t>& pcm, int channels, int channel, double frequency, int rate)
{
    const std::size_t frames = pcm.size() / static_cast<std::size_t>(channels);
    if (frames < 4) return 0;
    const std::size_t from = frames / 4, to = frames * 3 / 4;
    std::span<const std::int16_t> middle(pcm.data() + from * static_cast<std::size_t>(channels),
                                         (to - from) * static_cast<std::size_t>(channels));
    return testsound::toneAmplitude(middle, channels, channel, frequency, rate);
}

double toneLevelBetween(const std::vector<std::int16_t>& pcm, int channels, double frequency, int rate, double from,
                        double to)
{
    const auto at = [&](double seconds) {
        return std::min(pcm.size(), static_cast<std::size_t>(std::max(0.0, seconds) * rate) * std::size_t(channels));
    };
    const auto a = at(from), b = at(to);
    if (a >= b) return 0;
    return toneLevel(std::vector<std::int16_t>(pcm.begin() + std::ptrdiff_t(a), pcm.begin() + std::ptrdiff_t(b)), channels,
                     0, frequency, rate);
}

} // namespace testaudio
