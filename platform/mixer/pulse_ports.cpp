#include "platform/mixer/pulse_ports.h"

#include "platform/mixer/mixer_layer.h"

#include <algorithm>
#include <cctype>

namespace mixer::pulseports {

namespace {

bool contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

} // namespace

std::uint32_t lineCount(const pulse::SourceInfo& source)
{
    return source.ports.empty() ? 1u : static_cast<std::uint32_t>(source.ports.size());
}

std::string lineName(const pulse::SourceInfo& source, std::uint32_t line)
{
    if (source.ports.empty()) return line == 0 ? source.description : std::string();
    if (line >= source.ports.size()) return {};
    const auto& port = source.ports[line];
    return port.description.empty() ? port.name : port.description;
}

std::uint32_t componentTypeOfPort(const pulse::Port& port)
{
    const std::string n = lower(port.name);
    // Order matters: "headphone-mic" is a microphone, not a telephone.
    if (contains(n, "mic") || contains(n, "headset")) return component::kSrcMicrophone;
    if (contains(n, "line")) return component::kSrcLine;
    if (contains(n, "cd")) return component::kSrcCompactDisc;
    if (contains(n, "iec958") || contains(n, "spdif") || contains(n, "digital") || contains(n, "hdmi"))
        return component::kSrcDigital;
    if (contains(n, "phone")) return component::kSrcTelephone;
    if (contains(n, "aux") || contains(n, "video") || contains(n, "tvtuner") || contains(n, "fm") ||
        contains(n, "radio"))
        return component::kSrcAuxiliary;
    if (contains(n, "analog")) return component::kSrcAnalog;
    return component::kSrcUndefined;
}

std::uint32_t lineComponentType(const pulse::SourceInfo& source, std::uint32_t line)
{
    if (source.ports.empty()) {
        if (line != 0) return 0;
        // A monitor records what is played, as a "what you hear" line does.
        return source.monitor ? component::kSrcWaveOut : component::kSrcUndefined;
    }
    if (line >= source.ports.size()) return 0;
    return componentTypeOfPort(source.ports[line]);
}

std::vector<std::uint32_t> multiplexerValues(const pulse::SourceInfo& source)
{
    const std::uint32_t n = lineCount(source);
    std::vector<std::uint32_t> values(n, 0);
    if (source.ports.empty()) {
        values[0] = 1;
        return values;
    }
    for (std::uint32_t line = 0; line < n; ++line)
        if (source.ports[line].name == source.activePort) values[n - 1 - line] = 1;
    return values;
}

std::optional<std::string> portForMultiplexer(const pulse::SourceInfo& source, const std::vector<std::uint32_t>& values)
{
    const std::uint32_t n = lineCount(source);
    std::optional<std::uint32_t> item;
    for (std::uint32_t k = 0; k < values.size(); ++k) {
        if (values[k] == 0) continue;
        if (item || k >= n) return std::nullopt;
        item = k;
    }
    if (!item) return std::nullopt;
    if (source.ports.empty()) return std::string();
    return source.ports[n - 1 - *item].name;
}

} // namespace mixer::pulseports
