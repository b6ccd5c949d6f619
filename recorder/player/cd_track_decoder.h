#pragma once
// Audio tracks of an open disc read through cd-paranoia as one stream:
// 44100 Hz, 16-bit stereo, the tracks one after another with frame 0 at the
// start of the first. Every position is exact: a seek lands on the frame
// asked for, not on a sector boundary.
//
// Paranoia verifies what it reads by reading it again and retries a sector it
// cannot verify a bounded number of times, then goes on with its best guess
// (silence at worst), so a scratch costs a short stall and a glitch rather
// than a hang. Only a drive that stops answering altogether (disc taken out)
// ends the stream early: read() then returns what it has, and 0 after that.

#include "recorder/components/decoders/decoder.h"
#include "recorder/player/cd_disc.h"

#include <cdio/paranoia/paranoia.h>

#include <array>
#include <vector>

namespace recorder {

struct ParanoiaFree {
    void operator()(cdrom_paranoia_t* paranoia) const noexcept;
};
using ParanoiaHandle = std::unique_ptr<cdrom_paranoia_t, ParanoiaFree>;

class CdTrackDecoder : public Decoder {
public:
    // Plays `tracks` (audio tracks of `disc`, in order; at least one) from
    // `disc`, which it keeps open. Null with `why` when paranoia cannot start.
    static std::unique_ptr<CdTrackDecoder> open(CdDisc disc, std::vector<CdTrack> tracks, std::string description,
                                                std::string& why);

    int sampleRate() const override { return kCdSampleRate; }
    int channels() const override { return 2; }
    std::int64_t totalFrames() const override { return totalFrames_; }
    std::size_t read(std::int16_t* out, std::size_t frames) override;
    bool seek(std::int64_t frame) override;
    std::string description() const override { return description_; }

private:
    CdTrackDecoder(CdDisc disc, std::vector<CdTrack> tracks, std::string description);
    // Brings sector `lsn` into sector_; false when the drive gave nothing.
    bool fetch(lsn_t lsn);

    CdDisc disc_;
    ParanoiaHandle paranoia_; // reads through disc_, so it is declared after it and freed first
    std::vector<CdTrack> tracks_;
    std::string description_;
    std::int64_t totalFrames_ = 0;
    std::int64_t position_ = 0;
    // The sector paranoia will read next without being moved.
    lsn_t cursor_ = -1;
    std::array<std::int16_t, CDIO_CD_FRAMESIZE_RAW / 2> sector_{};
    lsn_t sectorLsn_ = -1;
    bool failed_ = false;
};

} // namespace recorder
