#include "doc/screenshots/sample_data.h"

#include "recorder/components/audio_array.h"
#include "recorder/components/audio_file.h"
#include "recorder/schedule/schedule_file.h"
#include "recorder/schedule/schedule_row.h"
#include "recorder/tagging/clsID3v1.h"
#include "recorder/tagging/clsID3v23.h"

#include <cmath>
#include <cstdint>
#include <iostream>
#include <numbers>

namespace screenshots {

namespace {

struct Song {
    const char* file;
    const char* title;
    const char* artist;
    const char* album;
    const char* year;
    int track;
    double hz;
};

constexpr Song kSongs[] = {
    {"01 - morning_interview.mp3", "Morning Interview", "Radio Velmor", "Field Recordings", "2026", 1, 440.0},
    {"02 - city_park.mp3", "City Park", "Radio Velmor", "Field Recordings", "2026", 2, 523.25},
    {"03 - evening_choir.mp3", "Evening Choir", "Radio Velmor", "Field Recordings", "2026", 3, 659.25},
};

constexpr int kRate = 44100;
constexpr int kChannels = 2;

// One second of a quiet stereo tone, 16-bit little-endian.
std::vector<std::uint8_t> tone(double hz)
{
    std::vector<std::uint8_t> pcm;
    pcm.reserve(kRate * kChannels * 2);
    for (int i = 0; i < kRate; ++i) {
        const auto s = static_cast<std::int16_t>(6000.0 * std::sin(2 * std::numbers::pi * hz * i / kRate));
        for (int c = 0; c < kChannels; ++c) {
            pcm.push_back(static_cast<std::uint8_t>(s & 0xFF));
            pcm.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
        }
    }
    return pcm;
}

bool encode(const std::string& path, double hz)
{
    recorder::AudioFile file;
    if (!file.SetFormatMP3(kRate, 128, kChannels) || !file.OpenWrite(path)) {
        std::cerr << "manual_screenshots: " << path << ": " << file.lastError() << "\n";
        return false;
    }
    com::SafeArray block = recorder::makeAudioArray(kRate, kChannels, tone(hz));
    const bool written = file.WriteArray(block.get());
    return file.Close() && written;
}

void tag(const std::string& path, const Song& song)
{
    recorder::clsID3v23 v2;
    v2.filename(path);
    v2.tagTitle(song.title);
    v2.tagArtist(song.artist);
    v2.tagAlbum(song.album);
    v2.tagYear(song.year);
    v2.tagTrack(std::to_string(song.track));
    v2.tagComments("Recorded with Velmor Sound Recorder");
    if (!v2.SaveTag()) std::cerr << "manual_screenshots: no ID3v2 tag written to " << path << "\n";

    recorder::clsID3v1 v1;
    v1.filename(path);
    v1.tagTitle(song.title);
    v1.tagArtist(song.artist);
    v1.tagAlbum(song.album);
    v1.tagYear(song.year);
    v1.tagTrack(static_cast<std::uint8_t>(song.track));
    if (!v1.SaveTag()) std::cerr << "manual_screenshots: no ID3v1 tag written to " << path << "\n";
}

} // namespace

std::vector<std::string> makeSampleSongs(const std::string& folder)
{
    std::vector<std::string> paths;
    for (const Song& song : kSongs) {
        const std::string path = folder + "/" + song.file;
        if (!encode(path, song.hz)) continue;
        tag(path, song);
        paths.push_back(path);
    }
    return paths;
}

void writeSampleSchedule()
{
    // Fixed dates, so that the pictures do not change from one run to the next.
    const std::vector<recorder::ScheduleRow> rows = {
        {"2026-03-02 07:00:00", "2026-03-02 07:30:00", "", recorder::kStatusDone, "Morning news"},
        {"2036-03-09 07:00:00", "2036-03-09 07:30:00", "", recorder::kStatusWaiting, "Morning news"},
        {"2036-03-12 20:00:00", "2036-03-12 22:15:00", "", recorder::kStatusWaiting, "Concert broadcast"},
    };
    if (const std::error_code ec = recorder::saveSchedule(recorder::scheduleFilePath(), rows))
        std::cerr << "manual_screenshots: the schedule could not be written: " << ec.message() << "\n";
}

} // namespace screenshots
