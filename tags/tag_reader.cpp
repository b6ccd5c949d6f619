#include "tags/tag_reader.h"

#include "tags/errors.h"
#include "tags/frame_ids.h"
#include "tags/opaque_frame.h"
#include "tags/tag_header.h"

#include <algorithm>

namespace tagmora {

namespace {

bool isIdCharacter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// How well a frame ending at q fits what a tag may hold there.
enum class Landing { None, Padding, Frame };

Landing landing(ByteView area, std::uint64_t declared, std::uint64_t q)
{
    if (q == declared) return Landing::Frame; // the end of the frames
    if (q > declared) return Landing::None;
    if (q >= area.size() || area.at(q) == 0) return Landing::Padding;
    if (declared - q < FrameHeader::kSize || !area.holds(q, 4)) return Landing::None;
    return std::all_of(area.begin() + q, area.begin() + q + 4, isIdCharacter) ? Landing::Frame : Landing::None;
}

bool landsWell(ByteView area, std::uint64_t declared, std::uint64_t q)
{
    return landing(area, declared, q) != Landing::None;
}

// The plain size unless the sync-safe reading of the same bytes fits better:
// a next frame beats padding, which beats nothing.
std::uint64_t chooseFrameSize(ByteView area, std::uint64_t declared, std::uint64_t p, const std::uint8_t* sizeBytes)
{
    std::uint64_t plain = plainSize(sizeBytes);
    std::uint64_t syncSafe = ByteToLong(sizeBytes);
    if (plain == syncSafe) return plain;
    std::uint64_t start = p + FrameHeader::kSize;
    return landing(area, declared, start + syncSafe) > landing(area, declared, start + plain) ? syncSafe : plain;
}

bool trimmedIdHasNul(const std::string& id)
{
    std::size_t first = id.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    std::size_t last = id.find_last_not_of(' ');
    return id.substr(first, last - first + 1).find('\0') != std::string::npos;
}

std::unique_ptr<Frame> parseFrame(const FrameHeader& header, ByteView body)
{
    FrameKind kind = GetFrameKind(header.sFrameID);
    const std::uint8_t stored = FrameHeader::kCompressed | FrameHeader::kEncrypted | FrameHeader::kGrouped;
    if (kind != FrameKind::Unsupported && !(header.bytFlags[1] & stored)) {
        auto frame = makeFrame(kind);
        frame->setFrameId(std::u16string(header.sFrameID.begin(), header.sFrameID.end()));
        frame->setFlags(ByteView(header.bytFlags.data(), 2));
        try {
            frame->parse(body);
            return frame;
        } catch (const TagError&) {
            // A body the kind cannot parse is kept as it is rather than lost.
        }
    }
    auto frame = std::make_unique<OpaqueFrame>();
    frame->setFrameId(std::u16string(header.sFrameID.begin(), header.sFrameID.end()));
    frame->setFlags(ByteView(header.bytFlags.data(), 2));
    frame->parse(body);
    return frame;
}

} // namespace

ByteVector resynchronise(ByteView bytes)
{
    ByteVector out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes.at(i));
        if (bytes.at(i) == 0xFF && i + 1 < bytes.size() && bytes.at(i + 1) == 0) ++i;
    }
    return out;
}

void walkFrames(ByteView area, std::uint64_t declared, FrameList& frames, std::string_view path)
{
    const std::uint64_t limit = std::min<std::uint64_t>(declared, area.size());
    std::uint64_t p = 0;
    while (p < declared && declared - p >= FrameHeader::kSize) {
        std::uint8_t raw[FrameHeader::kSize];
        for (std::size_t i = 0; i < FrameHeader::kSize; ++i) raw[i] = area.at(p + i);
        FrameHeader header = ExtractFrameHeader(ByteView(raw, sizeof raw));
        if (trimmedIdHasNul(header.sFrameID)) break;

        std::uint64_t fsize = chooseFrameSize(area, declared, p, raw + 4);
        std::uint64_t end = p + FrameHeader::kSize + fsize;
        if (fsize > 1024 && !IsValidFrameID(header.sFrameID) && !landsWell(area, declared, end)) break;
        if (end > limit) RaiseError(112, "ID3v2::ReadTag", {"%FILE%"}, {path});

        // A zero-size frame has no body to parse and is skipped.
        if (fsize > 0) frames.push_back(parseFrame(header, area.mid(p + FrameHeader::kSize, fsize)));
        p = end;
    }
}

bool readTag(ByteView fileStart, FrameList& frames, std::string_view path)
{
    auto header = ID3v2Header::parse(fileStart);
    if (!header || header->bytVersion != 3) return false;

    std::uint64_t declared = header->tagSize();
    ByteView area = fileStart.mid(ID3v2Header::kSize, declared);
    ByteVector resynchronised;
    if (header->bytFlags & ID3v2Header::kUnsynchronisation) {
        std::uint64_t missing = declared - area.size();
        resynchronised = resynchronise(area);
        area = ByteView(resynchronised);
        declared = area.size() + missing;
    }
    if (header->bytFlags & ID3v2Header::kExtendedHeader) {
        if (!area.holds(0, 4)) return true;
        std::uint64_t skip = 4 + std::uint64_t{plainSize(area.data())};
        if (!area.holds(0, skip)) return true;
        area = area.mid(skip);
        declared -= skip;
    }
    walkFrames(area, declared, frames, path);
    return true;
}

} // namespace tagmora
