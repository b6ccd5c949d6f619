#include "recorder/player/cd_disc.h"

#include "recorder/player/cd_audio.h"
#include "recorder/player/cd_log.h"
#include "recorder/player/cd_text.h"

#include <cdio/memory.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace recorder {

using cdtext::capitalized;
using cdtext::lower;
namespace fs = std::filesystem;

void CdIoClose::operator()(CdIo_t* cdio) const noexcept { cdio_destroy(cdio); }

void CddaClose::operator()(cdrom_drive_t* drive) const noexcept { cdio_cddap_close_no_free_cdio(drive); }

namespace {

driver_id_t imageDriver(const std::string& path)
{
    const std::string ext = lower(fs::path(path).extension().string());
    if (ext == ".toc") return DRIVER_CDRDAO;
    if (ext == ".nrg") return DRIVER_NRG;
    return DRIVER_BINCUE;
}

struct CdioFree {
    void operator()(char* p) const noexcept { cdio_free(p); }
};
using CdioString = std::unique_ptr<char, CdioFree>;

// The files a cue sheet names on its FILE lines, relative to its folder.
std::vector<fs::path> cueFiles(const std::string& cuePath)
{
    constexpr std::size_t kMaxLines = 10000;
    std::vector<fs::path> files;
    std::ifstream in(cuePath);
    std::string line;
    for (std::size_t n = 0; n < kMaxLines && std::getline(in, line); ++n) {
        std::size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || lower(line.substr(at, 5)) != "file ") continue;
        at = line.find_first_not_of(" \t", at + 5);
        if (at == std::string::npos) continue;
        std::string name;
        if (line[at] == '"') {
            const std::size_t end = line.find('"', at + 1);
            if (end == std::string::npos) continue;
            name = line.substr(at + 1, end - at - 1);
        } else {
            name = line.substr(at, line.find_first_of(" \t\r", at) - at);
        }
        if (name.empty()) continue;
        fs::path file(name);
        files.push_back(file.is_relative() ? fs::path(cuePath).parent_path() / file : file);
    }
    return files;
}

// libcdio only says that an image failed to open. A cue sheet whose data
// file was not copied along, or was renamed, is the common case and is worth
// naming: libcdio reads the sound from the file named like the cue sheet
// (disc.cue, disc.bin) whatever the sheet's FILE line says.
std::string cueOpenFailure(const std::string& image, const std::string& cue)
{
    const CdioString data{cdio_is_cuefile(cue.c_str())}; // null when the sheet does not parse
    const std::vector<fs::path> named = cueFiles(cue);
    std::error_code ec;
    if (data && !named.empty()) {
        for (const fs::path& file : named) {
            if (!fs::exists(file, ec))
                return "The CD image " + image + " names the file " + file.string() + ", which does not exist.";
        }
        if (!fs::exists(data.get(), ec))
            return "The CD image " + image + " can be read only with its data file named " + data.get() + ".";
    }
    return "The CD image " + image + " is damaged and cannot be read.";
}

std::string imageOpenFailure(const std::string& path)
{
    const std::string ext = lower(fs::path(path).extension().string());
    if (ext == ".cue") return cueOpenFailure(path, path);
    if (ext == ".bin") {
        // A data file is read through the cue sheet named like it.
        const CdioString cue{cdio_is_binfile(path.c_str())};
        std::error_code ec;
        if (cue && !fs::exists(cue.get(), ec))
            return "The CD image " + path + " has no cue sheet " + cue.get() + " beside it.";
        if (cue) return cueOpenFailure(path, cue.get());
    }
    return "The CD image " + path + " is damaged and cannot be read.";
}

} // namespace

std::string CdDisc::describe(const std::string& source)
{
    return isCdImage(source) ? "the CD image " + source : "the disc in the CD drive " + source;
}

const CdTrack* CdDisc::track(int number) const
{
    const auto it = std::find_if(tracks_.begin(), tracks_.end(), [&](const CdTrack& t) { return t.number == number; });
    return it == tracks_.end() ? nullptr : &*it;
}

bool CdDisc::open(const std::string& source, std::string& why)
{
    if (drive_) {
        why = "The disc is already open.";
        return false;
    }
    installCdioLogHandler();
    if (source.empty()) {
        why = "No CD drive or CD image was named.";
        return false;
    }
    const bool image = isCdImage(source);
    std::error_code ec;
    const fs::file_status status = fs::status(source, ec);
    if (!fs::exists(status)) {
        why = image ? "The CD image " + source + " does not exist." : "There is no CD drive " + source + ".";
        return false;
    }
    if (image ? !fs::is_regular_file(status) : !fs::is_block_file(status) && !fs::is_character_file(status)) {
        why = source + " is neither a CD drive nor a CD image.";
        return false;
    }

    CdIoHandle cdio{cdio_open(source.c_str(), image ? imageDriver(source) : DRIVER_DEVICE)};
    if (!cdio) {
        why = image ? imageOpenFailure(source) : "The CD drive " + source + " cannot be opened.";
        return false;
    }
    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        why = image ? "The CD image " + source + " holds no tracks." : "There is no disc in the CD drive " + source + ".";
        return false;
    }
    bool anyAudio = false;
    for (int t = first; t < first + count && !anyAudio; ++t)
        anyAudio = cdio_get_track_format(cdio.get(), static_cast<track_t>(t)) == TRACK_FORMAT_AUDIO;
    if (!anyAudio) {
        why = capitalized(describe(source)) + " is not an audio CD.";
        return false;
    }

    CddaHandle drive{cdio_cddap_identify_cdio(cdio.get(), CDDA_MESSAGE_FORGETIT, nullptr)};
    if (!drive) {
        why = capitalized(describe(source)) + " cannot be read as audio.";
        return false;
    }
    // Audio sectors come little-endian from every MMC drive and from BINARY
    // images. Left unset, paranoia guesses the order from the sound of the
    // first tracks, and tracks that are loud or noisy can make it guess wrong
    // and swap the bytes of the whole disc.
    drive->bigendianp = 0;
    if (cdio_cddap_open(drive.get()) != 0) {
        why = capitalized(describe(source)) + " cannot be read as audio.";
        return false;
    }

    std::vector<CdTrack> tracks;
    for (int t = first; t < first + count; ++t) {
        CdTrack track;
        track.number = t;
        const auto number = static_cast<track_t>(t);
        const int audio = cdio_cddap_track_audiop(drive.get(), number);
        if (audio < 0) {
            why = capitalized(describe(source)) + " has a damaged table of contents.";
            return false;
        }
        if (audio == 1) {
            track.audio = true;
            track.first = cdio_cddap_track_firstsector(drive.get(), number);
            track.last = cdio_cddap_track_lastsector(drive.get(), number);
            if (track.first < 0 || track.last < track.first) {
                why = capitalized(describe(source)) + " has a damaged table of contents.";
                return false;
            }
        }
        tracks.push_back(track);
    }

    source_ = source;
    tracks_ = std::move(tracks);
    cdio_ = std::move(cdio);
    drive_ = std::move(drive);
    return true;
}

} // namespace recorder
