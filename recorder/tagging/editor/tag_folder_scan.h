#pragma once
// Listing a folder in the tag editor: its MP3 files, each with the fields of
// its two tag versions, and the texts of the list's columns.

#include "recorder/tagging/editor/stream_tag_reader.h"
#include "recorder/tagging/editor/tag_file_record.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace recorder {

// The fields of one file, read through `reader`; a file it cannot open has
// neither tag.
TagFileRecord readTagFileRecord(StreamTagReader& reader, const std::string& path);

// The MP3 files of `folder` ("*.mp3" in any case, not descending), in list
// order. `progress(done, total)` runs after each file.
std::vector<TagFileRecord> scanTagFolder(StreamTagReader& reader, const std::string& folder,
                                         const std::function<void(std::size_t, std::size_t)>& progress = {});

// "ID3v1 ID3v2", "ID3v1 ", "ID3v2" or "".
std::string tagsColumnText(const TagFileRecord& record);
// Whole kilobytes with the locale's digit grouping: "1,235 kB".
std::string sizeColumnText(std::int64_t bytes);
// The last-write time in the locale's short date and time form.
std::string dateColumnText(std::chrono::system_clock::time_point time);

// An ID3v2 genre as the editor shows it: "(17)Rock" gives "Rock".
std::string withoutGenreNumber(const std::string& genre);

} // namespace recorder
