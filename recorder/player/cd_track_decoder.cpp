#include "recorder/player/cd_track_decoder.h"

#include "recorder/player/cd_text.h"

#include <algorithm>
#include <cstring>

namespace recorder {

void ParanoiaFree::operator()(cdrom_paranoia_t* paranoia) const noexcept { cdio_paranoia_free(paranoia); }

namespace {

// Verify and overlap, but give up on a sector after kMaxRetries and go on.
constexpr int kParanoiaMode = PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP;
// Paranoia weighs giving up only on every fifth retry: keep this a multiple of 5.
constexpr int kMaxRetries = 10;
// Sectors paranoia reads in one pass. Its default (1200, 16 s of sound) suits
// ripping; the player reads on the GUI thread with about a second queued, so
// one pass (read at least twice to verify) must stay well under that on a
// slow drive.
constexpr int kReadPassSectors = 150;

// Paranoia calls back on some paths without checking for null.
void ignoreProgress(long, paranoia_cb_mode_t) {}

} // namespace

CdTrackDecoder::CdTrackDecoder(CdDisc disc, std::vector<CdTrack> tracks, std::string description)
    : disc_(std::move(disc)), tracks_(std::move(tracks)), description_(std::move(description))
{
    for (const CdTrack& track : tracks_) totalFrames_ += std::int64_t{track.sectors()} * kCdFramesPerSector;
}

std::unique_ptr<CdTrackDecoder> CdTrackDecoder::open(CdDisc disc, std::vector<CdTrack> tracks, std::string description,
                                                     std::string& why)
{
    if (!disc.drive()) {
        why = "No CD drive or CD image is open.";
        return nullptr;
    }
    if (tracks.empty() || !std::all_of(tracks.begin(), tracks.end(), [](const CdTrack& t) { return t.audio; })) {
        why = cdtext::capitalized(CdDisc::describe(disc.source())) + " has no audio track to play.";
        return nullptr;
    }
    std::unique_ptr<CdTrackDecoder> decoder(new CdTrackDecoder(std::move(disc), std::move(tracks), std::move(description)));
    decoder->paranoia_.reset(cdio_paranoia_init(decoder->disc_.drive()));
    if (!decoder->paranoia_) {
        why = "Cannot read " + CdDisc::describe(decoder->disc_.source()) + ": out of memory.";
        return nullptr;
    }
    cdio_paranoia_modeset(decoder->paranoia_.get(), kParanoiaMode);
    cdio_paranoia_cachemodel_size(decoder->paranoia_.get(), kReadPassSectors);
    return decoder;
}

bool CdTrackDecoder::fetch(lsn_t lsn)
{
    if (lsn != cursor_ && cdio_paranoia_seek(paranoia_.get(), lsn, SEEK_SET) < 0) {
        cursor_ = -1;
        return false;
    }
    cursor_ = lsn;
    const std::int16_t* samples = cdio_paranoia_read_limited(paranoia_.get(), ignoreProgress, kMaxRetries);
    if (!samples) {
        cursor_ = -1;
        return false;
    }
    std::copy_n(samples, sector_.size(), sector_.begin());
    sectorLsn_ = lsn;
    cursor_ = lsn + 1;
    return true;
}

std::size_t CdTrackDecoder::read(std::int16_t* out, std::size_t frames)
{
    std::size_t done = 0;
    while (done < frames && position_ < totalFrames_ && !failed_) {
        std::int64_t offset = position_;
        auto track = tracks_.begin();
        while (offset >= std::int64_t{track->sectors()} * kCdFramesPerSector) {
            offset -= std::int64_t{track->sectors()} * kCdFramesPerSector;
            ++track;
        }
        const auto lsn = static_cast<lsn_t>(track->first + offset / kCdFramesPerSector);
        const auto within = static_cast<std::size_t>(offset % kCdFramesPerSector);
        if (lsn != sectorLsn_ && !fetch(lsn)) {
            failed_ = true;
            break;
        }
        const std::size_t n = std::min(frames - done, kCdFramesPerSector - within);
        std::memcpy(out + 2 * done, sector_.data() + 2 * within, n * 2 * sizeof(std::int16_t));
        done += n;
        position_ += static_cast<std::int64_t>(n);
    }
    return done;
}

bool CdTrackDecoder::seek(std::int64_t frame)
{
    position_ = std::clamp<std::int64_t>(frame, 0, totalFrames_);
    failed_ = false; // a drive that failed once may answer again
    return true;
}

} // namespace recorder
