#pragma once
// The libavfilter chain that applies a recording's filter settings: the text
// that avfilter_graph_parse (and `ffmpeg -af`) take.
//
// Order: notch, high-pass, low-pass, then the automatic gain, so that hum and
// out-of-band sound do not drive the gain. Every stage is zero-latency (IIR
// biquads, compand without look-ahead): a sample leaves the chain with the
// block it came in.

#include "recorder/recording/record_filter_settings.h"

#include <string>

namespace recorder {

// The Q of the notch: about 20 Hz wide at 50 Hz, nothing taken at 1 kHz.
inline constexpr double kNotchQ = 2.5;

// The chain for interleaved audio of `channels` channels; empty when the
// settings apply nothing.
std::string recordFilterChain(const RecordFilterSettings& settings, int channels);

} // namespace recorder
