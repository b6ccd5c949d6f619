#include "recorder/recording/settings_number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace recorder {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<double> number(std::string_view text)
{
    text = trim(text);
    if (text.empty()) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

template <class T>
std::optional<T> toInt(std::string_view text)
{
    auto v = number(text);
    if (!v) return std::nullopt;
    const double r = std::nearbyint(*v); // half to even in the default rounding mode
    if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max())) return std::nullopt;
    return static_cast<T>(r);
}

} // namespace

std::optional<std::int16_t> toInt16(std::string_view text) { return toInt<std::int16_t>(text); }
std::optional<std::int32_t> toInt32(std::string_view text) { return toInt<std::int32_t>(text); }

bool countsAs(std::string_view text, long long value)
{
    if (trim(text).empty()) return value == 0;
    auto v = number(text);
    return v && *v == double(value);
}

template <>
void convertInto(std::string_view text, std::int16_t& target)
{
    if (auto v = toInt16(text)) target = *v;
}

template <>
void convertInto(std::string_view text, std::int32_t& target)
{
    if (auto v = toInt32(text)) target = *v;
}

} // namespace recorder
