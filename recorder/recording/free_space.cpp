#include "recorder/recording/free_space.h"

#include <cctype>

#include <sys/statvfs.h>

namespace recorder {

std::optional<std::uint64_t> freeBytes(const std::string& folder)
{
    struct statvfs st {};
    if (::statvfs(folder.c_str(), &st) != 0) return std::nullopt;
    return std::uint64_t(st.f_bavail) * std::uint64_t(st.f_frsize);
}

double bytesPerSecond(const FormatInfo& format)
{
    const std::string& d = format.Description;
    const auto unit = d.rfind(" kbit/s");
    if (unit != std::string::npos) {
        auto begin = unit;
        while (begin > 0 && (std::isdigit(static_cast<unsigned char>(d[begin - 1])) || d[begin - 1] == '.')) --begin;
        if (begin < unit) {
            try {
                return std::stod(d.substr(begin, unit - begin)) * 1000.0 / 8.0;
            } catch (...) {
            }
        }
    }
    return double(format.SampleRate) * format.Channels * 2;
}

std::string lowSpaceNote(const std::string& folder, std::uint64_t free, double rate, int minutes)
{
    if (rate <= 0) return {};
    const double left = double(free) / rate / 60.0;
    if (left >= minutes) return {};
    const long whole = static_cast<long>(left);
    return "Only " + std::to_string(whole) + (whole == 1 ? " minute" : " minutes") + " of free space in " + folder;
}

} // namespace recorder
