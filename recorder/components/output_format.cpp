#include "recorder/components/output_format.h"

#include "recorder/components/audio_format_settings.h"
#include "recorder/components/channel_layout.h"
#include "recorder/components/encoders/ffmpeg_muxed_encoder.h"
#include "recorder/components/encoders/ffmpeg_wav_encoder.h"
#include "recorder/components/encoders/lame_encoder.h"
#include "recorder/components/encoders/vorbis_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace recorder {

namespace {

int orDefault(int value, int fallback) { return value == 0 ? fallback : value; }

bool rateIn(int rate, int low, int high) { return rate >= low && rate <= high; }

std::string hz(int rate) { return std::to_string(rate) + " Hz"; }
std::string kbps(int k) { return std::to_string(k) + " kbit/s"; }

std::optional<OutputFormat> refuse(std::string& why, std::string text)
{
    why = std::move(text);
    return std::nullopt;
}

std::string mp3Mode(const OutputFormat& f)
{
    if (f.channels == 1) return "mono";
    switch (f.lame.ChannelMode()) {
    case 1: return "stereo";
    case 3: return "forced joint stereo";
    case 4: return "dual channel";
    default: return "joint stereo";
    }
}

std::string g72xBits(int rate, int bits)
{
    const long tenths = (static_cast<long>(rate) * bits + 50) / 100;
    std::string k = std::to_string(tenths / 10);
    if (tenths % 10) k += "." + std::to_string(tenths % 10);
    return std::to_string(bits) + " bit (" + k + " kbit/s)";
}

} // namespace

std::optional<OutputFormat> pcmFormat(int rate, int channels, int bits, std::string& why)
{
    rate = orDefault(rate, 44100);
    channels = orDefault(channels, 2);
    bits = orDefault(bits, 16);
    if (bits != 16) return refuse(why, "WAV PCM is recorded at 16 bits per sample.");
    if (!rateIn(rate, 1000, 192000)) return refuse(why, "WAV PCM cannot be recorded at " + hz(rate) + ".");
    if (channels < 1 || channels > 8) return refuse(why, "WAV PCM takes 1 to 8 channels.");
    OutputFormat f;
    f.codec = Codec::Pcm;
    f.sampleRate = f.outputRate = rate;
    f.channels = channels;
    return f;
}

std::optional<OutputFormat> gsmFormat(int rate, std::string& why)
{
    rate = orDefault(rate, 8000);
    if (rate != 8000) return refuse(why, "GSM 6.10 is recorded at 8000 Hz only.");
    OutputFormat f;
    f.codec = Codec::Gsm;
    f.sampleRate = f.outputRate = rate;
    f.channels = 1;
    return f;
}

std::optional<OutputFormat> adpcmFormat(int rate, int channels, std::string& why)
{
    rate = orDefault(rate, 44100);
    channels = orDefault(channels, 2);
    if (!rateIn(rate, 4000, 48000)) return refuse(why, "IMA ADPCM takes 4000 to 48000 Hz.");
    if (channels < 1 || channels > 2) return refuse(why, "IMA ADPCM takes 1 or 2 channels.");
    OutputFormat f;
    f.codec = Codec::ImaAdpcm;
    f.sampleRate = f.outputRate = rate;
    f.channels = channels;
    if (!FfmpegWavEncoder::check(f, why)) return std::nullopt;
    return f;
}

OutputFormat dspFormat()
{
    OutputFormat f;
    f.codec = Codec::Mulaw;
    f.sampleRate = f.outputRate = 8000;
    f.channels = 1;
    return f;
}

std::optional<OutputFormat> vorbisFormat(int rate, int channels, int bitrate, int minBitrate, int maxBitrate,
                                         int quality, std::string& why)
{
    OutputFormat f;
    f.codec = Codec::Vorbis;
    f.sampleRate = f.outputRate = orDefault(rate, 44100);
    f.channels = orDefault(channels, 2);
    if (!rateIn(f.sampleRate, 8000, 192000)) return refuse(why, "Ogg Vorbis cannot be recorded at " + hz(f.sampleRate) + ".");
    if (f.channels < 1 || f.channels > 2) return refuse(why, "Ogg Vorbis is recorded in mono or stereo.");
    if (quality >= 0) {
        if (quality > 1000) return refuse(why, "The Ogg Vorbis quality runs from 0 to 1000 (10.00).");
        f.vorbisMode = VorbisMode::Quality;
        f.quality = quality;
        f.bitrate = bitrate;
    } else if (quality == -1) {
        if (bitrate < 0 || minBitrate < 0 || maxBitrate < 0) return refuse(why, "A bit rate cannot be negative.");
        f.bitrate = orDefault(bitrate, 128);
        if (minBitrate == 0 && maxBitrate == 0) {
            f.vorbisMode = VorbisMode::Cbr;
        } else {
            f.vorbisMode = VorbisMode::Managed;
            // Only one bound given: the other stays open at the nominal rate.
            f.minBitrate = orDefault(minBitrate, std::min(f.bitrate, maxBitrate));
            f.maxBitrate = orDefault(maxBitrate, std::max(f.bitrate, minBitrate));
            if (f.minBitrate > f.maxBitrate) std::swap(f.minBitrate, f.maxBitrate);
            f.bitrate = std::clamp(f.bitrate, f.minBitrate, f.maxBitrate);
        }
    } else {
        return refuse(why, "The Ogg Vorbis quality is 0 to 1000, or -1 for a bit rate.");
    }
    if (!VorbisEncoder::check(f, why)) return std::nullopt;
    return f;
}

std::optional<OutputFormat> g72xFormat(Codec codec, int rate, int bits, std::string& why)
{
    OutputFormat f;
    f.codec = codec;
    f.sampleRate = f.outputRate = orDefault(rate, 8000);
    f.channels = 1;
    f.bits = codec == Codec::G721 ? 4 : orDefault(bits, codec == Codec::G723 ? 3 : 4);
    if (!rateIn(f.sampleRate, 4000, 48000)) return refuse(why, "G.72x ADPCM takes 4000 to 48000 Hz.");
    if (f.bits < 2 || f.bits > 5) return refuse(why, "G.72x ADPCM takes 2 to 5 bits a sample.");
    if (!FfmpegWavEncoder::check(f, why)) return std::nullopt;
    return f;
}

std::optional<OutputFormat> g729Format(int rate, std::string& why)
{
    if (rate < 0 || rate > 192000) return refuse(why, "G.729 cannot be recorded at " + hz(rate) + ".");
    OutputFormat f;
    f.codec = Codec::G729;
    f.sampleRate = f.outputRate = 8000;
    f.channels = 1;
    f.bitrate = 8;
    return f;
}

std::optional<OutputFormat> voxFormat(int rate, std::string& why)
{
    OutputFormat f;
    f.codec = Codec::Vox;
    f.sampleRate = f.outputRate = orDefault(rate, 8000);
    f.channels = 1;
    f.bits = 4;
    if (!rateIn(f.sampleRate, 4000, 48000)) return refuse(why, "VOX takes 4000 to 48000 Hz.");
    return f;
}

std::optional<OutputFormat> mp3Format(int rate, int bitrate, int channels, const MP3Lame& lame, std::string& why)
{
    OutputFormat f;
    f.codec = Codec::Mp3;
    f.sampleRate = orDefault(rate, 44100);
    f.bitrate = orDefault(bitrate, 128);
    f.channels = orDefault(channels, 2);
    f.lame = lame;
    if (!rateIn(f.sampleRate, 8000, 48000)) return refuse(why, "MP3 takes 8000 to 48000 Hz.");
    if (f.bitrate < 8 || f.bitrate > 320) return refuse(why, "MP3 takes 8 to 320 kbit/s.");
    if (f.channels < 1 || f.channels > 2) return refuse(why, "MP3 is recorded in mono or stereo.");
    LameHandle probe = configureLame(f, why);
    if (!probe) return std::nullopt;
    f.outputRate = lame_get_out_samplerate(probe.get());
    if (lame.VbrMethod() == -1) f.bitrate = lame_get_brate(probe.get());
    return f;
}

std::optional<OutputFormat> ac3Format(int rate, int bitrate, int layout, std::string& why)
{
    OutputFormat f;
    f.codec = Codec::Ac3;
    f.sampleRate = f.outputRate = orDefault(rate, 48000);
    f.bitrate = orDefault(bitrate, 192);
    f.layout = orDefault(layout, 2);
    const auto l = channelLayout(f.layout);
    if (!l) return refuse(why, "The AC3 channel layout is a code from 1 to 9.");
    f.channels = l->channels;
    if (f.sampleRate != 32000 && f.sampleRate != 44100 && f.sampleRate != 48000)
        return refuse(why, "AC3 takes 32000, 44100 or 48000 Hz.");
    static const int rates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, 512, 576, 640};
    if (std::find(std::begin(rates), std::end(rates), f.bitrate) == std::end(rates))
        return refuse(why, "AC3 has no bit rate of " + kbps(f.bitrate) +
                               "; it takes 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, "
                               "512, 576 or 640 kbit/s.");
    int used = 0;
    if (!FfmpegMuxedEncoder::check(f, used, why)) return std::nullopt;
    return f;
}

std::optional<OutputFormat> aacFormat(const AudioFormatSettings& s, std::string& why)
{
    OutputFormat f;
    f.codec = Codec::Aac;
    f.sampleRate = f.outputRate = s.SampleRate();
    f.layout = s.Channels();
    f.bitrate = s.Bitrate();
    f.aacQuality = s.Quality();
    f.aacObjectType = s.ObjectType();
    const auto l = channelLayout(f.layout);
    if (!l) return refuse(why, "The AAC channel layout is a code from 1 to 9.");
    f.channels = l->channels;
    int used = 0;
    if (!FfmpegMuxedEncoder::check(f, used, why)) return std::nullopt;
    f.bitrate = used;
    return f;
}

std::string describe(const OutputFormat& f)
{
    const std::string ch = channelsText(f.channels);
    switch (f.codec) {
    case Codec::None: return "";
    case Codec::Pcm: return "WAV PCM, " + hz(f.sampleRate) + ", 16 bit, " + ch;
    case Codec::ImaAdpcm: return "WAV IMA ADPCM, " + hz(f.sampleRate) + ", 4 bit, " + ch;
    case Codec::Gsm: return "WAV GSM 6.10, " + hz(f.sampleRate) + ", 13 kbit/s, " + ch;
    case Codec::Mulaw: return "WAV G.711 \xC2\xB5-law, " + hz(f.sampleRate) + ", 8 bit (64 kbit/s), " + ch;
    case Codec::G721: return "G.721 ADPCM, " + hz(f.sampleRate) + ", " + g72xBits(f.sampleRate, f.bits) + ", " + ch;
    case Codec::G723: return "G.723 ADPCM, " + hz(f.sampleRate) + ", " + g72xBits(f.sampleRate, f.bits) + ", " + ch;
    case Codec::G726: return "G.726 ADPCM, " + hz(f.sampleRate) + ", " + g72xBits(f.sampleRate, f.bits) + ", " + ch;
    case Codec::G729: return "G.729, 8000 Hz, 8 kbit/s, mono";
    case Codec::Vox: return "VOX Dialogic ADPCM, " + hz(f.sampleRate) + ", " + g72xBits(f.sampleRate, 4) + ", mono";
    case Codec::Mp3: {
        std::string rate = hz(f.outputRate);
        if (f.outputRate != f.sampleRate) rate += " (from " + hz(f.sampleRate) + ")";
        const MP3Lame& s = f.lame;
        std::string mode;
        if (s.VbrMethod() == -1)
            mode = kbps(f.bitrate) + " CBR";
        else if (s.VbrMethod() == 4)
            mode = "ABR " + kbps(s.AbrBitrate());
        else
            mode = "VBR quality " + std::to_string(s.VbrQuality()) + " (" + std::to_string(f.bitrate) + "-" +
                   kbps(std::max(s.MaxVbrBitrate(), f.bitrate)) + ")";
        return "MP3, " + rate + ", " + mode + ", " + mp3Mode(f);
    }
    case Codec::Vorbis: {
        std::string mode;
        if (f.vorbisMode == VorbisMode::Quality) {
            std::string q = std::to_string(f.quality / 100);
            if (f.quality % 100) {
                q += "." + std::to_string(f.quality % 100 / 10);
                if (f.quality % 10) q += std::to_string(f.quality % 10);
            }
            mode = "quality " + q;
        } else if (f.vorbisMode == VorbisMode::Cbr) {
            mode = kbps(f.bitrate) + " CBR";
        } else {
            mode = kbps(f.bitrate) + " VBR (" + std::to_string(f.minBitrate) + "-" + kbps(f.maxBitrate) + ")";
        }
        return "Ogg Vorbis, " + hz(f.sampleRate) + ", " + mode + ", " + ch;
    }
    case Codec::Ac3:
    case Codec::Aac: {
        const auto l = channelLayout(f.layout);
        const std::string layout = l ? l->name : ch;
        if (f.codec == Codec::Ac3) return "AC3, " + hz(f.sampleRate) + ", " + kbps(f.bitrate) + ", " + layout;
        const char* profile = f.aacObjectType == 1 ? "Main" : f.aacObjectType == 4 ? "LTP" : "LC";
        return std::string("AAC ") + profile + ", " + hz(f.sampleRate) + ", " + kbps(f.bitrate) + ", " + layout;
    }
    }
    return "";
}

} // namespace recorder
