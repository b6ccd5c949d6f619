#include "recorder/record_tool/record_options.h"

#include "recorder/recording/format_values.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace recorder {

const char* const kRecordUsage =
    "Usage: velmor-record [-f FORMAT] [-d DEVICE] [-t DURATION] [-o FILE]\n"
    "       velmor-record --list-devices\n"
    "Records from a capture device into a file, with the settings of Velmor Sound Recorder.\n"
    "  -f, --format FORMAT     WAV, MP3, VOX, G721, G723, G726, G729, OGG, AC3 or AAC\n"
    "                          (default: the format last chosen in the recorder)\n"
    "  -d, --device DEVICE     a device name as --list-devices prints it (default: the default device)\n"
    "  -t, --duration DURATION stop after DURATION: 90, 90s, 5m, 1h, 1:30 or 1:00:00\n"
    "                          (default: until Ctrl+C or SIGTERM)\n"
    "  -o, --output FILE       the file to write (default: the recorder's folder and naming rules)\n"
    "      --list-devices      print the capture devices, one a line\n"
    "  -h, --help              print this help\n"
    "      --version           print the version\n";

namespace {

std::string upper(std::string s)
{
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::optional<double> number(const std::string& s)
{
    if (s.empty() || s.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

std::optional<int> formatCodeFromName(const std::string& name)
{
    std::string n = upper(name);
    if (!n.empty() && n[0] == '.') n.erase(0, 1);
    if (n == "OGA" || n == "VORBIS") n = "OGG";
    for (int i = 0; i < kFormatCount; ++i)
        if (n == kFormatNames[i]) return i;
    return std::nullopt;
}

std::optional<double> parseDuration(const std::string& text)
{
    if (text.empty() || text.size() > 32) return std::nullopt;
    double seconds = 0;
    if (text.find(':') != std::string::npos) {
        // [h:]m:s
        std::vector<std::string> parts;
        std::size_t start = 0;
        for (std::size_t at; (at = text.find(':', start)) != std::string::npos; start = at + 1)
            parts.push_back(text.substr(start, at - start));
        parts.push_back(text.substr(start));
        if (parts.size() > 3) return std::nullopt;
        for (const auto& p : parts) {
            const auto v = number(p);
            if (!v) return std::nullopt;
            seconds = seconds * 60 + *v;
        }
    } else {
        double unit = 1;
        std::string digits = text;
        switch (std::tolower(static_cast<unsigned char>(text.back()))) {
        case 's': unit = 1; digits.pop_back(); break;
        case 'm': unit = 60; digits.pop_back(); break;
        case 'h': unit = 3600; digits.pop_back(); break;
        default: break;
        }
        const auto v = number(digits);
        if (!v) return std::nullopt;
        seconds = *v * unit;
    }
    // Beyond a year is a typing error, not a recording.
    if (!(seconds > 0) || seconds > 366.0 * 24 * 3600) return std::nullopt;
    return seconds;
}

ParsedRecordOptions parseRecordOptions(const std::vector<std::string>& args)
{
    RecordOptions o;
    auto refuse = [](std::string why) { return ParsedRecordOptions{std::nullopt, std::move(why)}; };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        std::string value;
        bool hasValue = false;
        if (a.rfind("--", 0) == 0 && a.find('=') != std::string::npos) {
            value = a.substr(a.find('=') + 1);
            a = a.substr(0, a.find('='));
            hasValue = true;
        }
        auto take = [&](std::string& out) {
            if (hasValue) {
                out = value;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        if (a == "-h" || a == "--help") {
            o.action = RecordOptions::Action::Help;
        } else if (a == "--version") {
            o.action = RecordOptions::Action::Version;
        } else if (a == "--list-devices") {
            o.action = RecordOptions::Action::ListDevices;
        } else if (a == "-f" || a == "--format") {
            std::string v;
            if (!take(v)) return refuse("option " + a + " needs a format");
            o.format = formatCodeFromName(v);
            if (!o.format) return refuse("unknown format \"" + v + "\" (WAV, MP3, VOX, G721, G723, G726, G729, OGG, AC3 or AAC)");
        } else if (a == "-d" || a == "--device") {
            if (!take(o.device) || o.device.empty()) return refuse("option " + a + " needs a device name");
        } else if (a == "-t" || a == "--duration") {
            std::string v;
            if (!take(v)) return refuse("option " + a + " needs a duration");
            const auto d = parseDuration(v);
            if (!d) return refuse("invalid duration \"" + v + "\" (for example 90, 90s, 5m, 1h, 1:30)");
            o.seconds = *d;
        } else if (a == "-o" || a == "--output") {
            if (!take(o.output) || o.output.empty()) return refuse("option " + a + " needs a file name");
        } else {
            return refuse("unknown argument \"" + args[i] + "\"");
        }
    }
    return ParsedRecordOptions{o, {}};
}

} // namespace recorder
