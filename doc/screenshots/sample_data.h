#pragma once
// What the windows show in the manual's pictures: a few tagged MP3 files made
// by the program's own encoder and tag classes, and a small schedule.

#include <string>
#include <vector>

namespace screenshots {

// Writes short tagged MP3 files into `folder`; returns their paths (those
// that could be written).
std::vector<std::string> makeSampleSongs(const std::string& folder);

// Writes a schedule of planned recordings to the program's schedule file.
void writeSampleSchedule();

} // namespace screenshots
