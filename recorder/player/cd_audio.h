#pragma once
// Audio CDs as the player addresses them: "CDAUDIO:" is the whole disc in the
// first CD drive, and "<source>/Track NN.cda" is one track of the disc in a
// drive (a device such as /dev/sr0) or in a CD image (.cue, .bin, .toc, .nrg),
// which libcdio reads as if it were a drive.
//
// Sound is read through cd-paranoia, so scratches are retried a bounded
// number of times and then skipped rather than stalling playback, and comes
// out as 44100 Hz 16-bit stereo in host byte order. Every failure returns a
// sentence that names the drive or image and can be shown to the user as it
// is. Each call opens the drive or image and closes it again; a decoder keeps
// its own open for as long as it lives.

#include "recorder/components/decoders/decoder.h"

#include <memory>
#include <string>
#include <vector>

namespace recorder {

inline constexpr const char* kCdAudioAddress = "CDAUDIO:";

struct CdTrackEntry {
    // "<source>/Track 02.cda": the drive or image, "/", then "Track", a space and
    // the disc's own track number in two digits.
    std::string path;
    // The track's length, to the sector (1/75 s).
    double seconds = 0;
};

// The first CD drive (libcdio's default drive); "" with `why` when the
// machine has none.
std::string firstCdDrive(std::string& why);

// Whether `path` names a CD image that libcdio opens as a drive: .cue, .bin,
// .toc or .nrg, in any case.
bool isCdImage(const std::string& path);

// Whether `path` addresses CD audio: "CDAUDIO:" or a path ending in ".cda",
// in any case. Such paths go to openCdDecoder, never to the file decoders.
bool isCdAudioAddress(const std::string& path);

// The audio tracks of the disc in `source` (a drive or an image) in disc
// order, data tracks left out. Empty with `why` when there is no such drive
// or image, no disc, no audio track, or the disc cannot be read.
std::vector<CdTrackEntry> cdTracks(const std::string& source, std::string& why);

// A decoder for "CDAUDIO:" (every audio track of the first drive's disc, one
// after the other) or for "<source>/Track NN.cda" (that track alone; "Track01.cda"
// without the space is taken too). Positions count from the start of the
// track (or of the first track); seeking is exact to the frame. A sector
// paranoia cannot recover is skipped; when the drive stops answering
// altogether read() returns what it has and then 0. Null with `why` when
// the address is malformed or cdTracks would refuse the source, or the
// track is missing or holds data.
std::unique_ptr<Decoder> openCdDecoder(const std::string& address, std::string& why);

} // namespace recorder
