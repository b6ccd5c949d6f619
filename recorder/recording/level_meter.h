#pragma once
// The level meters: a level in decibels (at or below 0) shifted into the
// meter's range 0 … maximum.

namespace recorder {

// The meters' maximum: the quietest reported level is -90 (16-bit words).
inline constexpr int kMeterMaximum = 90;

// While recording: the value a meter shows for a level (0 below one step).
int recordingMeterValue(int level, int maximum = kMeterMaximum);

// While playing: the value to show, or -1 to leave the meter as it is.
int playbackMeterValue(int level, int maximum = kMeterMaximum);

} // namespace recorder
