#include "recorder/player/cd_audio.h"

#include "recorder/player/cd_disc.h"
#include "recorder/player/cd_log.h"
#include "recorder/player/cd_text.h"
#include "recorder/player/cd_track_decoder.h"

#include <cdio/memory.h>

#include <algorithm>
#include <cstdio>

namespace recorder {

using cdtext::capitalized;
using cdtext::lower;

namespace {

struct CdioFree {
    void operator()(char* p) const noexcept { cdio_free(p); }
};

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string trackName(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "Track %02d.cda", number);
    return name;
}

// Splits "<source>/Track NN.cda" (the space optional, any case). False when
// the last part is not a track name.
bool parseTrackAddress(const std::string& address, std::string& source, int& number)
{
    const std::size_t slash = address.rfind('/');
    source = slash == std::string::npos ? std::string() : address.substr(0, slash);
    const std::string name = lower(slash == std::string::npos ? address : address.substr(slash + 1));
    std::size_t at = 5;
    if (name.compare(0, at, "track") != 0) return false;
    if (at < name.size() && name[at] == ' ') ++at;
    const std::size_t digits = name.find_first_not_of("0123456789", at);
    if (digits == std::string::npos || digits == at || digits - at > 2 || name.substr(digits) != ".cda") return false;
    number = std::stoi(name.substr(at, digits - at));
    return true;
}

} // namespace

std::string firstCdDrive(std::string& why)
{
    installCdioLogHandler();
    const std::unique_ptr<char, CdioFree> device{cdio_get_default_device(nullptr)};
    if (!device || !*device) {
        why = "No CD drive was found.";
        return {};
    }
    return device.get();
}

bool isCdImage(const std::string& path)
{
    const std::string name = lower(path);
    return endsWith(name, ".cue") || endsWith(name, ".bin") || endsWith(name, ".toc") || endsWith(name, ".nrg");
}

bool isCdAudioAddress(const std::string& path)
{
    const std::string name = lower(path);
    return name == lower(kCdAudioAddress) || endsWith(name, ".cda");
}

std::vector<CdTrackEntry> cdTracks(const std::string& source, std::string& why)
{
    CdDisc disc;
    if (!disc.open(source, why)) return {};
    std::vector<CdTrackEntry> entries;
    for (const CdTrack& track : disc.tracks()) {
        if (track.audio)
            entries.push_back({source + "/" + trackName(track.number),
                               static_cast<double>(track.sectors()) / kCdSectorsPerSecond});
    }
    if (entries.empty()) why = capitalized(CdDisc::describe(source)) + " is not an audio CD.";
    return entries;
}

std::unique_ptr<Decoder> openCdDecoder(const std::string& address, std::string& why)
{
    const bool wholeDisc = lower(address) == lower(kCdAudioAddress);
    std::string source;
    int number = 0;
    if (wholeDisc) {
        source = firstCdDrive(why);
        if (source.empty()) return nullptr;
    } else if (!parseTrackAddress(address, source, number)) {
        why = address + " does not name a CD track; tracks are named like \"Track 01.cda\".";
        return nullptr;
    }

    CdDisc disc;
    if (!disc.open(source, why)) return nullptr;
    std::vector<CdTrack> tracks;
    std::string description;
    if (wholeDisc) {
        std::copy_if(disc.tracks().begin(), disc.tracks().end(), std::back_inserter(tracks),
                     [](const CdTrack& t) { return t.audio; });
        description = "CD audio, " + std::to_string(tracks.size()) + (tracks.size() == 1 ? " track" : " tracks");
    } else {
        const CdTrack* track = disc.track(number);
        if (!track) {
            why = capitalized(CdDisc::describe(source)) + " has no track " + std::to_string(number) + ".";
            return nullptr;
        }
        if (!track->audio) {
            why = "Track " + std::to_string(number) + " of " + CdDisc::describe(source) + " is not an audio track.";
            return nullptr;
        }
        tracks.push_back(*track);
        description = "CD audio track " + std::to_string(number);
    }
    return CdTrackDecoder::open(std::move(disc), std::move(tracks), description + ", 44100 Hz, 16 bit, stereo", why);
}

} // namespace recorder
