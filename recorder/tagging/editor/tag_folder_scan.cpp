#include "recorder/tagging/editor/tag_folder_scan.h"

#include "recorder/fileutil/cls_file.h"
#include "recorder/fileutil/cls_find.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace recorder {

namespace {

const char* const kV1Names[tagfield::kV1Count] = {"TRACK", "TITLE", "ARTIST", "ALBUM", "YEAR", "COMMENT"};
const char* const kV2Ids[tagfield::kV2Count] = {"TRCK", "TIT2", "TPE1", "TALB", "TYER", "COMM",
                                                 "TCOM", "TOPE", "TCOP", "WXXX", "TENC"};

// The number a text starts with, as a genre number; 0 without one.
int genreNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min(value * 10 + (text[i] - '0'), 100000L);
    return static_cast<int>(std::clamp(value, 0L, long(kNoV1Genre)));
}

// Closes the reader's handle on every way out.
class OpenedForTags {
public:
    OpenedForTags(StreamTagReader& reader, const std::string& path)
        : reader_(reader), handle_(reader.GetStreamOpenFile(path, false))
    {
    }
    ~OpenedForTags()
    {
        if (handle_) reader_.GetStreamCloseFile(handle_);
    }
    OpenedForTags(const OpenedForTags&) = delete;
    OpenedForTags& operator=(const OpenedForTags&) = delete;
    std::string tag(int eTag, const char* name) { return handle_ ? reader_.GetStreamTag(handle_, eTag, name) : ""; }

private:
    StreamTagReader& reader_;
    std::int32_t handle_;
};

} // namespace

std::string withoutGenreNumber(const std::string& genre)
{
    if (genre.empty() || genre.front() != '(') return genre;
    const auto close = genre.find(')');
    return close == std::string::npos ? genre : genre.substr(close + 1);
}

TagFileRecord readTagFileRecord(StreamTagReader& reader, const std::string& path)
{
    TagFileRecord record;
    record.path = path;
    OpenedForTags file(reader, path);
    for (int i = 0; i < tagfield::kV1Count; ++i) record.v1[i] = file.tag(kTagID3v1, kV1Names[i]);
    record.v1Genre = genreNumber(file.tag(kTagID3v1, "GENRE"));
    for (int i = 0; i < tagfield::kV2Count; ++i) record.v2[i] = file.tag(kTagID3v2, kV2Ids[i]);
    const std::string genre = file.tag(kTagID3v2, "TCON");
    record.v2Genre = withoutGenreNumber(genre);

    const auto filled = [](const auto& fields) {
        return std::any_of(fields.begin(), fields.end(), [](const std::string& s) { return !s.empty(); });
    };
    record.hasV1 = filled(record.v1) || record.v1Genre != 0;
    record.hasV2 = filled(record.v2) || !genre.empty();
    return record;
}

std::vector<TagFileRecord> scanTagFolder(StreamTagReader& reader, const std::string& folder,
                                         const std::function<void(std::size_t, std::size_t)>& progress)
{
    clsFind find;
    find.Find(folder, "*.mp3", false);
    std::vector<TagFileRecord> records;
    records.reserve(find.Count());
    for (const clsFile& file : find) {
        records.push_back(readTagFileRecord(reader, file.sFilename()));
        if (progress) progress(records.size(), find.Count());
    }
    return records;
}

std::string tagsColumnText(const TagFileRecord& record)
{
    return std::string(record.hasV1 ? "ID3v1 " : "") + (record.hasV2 ? "ID3v2" : "");
}

std::string sizeColumnText(std::int64_t bytes)
{
    const auto kilobytes = static_cast<qlonglong>(std::llround(static_cast<double>(std::max<std::int64_t>(bytes, 0)) / 1024.0));
    return (QLocale().toString(kilobytes) + " kB").toStdString();
}

std::string dateColumnText(std::chrono::system_clock::time_point time)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms), QLocale::ShortFormat).toStdString();
}

} // namespace recorder
