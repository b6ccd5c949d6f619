#include "tags/id3v2_tag.h"

#include "tags/errors.h"
#include "tags/file_functions.h"
#include "tags/frame_ids.h"
#include "tags/tag_header.h"
#include "tags/tag_reader.h"
#include "tags/tag_writer.h"
#include "tags/text_codec.h"

#include <algorithm>

namespace tagmora {

namespace {

bool knownVersion(const std::optional<ID3v2Header>& h) { return h && h->bytVersion >= 2 && h->bytVersion <= 4; }

// The bytes an "ID3" header of any version claims: header, frames and padding,
// and the footer of a v2.4 tag that has one.
std::optional<std::uint64_t> oldTagRegion(const FileHandle& file, const std::string& path, std::string_view source)
{
    auto header = ID3v2Header::parse(readAt(file, 0, ID3v2Header::kSize, path, source));
    if (!header) return std::nullopt;
    const bool footer = header->bytVersion == 4 && (header->bytFlags & ID3v2Header::kFooter);
    return ID3v2Header::kSize + std::uint64_t{header->tagSize()} + (footer ? ID3v2Header::kSize : 0);
}

std::u16string withoutNuls(std::u16string text)
{
    text.erase(std::remove(text.begin(), text.end(), u'\0'), text.end());
    return text;
}

} // namespace

void Id3v2Tag::readBytes(ByteView fileStart, std::string_view pathForMessages)
{
    frames_.clear();
    hasTag_ = false;
    // HasTag is True from the header on, even if a frame then proves broken.
    hasTag_ = knownVersion(ID3v2Header::parse(fileStart));
    readTag(fileStart, frames_, pathForMessages);
}

void Id3v2Tag::ReadTag(const std::string& path)
{
    frames_.clear();
    if (!FileExists(path)) RaiseError(109, "ID3v2::ReadTag", {"%FILE%"}, {path});
    FileHandle file = openForReading(path, "ID3v2::ReadTag");
    ByteVector start = readAt(file, 0, ID3v2Header::kSize, path, "ID3v2::ReadTag");
    auto header = ID3v2Header::parse(start);
    if (knownVersion(header)) {
        ByteVector rest = readAt(file, ID3v2Header::kSize, header->tagSize(), path, "ID3v2::ReadTag");
        append(start, rest);
    }
    file.close();
    readBytes(start, path);
}

namespace {

// A file about to be rewritten: checked, resolved, opened, its old tag found.
struct Rewrite {
    std::string real;
    FileHandle file;
    struct stat st {};
    bool readOnly = false;
    std::optional<std::uint64_t> oldRegion; // of an "ID3" header of any version
};

Rewrite openForRewrite(const std::string& path, bool ignoreReadOnly, const char* source)
{
    if (!FileExists(path)) RaiseError(109, source, {"%FILE%"}, {path});
    Rewrite r;
    r.readOnly = IsFileReadOnly(path);
    if (r.readOnly && !ignoreReadOnly) RaiseError(111, source, {"%FILE%"}, {path});
    r.real = resolvePath(path);
    r.file = openForReading(r.real, source);
    r.st = statOf(r.file, r.real, source);
    r.oldRegion = oldTagRegion(r.file, r.real, source);
    return r;
}

void checkPayload(const Rewrite& r, std::uint64_t payload, const std::string& path, const char* source)
{
    if (static_cast<std::uint64_t>(r.st.st_size) < payload) RaiseError(112, source, {"%FILE%"}, {path});
}

} // namespace

void Id3v2Tag::WriteTag(const std::string& path, bool ignoreReadOnly)
{
    Rewrite r = openForRewrite(path, ignoreReadOnly, "clsID3v2::WriteTag");
    checkReplaceable(r.real, r.st, r.readOnly, "clsID3v2::WriteTag");
    std::uint64_t payload = r.oldRegion.value_or(0);
    checkPayload(r, payload, path, "ID3v2::WriteTag");

    // A tag that fits the old one's place is written there: the audio is not copied.
    if (r.oldRegion && !r.readOnly) {
        if (auto tag = renderTagOfSize(frames_, static_cast<std::uint32_t>(payload - ID3v2Header::kSize))) {
            r.file.close();
            overwriteStart(r.real, ByteView(*tag), "clsID3v2::WriteTag");
            hasTag_ = true;
            return;
        }
    }
    ByteVector tag = renderTag(frames_, path, kGrowthRoom);
    replaceFile(r.real, r.file, r.st, tag, payload, r.readOnly, "clsID3v2::WriteTag");
    hasTag_ = true;
}

void Id3v2Tag::RemoveTag(const std::string& path, bool ignoreReadOnly)
{
    Rewrite r = openForRewrite(path, ignoreReadOnly, "clsID3v2::RemoveTag");
    if (!r.oldRegion) return;
    checkReplaceable(r.real, r.st, r.readOnly, "clsID3v2::RemoveTag");
    std::uint64_t payload = *r.oldRegion;
    checkPayload(r, payload, path, "clsID3v2::RemoveTag");

    replaceFile(r.real, r.file, r.st, {}, payload, r.readOnly, "clsID3v2::RemoveTag");
    frames_.clear();
    hasTag_ = false;
}

Frame* Id3v2Tag::findField(std::string_view id) const
{
    FrameKind kind = GetFrameKind(id);
    for (const auto& frame : frames_)
        if (frame->frameId() == id && frame->kind() == kind) return frame.get();
    return nullptr;
}

namespace {
constexpr std::int32_t kYearField = 5;
} // namespace

// v2.4 frames written into v2.3 tags (mutagen does so) carry the year in TDRC.
std::optional<std::u16string> Id3v2Tag::yearFromRecordingTime() const
{
    if (findField("TYER")) return std::nullopt;
    for (const auto& frame : frames_) {
        if (frame->frameId() != "TDRC" || (frame->flags()[1] & 0xE0)) continue;
        const ByteVector body = frame->render();
        if (body.empty()) return std::nullopt;
        return withoutNuls(decodeText(ByteView(body).mid(1), body[0])).substr(0, 4);
    }
    return std::nullopt;
}

std::u16string Id3v2Tag::GetFrameValue(std::int32_t field) const
{
    if (field == kYearField) {
        if (auto year = yearFromRecordingTime()) return *year;
    }
    const Frame* frame = findField(LookupFrameID(field));
    return frame ? withoutNuls(frame->data()) : std::u16string();
}

void Id3v2Tag::SetFrameValue(std::int32_t field, std::u16string_view text)
{
    std::string_view id = LookupFrameID(field);
    if (field == kYearField && !text.empty() && GetFrameValue(field) == text) return; // TDRC holds it already
    if (Frame* frame = findField(id)) {
        if (withoutNuls(frame->data()) == text) return;
        frame->setData(text);
        frame->chooseEncoding();
        return;
    }
    FrameKind kind = GetFrameKind(id);
    if (kind == FrameKind::Unsupported)
        RaiseError(108, "clsID3v2::setFrameValue", {"%FRAMEID%"}, {id});
    auto frame = makeFrame(kind);
    frame->setFrameId(std::u16string(id.begin(), id.end()));
    frame->setData(text);
    frame->chooseEncoding();
    frames_.push_back(std::move(frame));
}

} // namespace tagmora
