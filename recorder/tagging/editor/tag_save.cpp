#include "recorder/tagging/editor/tag_save.h"

#include "recorder/tagging/clsID3v1.h"
#include "recorder/tagging/clsID3v23.h"
#include "recorder/tagging/editor/common_tag_fields.h"
#include "recorder/tagging/editor/grab_title.h"
#include "recorder/tagging/editor/tag_folder_scan.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include <unistd.h>

namespace recorder {

namespace {

using namespace tagfield;

// What one file gets beside the shown fields in a batch.
struct PerFile {
    bool keepOriginal = false;
    std::optional<int> track;
    std::optional<std::string> title;
};

bool blank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

std::uint8_t trackByte(long value) { return static_cast<std::uint8_t>(std::clamp(value, 0L, 255L)); }

std::string failureReason(const std::string& path, const char* tag, bool removing)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "the file is gone";
    if (::access(path.c_str(), R_OK) != 0) return "the file cannot be read";
    if (::access(path.c_str(), W_OK) != 0) return "the file is write-protected";
    return std::string("its ") + tag + (removing ? " could not be removed" : " could not be written");
}

// The title and the four text fields both versions carry (indexes 1 … 5).
template <class Tag, class Fields, class Take>
void applyShared(Tag& tag, const Fields& v, const PerFile& file, const Take& take)
{
    if (file.title) {
        if (take(*file.title)) tag.tagTitle(*file.title);
    } else if (take(v[kTitle])) {
        tag.tagTitle(v[kTitle]);
    }
    if (take(v[kArtist])) tag.tagArtist(v[kArtist]);
    if (take(v[kAlbum])) tag.tagAlbum(v[kAlbum]);
    if (take(v[kYear])) tag.tagYear(v[kYear]);
    if (take(v[kComments])) tag.tagComments(v[kComments]);
}

void apply(clsID3v1& tag, const TagEdits& edits, const PerFile& file)
{
    const auto& v = edits.v1;
    const auto take = [&](const std::string& text) { return !file.keepOriginal || !blank(text); };
    if (file.track) tag.tagTrack(trackByte(*file.track));
    else if (take(v[kTrack])) tag.tagTrack(trackByte(leadingNumber(v[kTrack])));
    applyShared(tag, v, file, take);
    // No selected genre is "no genre", not a wrapped number.
    if (edits.v1Genre >= 0) tag.tagGenre(static_cast<std::uint8_t>(std::min(edits.v1Genre, kNoV1Genre)));
    else if (!file.keepOriginal) tag.tagGenre(kNoV1Genre);
}

void apply(clsID3v23& tag, const TagEdits& edits, const PerFile& file)
{
    const auto& v = edits.v2;
    const auto take = [&](const std::string& text) { return !file.keepOriginal || !blank(text); };
    if (file.track) tag.tagTrack(std::to_string(*file.track));
    else if (take(v[kTrack])) tag.tagTrack(leadingNumber(v[kTrack]) > 0 ? v[kTrack] : std::string());
    applyShared(tag, v, file, take);
    if (take(v[kComposer])) tag.tagComposer(v[kComposer]);
    if (take(v[kOrigArtist])) tag.tagOrigArtist(v[kOrigArtist]);
    if (take(v[kCopyright])) tag.tagCopyright(v[kCopyright]);
    if (take(v[kURL])) tag.tagURL(v[kURL]);
    if (take(v[kEncodedBy])) tag.tagEncodedBy(v[kEncodedBy]);
    if (take(edits.v2Genre)) tag.tagGenre(edits.v2Genre);
}

void takeBack(TagFileRecord& record, const clsID3v1& tag)
{
    record.v1 = {tag.tagTrack() > 0 ? std::to_string(tag.tagTrack()) : std::string(), tag.tagTitle(), tag.tagArtist(),
                 tag.tagAlbum(), tag.tagYear(), tag.tagComments()};
    record.v1Genre = tag.tagGenre();
    record.hasV1 = true;
}

void takeBack(TagFileRecord& record, const clsID3v23& tag)
{
    record.v2 = {tag.tagTrack(),    tag.tagTitle(),      tag.tagArtist(),    tag.tagAlbum(),
                 tag.tagYear(),     tag.tagComments(),   tag.tagComposer(),  tag.tagOrigArtist(),
                 tag.tagCopyright(), tag.tagURL(),        tag.tagEncodedBy()};
    record.v2Genre = withoutGenreNumber(tag.tagGenre());
    record.hasV2 = true;
}

// A file that has no such tag has nothing to remove; only a real failure counts.
template <class Tag>
bool removed(Tag& tag)
{
    if (tag.RemoveTag()) return true;
    std::error_code ec;
    return std::filesystem::is_regular_file(tag.filename(), ec) && ::access(tag.filename().c_str(), R_OK) == 0 &&
           !tag.HasTag();
}

void forget(TagFileRecord& record, const clsID3v1&)
{
    record.v1 = {};
    record.v1Genre = 0;
    record.hasV1 = false;
}

void forget(TagFileRecord& record, const clsID3v23&)
{
    record.v2 = {};
    record.v2Genre.clear();
    record.hasV2 = false;
}

// Writes (or with `on` clear, removes) one tag version; a failure leaves that
// part of the record alone.
template <class Tag>
void saveVersion(TagFileRecord& record, bool on, const TagEdits& edits, const PerFile& file, const char* name,
                 std::vector<TagSaveFailure>& failures)
{
    Tag tag;
    tag.filename(record.path);
    if (on) {
        // The file's own tag first, so that what is not assigned keeps the file's value.
        tag.ReadTag();
        apply(tag, edits, file);
        if (tag.SaveTag()) takeBack(record, tag);
        else failures.push_back({record.path, failureReason(record.path, name, false)});
    } else if (removed(tag)) {
        forget(record, tag);
    } else {
        failures.push_back({record.path, failureReason(record.path, name, true)});
    }
}

void saveOne(TagFileRecord& record, const TagEdits& edits, const PerFile& file, std::vector<TagSaveFailure>& failures)
{
    saveVersion<clsID3v1>(record, edits.v1On, edits, file, "ID3v1 tag", failures);
    saveVersion<clsID3v23>(record, edits.v2On, edits, file, "ID3v2 tag", failures);
}

} // namespace

std::vector<TagSaveFailure> saveTagFile(TagFileRecord& record, const TagEdits& edits)
{
    std::vector<TagSaveFailure> failures;
    saveOne(record, edits, PerFile{}, failures);
    return failures;
}

std::vector<TagSaveFailure> saveTagBatch(const std::vector<TagFileRecord*>& records, const TagEdits& edits,
                                         const BatchOptions& options,
                                         const std::function<void(std::size_t, std::size_t)>& progress)
{
    std::vector<TagSaveFailure> failures;
    int counter = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        TagFileRecord& record = *records[i];
        // One track per file in list order, whichever versions are written.
        ++counter;
        PerFile file;
        file.keepOriginal = options.keepOriginal;
        if (options.trackFromIndex) file.track = counter;
        if (options.grabTitle) file.title = GrabTitle(record.path);
        saveOne(record, edits, file, failures);
        if (progress) progress(i + 1, records.size());
    }
    return failures;
}

std::string tagSaveFailureText(const std::vector<TagSaveFailure>& failures)
{
    std::string text = failures.size() == 1 ? "One file could not be saved:\n" : "Some files could not be saved:\n";
    for (const auto& f : failures) text += f.path + ": " + f.why + "\n";
    return text;
}

} // namespace recorder
