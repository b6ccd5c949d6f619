#pragma once
// The player window's arithmetic: the time labels, the position and balance
// knobs in twips, and the volume's level lines. Volume is in hundredths of a
// decibel (-10000 … 0) and balance from -10000 (left) to 10000 (right), as the
// media-player stand-in takes them.

#include <string>

namespace recorder {

namespace playerknobs {
inline constexpr int kPositionLeft = 120;   // the position knob's travel, twips
inline constexpr int kPositionTravel = 3540;
inline constexpr int kBalanceLeft = 900;    // the balance knob's travel, twips
inline constexpr int kBalanceRight = 1740;
inline constexpr int kVolumeStep = 130;     // per tick of a held "+" or "-"
inline constexpr int kVolumeMin = -10000;
inline constexpr int kVolumeMax = 0;
} // namespace playerknobs

// "03:07" for 187 seconds: whole minutes and the remaining seconds, two digits each.
std::string playerTimeText(double seconds);

// Where the position knob stands for `position` of `duration` seconds.
int positionKnobTwips(double position, double duration);
// The position, in whole seconds, a knob released at `knobTwips` seeks to.
int seekSeconds(int knobTwips, double duration);

// Lit level lines (0 … 6) for a volume.
int litLevelLines(int volume);
// The volume after one tick of "+" (up) or "-", kept within range.
int steppedVolume(int volume, bool up);

// The balance for the knob at `knobTwips`, and the side "Left", "Center" or "Right" it names.
int balanceForKnob(int knobTwips);
std::string balanceSide(int knobTwips);

} // namespace recorder
