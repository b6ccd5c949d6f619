#include "recorder/player/audio_player_display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace recorder {

using namespace playerknobs;

std::string playerTimeText(double seconds)
{
    const long whole = std::isfinite(seconds) ? static_cast<long>(seconds) : 0;
    long minutes = whole / 60;
    long rest = whole % 60;
    if (rest < 0) rest = 0; // a position just before 0 shows 0 seconds
    if (minutes < 0) minutes = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld", minutes, rest);
    return text;
}

int positionKnobTwips(double position, double duration)
{
    if (!(duration > 0) || !std::isfinite(position)) return kPositionLeft;
    const double fraction = std::clamp(position / duration, 0.0, 1.0);
    return static_cast<int>(kPositionTravel * fraction) + kPositionLeft;
}

int seekSeconds(int knobTwips, double duration)
{
    if (!(duration > 0)) return 0;
    const int knob = std::clamp(knobTwips, kPositionLeft, kPositionLeft + kPositionTravel);
    return static_cast<int>(duration * (knob - kPositionLeft) / kPositionTravel);
}

int litLevelLines(int volume)
{
    // One line goes out at each step below full.
    constexpr int kSteps[] = {-1000, -1500, -2000, -3000, -5000, -7000};
    int lit = 0;
    for (int step : kSteps)
        if (volume >= step) ++lit;
    return lit;
}

int steppedVolume(int volume, bool up)
{
    return std::clamp(volume + (up ? kVolumeStep : -kVolumeStep), kVolumeMin, kVolumeMax);
}

int balanceForKnob(int knobTwips)
{
    const int knob = std::clamp(knobTwips, kBalanceLeft, kBalanceRight);
    const int middle = (kBalanceLeft + kBalanceRight) / 2;
    return (knob - middle) * 10000 / (middle - kBalanceLeft);
}

std::string balanceSide(int knobTwips)
{
    // A small band around the middle counts as centred, so the knob can find it.
    const int balance = balanceForKnob(knobTwips);
    if (balance < -500) return "Left";
    if (balance > 500) return "Right";
    return "Center";
}

} // namespace recorder
