#pragma once
// The file component: records the capture control's blocks into a file of the
// selected format, and reads any audio file back as 16-bit PCM blocks.
//
// Writing. SetFormat… only records a format (returning whether it is
// accepted); OpenWrite creates the file in the format selected last;
// WriteArray encodes one block; Close finishes the file. A zero parameter
// means that format's usual default. The file on disk is playable up to the
// last written block at every moment: WAV sizes are rewritten and the
// compressed frames reach the disk (fdatasync) at every block, so a crash or a
// power cut costs at most the block in flight. A failed write (disk full, file
// size limit, file removed) makes WriteArray return false with lastError();
// Close still leaves everything written before it playable.
//
// Reading. OpenRead decodes whatever FFmpeg reads (plus raw VOX, at the rate
// of the last SetFormatVOX, 8000 Hz when none) to interleaved 16-bit PCM at
// the file's own rate and channel count. ReadArray hands out blocks in the
// same layout as the capture control's arrays: a 40-byte
// WAVEFORMATEXTENSIBLE header, then the frames. Positions and amounts are
// milliseconds.
//
// Not thread-safe: one AudioFile belongs to one thread (the GUI thread).

#include "platform/com/safearray.h"
#include "recorder/components/format_info.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace recorder {

class AudioFormatSettings;
class MP3Lame;

class AudioFile {
public:
    AudioFile();
    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    // Opens a file for playback (closing whatever was open). False, with
    // lastError(), when it cannot be opened or holds no audio stream.
    bool OpenRead(const std::string& path);
    // Creates path in the format selected last (closing whatever was open).
    // `param` is accepted for the caller's sake (it passes 1000) and unused.
    // False, with lastError() such as "Cannot create /x/y.mp3: Permission denied".
    bool OpenWrite(const std::string& path, int param = 1000);
    // Finishes a recording (complete, playable file) or ends a playback.
    // Returns false when the file's last data could not be written (lastError()).
    bool Close();

    // Appends one capture array (40-byte header, then 16-bit PCM frames). The
    // header's rate and channel count must be the format's (CurrentFormat).
    // An empty array is accepted and writes nothing.
    bool WriteArray(SAFEARRAY* array);
    bool WriteArray(std::span<const std::uint8_t> bytes);

    // The next block of the open file: at most `count` bytes of PCM (whole
    // frames) after the header. Gives an empty array (and true) at the end.
    bool ReadArray(std::int32_t count, com::SafeArray& out);

    // Moves the reader to `position` ms (clamped to the file); `result` gets
    // the position reached. `unit` is accepted for the caller's sake (3).
    bool SeekPosition(std::int64_t position, int unit, std::int64_t& result);
    // Moves the reader to where a playback stands after `amount` ms have been
    // played: the caller counts played amounts from the start of the playback
    // across pauses; a SeekPosition re-bases them, so that after a seek to T
    // the amount A stands for T + (A - the amount passed last before the seek).
    bool SeekPlayed(std::int64_t amount, int unit, std::int64_t& result);

    // While a file is open for reading: its rate, channels, lengths and
    // position, and its Description until a format is selected meanwhile
    // (then the selection's, for the format dialogs). Otherwise the selected
    // format, with the length written so far while recording.
    FormatInfo CurrentFormat() const;

    bool SetFormatPCM(std::int32_t sampleRate, std::int32_t channels, std::int32_t bits = 16, std::int32_t reserved = 0);
    // GSM 6.10 in WAV: 8000 Hz mono only. A refused rate leaves no valid
    // format (empty Description) until the next accepted selection.
    bool SetFormatGSM(std::int32_t sampleRate);
    // IMA ADPCM in WAV, 4000..48000 Hz, 1 or 2 channels; refusal as SetFormatGSM.
    bool SetFormatADPCM(std::int32_t sampleRate, std::int32_t channels);
    // G.711 µ-law in WAV, 8000 Hz mono: the telephony WAV coding.
    bool SetFormatDSP();
    // Ogg Vorbis. quality ≥ 0 (hundredths, 0..1000: 300 is q3) selects quality
    // mode; quality -1 selects the bit rate: constant when min and max are 0,
    // else managed between them (swapped when given the wrong way round).
    bool SetFormatOgg(std::int32_t sampleRate, std::int32_t channels, std::int32_t bitrate, std::int32_t minBitrate,
                      std::int32_t maxBitrate, std::int32_t quality);
    // G.721: 4-bit G.726 ADPCM in WAV; G.723: 2..5-bit (selector) G.726 ADPCM in
    // WAV; G.726: 2..5 bits. Mono, 4000..48000 Hz.
    bool SetFormatG721(std::int32_t sampleRate);
    bool SetFormatG723(std::int32_t sampleRate, std::int32_t bits);
    bool SetFormatG726(std::int32_t sampleRate, std::int32_t bits);
    // Raw G.729 frames. The codec runs at 8000 Hz mono whatever rate is asked.
    bool SetFormatG729(std::int32_t sampleRate);
    // Raw Dialogic ADPCM, mono, 4000..48000 Hz. Also the rate VOX files are read at.
    bool SetFormatVOX(std::int32_t sampleRate);
    // MPEG audio layer III through LAME, with the settings of UseMp3Settings.
    bool SetFormatMP3(std::int32_t sampleRate, std::int32_t bitrate, std::int32_t channels);
    // Raw AC-3; channelLayout is the code 1..9 ("Mono" … "Dolby" = 5.1).
    bool SetFormatAC3(std::int32_t sampleRate, std::int32_t bitrate, std::int32_t channelLayout, std::int32_t reserved = 0);
    // AAC in ADTS, from the settings object's current values.
    bool SetFormatAAC(const AudioFormatSettings& settings);
    // Accepted and kept; the program passes 1.
    void SetMode(int mode);

    // The MP3 encoder settings that SetFormatMP3 and OpenWrite use (LAME's
    // defaults when none are given). Shared with the MP3 dialog.
    void UseMp3Settings(std::shared_ptr<const MP3Lame> settings);

    // Why the last failing call failed, in words for the user.
    const std::string& lastError() const;
    bool isWriting() const;
    bool isReading() const;

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

} // namespace recorder
