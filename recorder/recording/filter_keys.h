#pragma once
// The filter and automatic-gain keys of settings.dat (section "other"): the
// record settings window writes them, every recording reads them.

#include "recorder/recording/settings_number.h"

#include <string_view>

namespace recorder::filterkeys {

inline constexpr const char* kSection = "other";

// In the order the window writes them.
inline constexpr const char* kNotch = "notch";
inline constexpr const char* kNotchText = "notchtxt";
inline constexpr const char* kHighPass = "highpass";
inline constexpr const char* kHighPassText = "highpasstxt";
inline constexpr const char* kLowPass = "lowpass";
inline constexpr const char* kLowPassText = "lowpasstxt";
inline constexpr const char* kAutoGain = "autogain";
inline constexpr const char* kLowLevel = "lowlevel";
inline constexpr const char* kHighLevel = "highlevel";
inline constexpr const char* kAttackTime = "attacktime";

// The ranges of the window's up-downs.
inline constexpr int kNotchMin = 40, kNotchMax = 200, kNotchStep = 10;
inline constexpr int kPassMin = 100, kPassMax = 44100, kPassStep = 100;
inline constexpr int kLevelMin = -90, kLevelMax = 0;
inline constexpr int kAttackMin = 50, kAttackMax = 200;

// A stored switch is on when it is 1, off for any other number, and on when
// it is empty or not a number (a switch never stored counts as on).
inline bool switchIsOn(std::string_view text)
{
    const auto n = toInt32(text);
    return !n || countsAs(text, 1);
}

} // namespace recorder::filterkeys
