#pragma once
// The disc in a CD drive or CD image, opened for reading its audio: libcdio
// opens the drive or image, cd-paranoia's reader takes its table of contents.
// open() refuses, with a sentence for the user naming the drive or image,
// anything it could not play from: no such drive or image, a damaged image,
// no disc, no audio track, an unreadable table of contents. It can be moved
// but not assigned, so the drive always closes before the libcdio handle it
// reads through.

#include <cdio/paranoia/cdda.h>

#include <memory>
#include <string>
#include <vector>

namespace recorder {

struct CdIoClose {
    void operator()(CdIo_t* cdio) const noexcept;
};
struct CddaClose {
    void operator()(cdrom_drive_t* drive) const noexcept;
};
using CdIoHandle = std::unique_ptr<CdIo_t, CdIoClose>;
using CddaHandle = std::unique_ptr<cdrom_drive_t, CddaClose>;

inline constexpr int kCdFramesPerSector = CDIO_CD_FRAMESIZE_RAW / 4; // 16-bit stereo
inline constexpr int kCdSectorsPerSecond = CDIO_CD_FRAMES_PER_SEC;
inline constexpr int kCdSampleRate = kCdFramesPerSector * kCdSectorsPerSecond;

struct CdTrack {
    int number = 0;
    bool audio = false;
    // Sectors, both included; meaningful for audio tracks only.
    lsn_t first = 0;
    lsn_t last = -1;
    long sectors() const { return audio ? last - first + 1 : 0; }
};

class CdDisc {
public:
    CdDisc() = default;
    CdDisc(CdDisc&&) = default;
    CdDisc& operator=(CdDisc&&) = delete;

    // Once only; false with `why` as above.
    bool open(const std::string& source, std::string& why);

    const std::string& source() const { return source_; }
    // Every track, data tracks too, in disc order.
    const std::vector<CdTrack>& tracks() const { return tracks_; }
    // Null when there is no track with that number.
    const CdTrack* track(int number) const;
    // Open and with at least one audio track once open() has succeeded.
    cdrom_drive_t* drive() const { return drive_.get(); }

    // "the CD image /x/disc.cue" or "the disc in the CD drive /dev/sr0", to
    // build messages on.
    static std::string describe(const std::string& source);

private:
    std::string source_;
    std::vector<CdTrack> tracks_;
    CdIoHandle cdio_;
    CddaHandle drive_; // refers to cdio_, so it is declared after it and closes first
};

} // namespace recorder
