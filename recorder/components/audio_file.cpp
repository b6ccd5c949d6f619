#include "recorder/components/audio_file.h"

#include "recorder/components/audio_array.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/components/decoders/decoder.h"
#include "recorder/components/encoders/encoder.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/components/output_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace recorder {

struct AudioFile::Impl {
    std::optional<OutputFormat> format;
    int voxRate = 8000;
    int mode = 0;
    std::shared_ptr<const MP3Lame> mp3;
    std::string lastError;

    // Writing
    std::unique_ptr<Encoder> encoder;
    OutputFormat writing;
    std::int64_t framesWritten = 0;
    bool writeFailed = false;
    std::vector<std::int16_t> aligned;

    // Reading
    std::unique_ptr<Decoder> decoder;
    std::string readPath;
    std::int64_t readFrame = 0;
    bool selectedWhileReading = false;
    std::int64_t seekBaseMs = 0;
    std::int64_t amountAtBase = 0;
    std::int64_t lastAmount = 0;

    // A fresh component records WAV PCM at 44100 Hz stereo.
    Impl() : format(dspFormat())
    {
        std::string why;
        format = pcmFormat(0, 0, 16, why);
    }

    bool select(std::optional<OutputFormat> f, const std::string& why, bool clearOnRefusal)
    {
        if (decoder) selectedWhileReading = true;
        if (f) {
            format = std::move(f);
            return true;
        }
        lastError = why;
        if (clearOnRefusal) format.reset();
        return false;
    }

    bool seekFrame(std::int64_t frame)
    {
        const std::int64_t total = decoder->totalFrames();
        frame = std::clamp<std::int64_t>(frame, 0, total >= 0 ? total : frame);
        if (decoder->seek(frame)) {
            readFrame = frame;
            return true;
        }
        // The container cannot seek: start again and decode up to the frame.
        std::string why;
        auto fresh = openDecoder(readPath, voxRate, why);
        if (!fresh) {
            lastError = why;
            return false;
        }
        decoder = std::move(fresh);
        std::vector<std::int16_t> scratch(4096 * static_cast<std::size_t>(decoder->channels()));
        std::int64_t done = 0;
        while (done < frame) {
            const auto want = static_cast<std::size_t>(std::min<std::int64_t>(4096, frame - done));
            const std::size_t got = decoder->read(scratch.data(), want);
            if (got == 0) break;
            done += static_cast<std::int64_t>(got);
        }
        readFrame = done;
        return true;
    }

    std::int64_t framesToMs(std::int64_t frames, int rate) const
    {
        return rate > 0 ? frames * 1000 / rate : 0;
    }
};

AudioFile::AudioFile() : d_(std::make_unique<Impl>()) {}
AudioFile::~AudioFile() { Close(); }

bool AudioFile::OpenRead(const std::string& path)
{
    Close();
    std::string why;
    d_->decoder = openDecoder(path, d_->voxRate, why);
    if (!d_->decoder) {
        d_->lastError = why;
        return false;
    }
    d_->readPath = path;
    d_->readFrame = 0;
    d_->selectedWhileReading = false;
    d_->seekBaseMs = d_->amountAtBase = d_->lastAmount = 0;
    return true;
}

bool AudioFile::OpenWrite(const std::string& path, int)
{
    Close();
    if (!d_->format) {
        d_->lastError = "No valid recording format is selected: choose the format's settings again.";
        return false;
    }
    auto encoder = makeEncoder(*d_->format);
    if (!encoder) {
        d_->lastError = "No valid recording format is selected.";
        return false;
    }
    if (!encoder->open(path)) {
        d_->lastError = encoder->error();
        return false;
    }
    d_->encoder = std::move(encoder);
    d_->writing = *d_->format;
    d_->framesWritten = 0;
    d_->writeFailed = false;
    return true;
}

bool AudioFile::Close()
{
    bool ok = true;
    if (d_->encoder) {
        const bool failedBefore = d_->writeFailed;
        ok = d_->encoder->finish() && !failedBefore;
        if (!ok && !failedBefore) d_->lastError = d_->encoder->error();
        d_->encoder.reset();
    }
    d_->decoder.reset();
    d_->readPath.clear();
    return ok;
}

bool AudioFile::WriteArray(SAFEARRAY* array) { return WriteArray(bytesOf(array)); }

bool AudioFile::WriteArray(std::span<const std::uint8_t> bytes)
{
    Impl& d = *d_;
    if (!d.encoder) {
        d.lastError = "No recording file is open.";
        return false;
    }
    if (d.writeFailed) return false;
    std::string why;
    const auto block = parseAudioArray(bytes, why);
    if (!block) {
        d.lastError = why;
        return false;
    }
    if (block->pcm.empty()) return true;
    if (block->sampleRate != d.writing.sampleRate || block->channels != d.writing.channels) {
        d.lastError = "The recorded audio (" + std::to_string(block->sampleRate) + " Hz, " +
                      std::to_string(block->channels) + " channels) does not match the file's format (" +
                      std::to_string(d.writing.sampleRate) + " Hz, " + std::to_string(d.writing.channels) +
                      " channels).";
        return false;
    }
    const std::size_t samples = block->pcm.size() / 2;
    const std::int16_t* pcm = reinterpret_cast<const std::int16_t*>(block->pcm.data());
    if (reinterpret_cast<std::uintptr_t>(block->pcm.data()) % alignof(std::int16_t) != 0) {
        d.aligned.resize(samples);
        std::memcpy(d.aligned.data(), block->pcm.data(), samples * 2);
        pcm = d.aligned.data();
    }
    if (!d.encoder->write({pcm, samples})) {
        d.writeFailed = true;
        d.lastError = d.encoder->error();
        return false;
    }
    d.framesWritten += static_cast<std::int64_t>(block->frames());
    return true;
}

bool AudioFile::ReadArray(std::int32_t count, com::SafeArray& out)
{
    Impl& d = *d_;
    out.reset();
    if (!d.decoder) {
        d.lastError = "No file is open for playback.";
        return false;
    }
    const int channels = d.decoder->channels();
    const std::size_t frameBytes = 2u * static_cast<std::size_t>(channels);
    const std::size_t frames = std::max<std::size_t>(1, static_cast<std::size_t>(std::max(count, 0)) / frameBytes);
    com::SafeArray block(VT_UI1, static_cast<ULONG>(kAudioArrayHeaderSize + frames * frameBytes));
    auto* bytes = block.data<std::uint8_t>();
    if (!bytes) {
        d.lastError = "Out of memory.";
        return false;
    }
    // The array's data is allocated with malloc's alignment, so the frames after the 40-byte header are aligned too.
    const std::size_t got = d.decoder->read(reinterpret_cast<std::int16_t*>(bytes + kAudioArrayHeaderSize), frames);
    d.readFrame += static_cast<std::int64_t>(got);
    if (got == 0) {
        out = com::SafeArray(VT_UI1, 0);
        return true;
    }
    writeAudioArrayHeader(bytes, d.decoder->sampleRate(), channels);
    if (got < frames) {
        SAFEARRAYBOUND bound{static_cast<ULONG>(kAudioArrayHeaderSize + got * frameBytes), 0};
        SafeArrayRedim(block.get(), &bound);
    }
    out = std::move(block);
    return true;
}

bool AudioFile::SeekPosition(std::int64_t position, int, std::int64_t& result)
{
    Impl& d = *d_;
    result = 0;
    if (!d.decoder) {
        d.lastError = "No file is open for playback.";
        return false;
    }
    const int rate = d.decoder->sampleRate();
    const bool ok = d.seekFrame(std::max<std::int64_t>(position, 0) * rate / 1000);
    result = d.framesToMs(d.readFrame, rate);
    d.seekBaseMs = result;
    d.amountAtBase = d.lastAmount;
    return ok;
}

bool AudioFile::SeekPlayed(std::int64_t amount, int, std::int64_t& result)
{
    Impl& d = *d_;
    result = 0;
    if (!d.decoder) {
        d.lastError = "No file is open for playback.";
        return false;
    }
    d.lastAmount = amount;
    const std::int64_t target = std::max<std::int64_t>(0, d.seekBaseMs + (amount - d.amountAtBase));
    const int rate = d.decoder->sampleRate();
    const bool ok = d.seekFrame(target * rate / 1000);
    result = d.framesToMs(d.readFrame, rate);
    return ok;
}

FormatInfo AudioFile::CurrentFormat() const
{
    const Impl& d = *d_;
    FormatInfo info;
    info.BitsPerSample = 16;
    info.BlockDivisor = 4.0;
    const std::string selected = d.format ? describe(*d.format) : std::string();
    if (d.decoder) {
        const int rate = d.decoder->sampleRate();
        info.SampleRate = rate;
        info.Channels = d.decoder->channels();
        info.TotalLength = d.framesToMs(std::max<std::int64_t>(d.decoder->totalFrames(), 0), rate);
        info.AudioLength = info.TotalLength;
        info.CurrentPosition = std::min(d.framesToMs(d.readFrame, rate), info.TotalLength);
        info.Description = d.selectedWhileReading ? selected : d.decoder->description();
        return info;
    }
    if (d.format) {
        info.SampleRate = d.format->sampleRate;
        info.Channels = d.format->channels;
    } else {
        info.SampleRate = 0;
        info.Channels = 0;
    }
    info.Description = selected;
    if (d.encoder) {
        info.TotalLength = info.AudioLength = info.CurrentPosition =
            d.framesToMs(d.framesWritten, d.writing.sampleRate);
    }
    return info;
}

bool AudioFile::SetFormatPCM(std::int32_t rate, std::int32_t channels, std::int32_t bits, std::int32_t)
{
    std::string why;
    auto f = pcmFormat(rate, channels, bits, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatGSM(std::int32_t rate)
{
    std::string why;
    auto f = gsmFormat(rate, why);
    return d_->select(std::move(f), why, true);
}

bool AudioFile::SetFormatADPCM(std::int32_t rate, std::int32_t channels)
{
    std::string why;
    auto f = adpcmFormat(rate, channels, why);
    return d_->select(std::move(f), why, true);
}

bool AudioFile::SetFormatDSP() { return d_->select(dspFormat(), "", false); }

bool AudioFile::SetFormatOgg(std::int32_t rate, std::int32_t channels, std::int32_t bitrate, std::int32_t minBitrate,
                             std::int32_t maxBitrate, std::int32_t quality)
{
    std::string why;
    auto f = vorbisFormat(rate, channels, bitrate, minBitrate, maxBitrate, quality, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatG721(std::int32_t rate)
{
    std::string why;
    auto f = g72xFormat(Codec::G721, rate, 4, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatG723(std::int32_t rate, std::int32_t bits)
{
    std::string why;
    auto f = g72xFormat(Codec::G723, rate, bits, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatG726(std::int32_t rate, std::int32_t bits)
{
    std::string why;
    auto f = g72xFormat(Codec::G726, rate, bits, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatG729(std::int32_t rate)
{
    std::string why;
    auto f = g729Format(rate, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatVOX(std::int32_t rate)
{
    std::string why;
    auto f = voxFormat(rate, why);
    if (f) d_->voxRate = f->sampleRate;
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatMP3(std::int32_t rate, std::int32_t bitrate, std::int32_t channels)
{
    std::string why;
    const MP3Lame defaults;
    auto f = mp3Format(rate, bitrate, channels, d_->mp3 ? *d_->mp3 : defaults, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatAC3(std::int32_t rate, std::int32_t bitrate, std::int32_t layout, std::int32_t)
{
    std::string why;
    auto f = ac3Format(rate, bitrate, layout, why);
    return d_->select(std::move(f), why, false);
}

bool AudioFile::SetFormatAAC(const AudioFormatSettings& settings)
{
    std::string why;
    auto f = aacFormat(settings, why);
    return d_->select(std::move(f), why, false);
}

void AudioFile::SetMode(int mode) { d_->mode = mode; }

void AudioFile::UseMp3Settings(std::shared_ptr<const MP3Lame> settings) { d_->mp3 = std::move(settings); }

const std::string& AudioFile::lastError() const { return d_->lastError; }
bool AudioFile::isWriting() const { return d_->encoder != nullptr; }
bool AudioFile::isReading() const { return d_->decoder != nullptr; }

} // namespace recorder
