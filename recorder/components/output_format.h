#pragma once
// A recording format with every parameter resolved (defaults applied), as
// the select operations of AudioFile record it, and the checks that decide
// whether the encoders can take it.

#include "recorder/components/mp3_lame.h"

#include <cstdint>
#include <optional>
#include <string>

namespace recorder {

class AudioFormatSettings;

enum class Codec {
    None,
    Pcm,      // WAV PCM 16-bit
    ImaAdpcm, // WAV IMA ADPCM
    Gsm,      // WAV GSM 6.10
    Mulaw,    // WAV G.711 µ-law (the "DSP" coding)
    G721,     // WAV G.726 ADPCM, 4 bits
    G723,     // WAV G.726 ADPCM, 2..5 bits
    G726,     // WAV G.726 ADPCM, 2..5 bits
    G729,     // raw G.729
    Vox,      // raw Dialogic ADPCM
    Mp3,
    Vorbis,   // Ogg Vorbis
    Ac3,      // raw AC-3
    Aac,      // ADTS
};

enum class VorbisMode { Quality, Cbr, Managed };

struct OutputFormat {
    Codec codec = Codec::None;
    int sampleRate = 0; // what the encoder takes, and the capture rate
    int outputRate = 0; // the file's rate (MP3: LAME resamples for low bit rates)
    int channels = 0;
    int bitrate = 0;    // kbit/s: MP3, Ogg nominal, AC3, AAC
    int bits = 0;       // G.72x code size
    // Ogg Vorbis
    VorbisMode vorbisMode = VorbisMode::Quality;
    int minBitrate = 0, maxBitrate = 0;
    int quality = 0;    // hundredths
    // AC3 / AAC
    int layout = 0;     // channel layout code 1..9
    int aacObjectType = 0;
    int aacQuality = 0;
    // MP3: the LAME settings in force when the format was selected.
    MP3Lame lame;
};

// Each returns the resolved format, or nothing with `why` set.
std::optional<OutputFormat> pcmFormat(int rate, int channels, int bits, std::string& why);
std::optional<OutputFormat> gsmFormat(int rate, std::string& why);
std::optional<OutputFormat> adpcmFormat(int rate, int channels, std::string& why);
OutputFormat dspFormat();
std::optional<OutputFormat> vorbisFormat(int rate, int channels, int bitrate, int minBitrate, int maxBitrate,
                                         int quality, std::string& why);
std::optional<OutputFormat> g72xFormat(Codec codec, int rate, int bits, std::string& why);
std::optional<OutputFormat> g729Format(int rate, std::string& why);
std::optional<OutputFormat> voxFormat(int rate, std::string& why);
std::optional<OutputFormat> mp3Format(int rate, int bitrate, int channels, const MP3Lame& lame, std::string& why);
std::optional<OutputFormat> ac3Format(int rate, int bitrate, int layout, std::string& why);
std::optional<OutputFormat> aacFormat(const AudioFormatSettings& settings, std::string& why);

// The text a person reads: codec, rate, bit rate or bits, channels.
std::string describe(const OutputFormat& format);

} // namespace recorder
