#pragma once
// How stored settings texts turn into numbers.

#include <cstdint>
#include <optional>
#include <string_view>

namespace recorder {

// The runtime's text-to-integer conversion: surrounding spaces ignored, a
// decimal integer or decimal fraction (rounded half to even); nullopt for
// empty or non-numeric text and for values outside the width's range.
std::optional<std::int16_t> toInt16(std::string_view text);
std::optional<std::int32_t> toInt32(std::string_view text);

// The rule for settings compared as numbers: empty counts as 0, numeric text
// as its number, any other text is unequal to every number.
bool countsAs(std::string_view text, long long number);

// Converts into target when the text converts; otherwise target keeps its value.
template <class T>
void convertInto(std::string_view text, T& target);

} // namespace recorder
