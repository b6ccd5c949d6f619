#include "recorder/player/stream_tags.h"

#include "platform/com/bstr.h"
#include "recorder/fileutil/cut_at_nul.h"
#include "recorder/fileutil/latin1_text.h"
#include "tags/file_functions.h"
#include "tags/id3v2_tag.h"
#include "tags/text_codec.h"
#include "tags/zlib_inflate.h"

#include <algorithm>
#include <exception>

#include <fcntl.h>
#include <sys/stat.h>

namespace recorder {

namespace {

using tagmora::ByteVector;
using tagmora::ByteView;

// v2.3 format flags of the second flag byte.
constexpr std::uint8_t kCompressed = 0x80, kEncrypted = 0x40, kGrouped = 0x20;
constexpr std::size_t kInflateLimit = 16u << 20;

template <class Text>
Text trimmedSpaces(const Text& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == Text::npos) return Text();
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string spacedAndTrimmed(std::u16string s)
{
    for (char16_t& c : s)
        if (c == u'\0') c = u' ';
    return com::utf16ToUtf8(trimmedSpaces(s));
}

// The text after the last NUL (all of it when there is none).
std::u16string afterLastNul(const std::u16string& s)
{
    const auto nul = s.rfind(u'\0');
    return nul == std::u16string::npos ? s : s.substr(nul + 1);
}

// The body with the group symbol and compression undone; nothing for
// encrypted or broken compressed data. The reader already inflates the frames
// it parses; this covers the ones it keeps as they are.
std::optional<ByteVector> plainBody(const TagFrame& frame)
{
    const std::uint8_t format = frame.flags[1];
    if (format & kEncrypted) return std::nullopt;
    ByteView body(frame.body);
    if (format & kCompressed) {
        // The inflated size, then the group symbol, then the zlib data.
        const std::size_t skip = 4 + ((format & kGrouped) ? 1 : 0);
        if (!body.holds(0, skip)) return std::nullopt;
        return tagmora::inflateZlib(body.mid(skip), kInflateLimit);
    }
    if (format & kGrouped) body = body.mid(1);
    return body.toVector();
}

std::string commentText(ByteView body)
{
    if (body.size() < 4) return std::string();
    // Encoding byte and language, then description and text in that encoding.
    const std::uint8_t encoding = body.at(0);
    std::u16string text = tagmora::decodeText(body.mid(4), encoding);
    // Only a real terminator goes: another tagger may not have written one.
    if (!text.empty() && text.back() == u'\0') text.pop_back();
    return com::utf16ToUtf8(afterLastNul(text));
}

bool startsWithByteOrderMark(ByteView bytes)
{
    return bytes.size() >= 2 && ((bytes.at(0) == 0xFF && bytes.at(1) == 0xFE) || (bytes.at(0) == 0xFE && bytes.at(1) == 0xFF));
}

std::string urlText(const std::string& id, ByteView body)
{
    ByteView url = body;
    bool utf16 = false;
    if (id == "WXXX") {
        if (body.empty()) return std::string();
        const std::uint8_t encoding = body.at(0);
        const std::size_t end = tagmora::findTerminatorEnd(body, 1, encoding);
        if (end == ByteView::npos) return std::string(); // a description and no URL
        url = body.mid(end);
        // Some writers store the URL in the description's encoding.
        utf16 = tagmora::unitSize(encoding) == 2 && startsWithByteOrderMark(url);
    }
    std::u16string text = utf16 ? tagmora::decodeText(url, tagmora::kUtf16) : tagmora::latin1ToUtf16(url);
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return com::utf16ToUtf8(afterLastNul(text));
}

// The ID3v1 text of a fixed-width field.
std::string fieldText(const char* bytes, std::size_t width)
{
    constexpr std::size_t kMaxCharacters = 255;
    std::string_view raw(bytes, width);
    return latin1ToUtf8(trimmedSpaces(CutAtNul(raw.substr(0, kMaxCharacters))));
}

} // namespace

std::string id3v2FieldText(const TagFrame& frame)
{
    const auto body = plainBody(frame);
    if (!body || frame.id.empty()) return std::string();
    if (frame.id == "COMM") return commentText(*body);
    if (frame.id[0] == 'W') return urlText(frame.id, *body);
    if (frame.id[0] == 'T')
        return body->empty() ? std::string()
                             : spacedAndTrimmed(tagmora::decodeText(ByteView(*body).mid(1), body->front()));
    return spacedAndTrimmed(tagmora::latin1ToUtf16(*body));
}

std::optional<std::string> id3v1FieldText(const ID3v1Record& r, std::string_view name)
{
    // ID3v1.1 gives up the last two comment characters for a zero byte and the track.
    const bool v11 = r.zeroByte == 0;
    if (name == "TITLE") return fieldText(r.title.data(), r.title.size());
    if (name == "ARTIST") return fieldText(r.artist.data(), r.artist.size());
    if (name == "ALBUM") return fieldText(r.album.data(), r.album.size());
    if (name == "YEAR") return fieldText(r.year.data(), r.year.size());
    if (name == "COMMENT") {
        std::string comment(r.comment.data(), r.comment.size());
        if (!v11) {
            comment.push_back(static_cast<char>(r.zeroByte));
            comment.push_back(static_cast<char>(r.track));
        }
        return fieldText(comment.data(), comment.size());
    }
    if (name == "TRACK") return v11 && r.track != 0 ? std::to_string(r.track) : std::string();
    if (name == "GENRE") return std::to_string(r.genre);
    return std::nullopt;
}

std::optional<StreamTags> StreamTags::read(const std::string& path)
{
    {
        // Non-blocking, so that a FIFO is refused rather than waited on.
        tagmora::FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        struct stat st {};
        if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    }
    StreamTags tags;
    tagmora::Id3v2Tag v2;
    try {
        v2.ReadTag(path);
    } catch (const std::exception&) {
        // A damaged tag: the frames read before the damage are kept.
    }
    for (const auto& frame : v2.frames()) tags.id3v2.push_back({frame->frameId(), frame->flags(), frame->render()});
    clsID3v1 v1;
    v1.filename(path);
    if (v1.ReadTag()) tags.id3v1 = v1.record();
    return tags;
}

std::string StreamTags::field(std::int32_t type, std::string_view name) const
{
    if (type != kTagFieldId3v2) {
        if (!id3v1) return std::string();
        return id3v1FieldText(*id3v1, name).value_or(std::string());
    }
    for (const TagFrame& frame : id3v2)
        if (frame.id == name) return id3v2FieldText(frame);
    return std::string();
}

} // namespace recorder
