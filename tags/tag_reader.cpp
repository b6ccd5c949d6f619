#include "tags/tag_reader.h"

#include "tags/errors.h"
#include "tags/frame_ids.h"
#include "tags/opaque_frame.h"
#include "tags/tag_header.h"
#include "tags/zlib_inflate.h"

#include <algorithm>
#include <optional>

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
    if (declared - q < FrameHeader::kSize || !area.holds(q, FrameHeader::kSize)) return Landing::None;
    if (!std::all_of(area.begin() + q, area.begin() + q + 4, isIdCharacter)) return Landing::None;
    // A frame header, not just four capitals inside some frame's data: its size must fit the tag.
    const std::uint64_t room = declared - q - FrameHeader::kSize;
    const bool fits = plainSize(area.data() + q + 4) <= room || ByteToLong(area.data() + q + 4) <= room;
    return fits ? Landing::Frame : Landing::None;
}

bool landsWell(ByteView area, std::uint64_t declared, std::uint64_t q)
{
    return landing(area, declared, q) != Landing::None;
}

// The plain size unless the sync-safe reading of the same bytes fits better:
// a next frame beats padding, which beats nothing.
// v2.4 states sizes sync-safe, so there the plain reading must land better.
std::uint64_t chooseFrameSize(ByteView area, std::uint64_t declared, std::uint64_t p, const std::uint8_t* sizeBytes,
                              bool syncSafeFirst)
{
    std::uint64_t plain = plainSize(sizeBytes);
    std::uint64_t syncSafe = ByteToLong(sizeBytes);
    if (plain == syncSafe) return plain;
    std::uint64_t start = p + FrameHeader::kSize;
    const Landing a = landing(area, declared, start + syncSafe), b = landing(area, declared, start + plain);
    if (syncSafeFirst) return b > a ? plain : syncSafe;
    return a > b ? syncSafe : plain;
}

constexpr std::size_t kInflateLimit = 64u << 20;

[[noreturn]] void damaged(std::string_view path) { RaiseError(112, "ID3v2::ReadTag", {"%FILE%"}, {path}); }

std::uint32_t syncSafeAt(ByteView b) { return ByteToLong(b.data()); }

bool trimmedIdHasNul(const std::string& id)
{
    std::size_t first = id.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    std::size_t last = id.find_last_not_of(' ');
    return id.substr(first, last - first + 1).find('\0') != std::string::npos;
}

// A v2.4 frame's body as v2.3 frames: prefix bytes, unsynchronisation, the
// data length indicator and compression undone; encrypted data kept as it is.
void addV24Frame(const FrameHeader& header, ByteView body, bool tagUnsynchronised, std::vector<RawFrame>& out,
                 std::string_view path)
{
    const std::uint8_t format = header.bytFlags[1];
    const bool grouped = format & 0x40, compressed = format & 0x08, encrypted = format & 0x04;
    const bool unsynchronised = (format & 0x02) || tagUnsynchronised, lengthIndicator = format & 0x01;
    std::optional<std::uint8_t> group, method;
    std::uint32_t dataLength = 0;
    if (grouped) {
        if (body.empty()) damaged(path);
        group = body.at(0);
        body = body.mid(1);
    }
    if (encrypted) {
        if (body.empty()) damaged(path);
        method = body.at(0);
        body = body.mid(1);
    }
    if (lengthIndicator) {
        if (!body.holds(0, 4)) damaged(path);
        dataLength = syncSafeAt(body);
        body = body.mid(4);
    }
    ByteVector data;
    if (unsynchronised) {
        if (!body.empty() && body.at(body.size() - 1) == 0xFF && !encrypted) damaged(path);
        data = resynchronise(body);
    } else {
        data = body.toVector();
    }
    if (encrypted) {
        // Not ours to read: v2.3 puts a compressed frame's size, then the method, then the group.
        RawFrame f{header.sFrameID, v23FlagsOfV24(header.bytFlags), {}};
        if (compressed) {
            f.flags[1] |= 0x80;
            for (auto b : plainSizeBytes(dataLength)) f.body.push_back(b);
        }
        f.body.push_back(*method);
        if (group) f.body.push_back(*group);
        append(f.body, data);
        out.push_back(std::move(f));
        return;
    }
    if (compressed) {
        auto inflated = inflateZlib(ByteView(data), kInflateLimit);
        if (!inflated) damaged(path);
        data = std::move(*inflated);
    }
    RawFrame f{header.sFrameID, header.bytFlags, std::move(data)};
    f.flags[1] &= 0x40; // only grouping stays; v23FramesOfV24 maps it
    for (auto& converted : v23FramesOfV24(std::move(f))) {
        if (group) converted.body.insert(converted.body.begin(), *group);
        out.push_back(std::move(converted));
    }
}

} // namespace

std::unique_ptr<Frame> makeFrameOf(RawFrame raw, std::string_view path)
{
    const std::uint8_t stored = FrameHeader::kCompressed | FrameHeader::kEncrypted | FrameHeader::kGrouped;
    FrameKind kind = GetFrameKind(raw.id);
    ByteVector inflated;
    ByteView body(raw.body);
    bool parseable = kind != FrameKind::Unsupported && !(raw.flags[1] & stored);
    if ((raw.flags[1] & FrameHeader::kCompressed) && !(raw.flags[1] & FrameHeader::kEncrypted)) {
        // Four bytes of inflated size, then the zlib data: it must inflate, even where the frame stays opaque.
        const std::size_t skip = 4 + ((raw.flags[1] & FrameHeader::kGrouped) ? 1 : 0);
        if (!body.holds(0, skip)) damaged(path);
        auto out = inflateZlib(body.mid(skip), kInflateLimit);
        if (!out) damaged(path);
        if (kind != FrameKind::Unsupported && !(raw.flags[1] & FrameHeader::kGrouped)) {
            inflated = std::move(*out);
            body = ByteView(inflated);
            raw.flags[1] &= static_cast<std::uint8_t>(~FrameHeader::kCompressed);
            parseable = true;
        }
    }
    const std::u16string id(raw.id.begin(), raw.id.end());
    if (parseable) {
        auto frame = makeFrame(kind);
        frame->setFrameId(id);
        frame->setFlags(ByteView(raw.flags.data(), 2));
        try {
            frame->parse(body);
            return frame;
        } catch (const TagError&) {
            // A body the kind cannot parse is kept as it is rather than lost.
        }
    }
    auto frame = std::make_unique<OpaqueFrame>();
    frame->setFrameId(id);
    frame->setFlags(ByteView(raw.flags.data(), 2));
    frame->parse(ByteView(raw.body));
    return frame;
}

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

void readRawFrames(ByteView area, std::uint64_t declared, int version, bool unsynchronised, std::string_view path,
                   std::vector<RawFrame>& out)
{
    const std::uint64_t limit = std::min<std::uint64_t>(declared, area.size());
    const std::size_t headerSize = version == 2 ? 6 : FrameHeader::kSize;
    std::uint64_t p = 0;
    while (p < declared && declared - p >= headerSize) {
        std::uint8_t raw[FrameHeader::kSize];
        for (std::size_t i = 0; i < FrameHeader::kSize; ++i) raw[i] = area.at(p + i);
        if (version == 2) {
            const std::string id(reinterpret_cast<const char*>(raw), 3);
            if (id.find('\0') != std::string::npos) break;
            const std::uint64_t size = (std::uint64_t{raw[3]} << 16) | (std::uint64_t{raw[4]} << 8) | raw[5];
            const std::uint64_t end = p + headerSize + size;
            if (end > limit) damaged(path);
            ByteView body = area.mid(p + headerSize, size);
            p = end;
            auto v23 = v23IdOfV22(id);
            if (!v23 || size == 0) continue; // no four-letter form: dropped
            out.push_back({*v23, {}, id == "PIC" ? apicFromPic(body) : body.toVector()});
            continue;
        }
        FrameHeader header = ExtractFrameHeader(ByteView(raw, sizeof raw));
        if (trimmedIdHasNul(header.sFrameID)) break;
        std::uint64_t fsize = chooseFrameSize(area, declared, p, raw + 4, version == 4);
        std::uint64_t end = p + FrameHeader::kSize + fsize;
        if (fsize > 1024 && !IsValidFrameID(header.sFrameID) && !landsWell(area, declared, end)) break;
        if (end > limit) damaged(path);
        ByteView body = area.mid(p + FrameHeader::kSize, fsize);
        p = end;
        // A zero-size frame has no body to parse and is skipped.
        if (fsize == 0) continue;
        if (version == 4)
            addV24Frame(header, body, unsynchronised, out, path);
        else
            out.push_back({header.sFrameID, header.bytFlags, body.toVector()});
    }
}

namespace {

// Reads the raw frames and makes frame objects of them; a raise keeps the ones read before it.
void readFramesInto(ByteView area, std::uint64_t declared, int version, bool unsynchronised, FrameList& frames,
                    std::string_view path)
{
    std::vector<RawFrame> raws;
    auto convert = [&] {
        for (auto& raw : raws) frames.push_back(makeFrameOf(std::move(raw), path));
    };
    try {
        readRawFrames(area, declared, version, unsynchronised, path, raws);
    } catch (const TagError&) {
        convert();
        throw;
    }
    convert();
}

} // namespace

void walkFrames(ByteView area, std::uint64_t declared, FrameList& frames, std::string_view path)
{
    readFramesInto(area, declared, 3, false, frames, path);
}

bool readTag(ByteView fileStart, FrameList& frames, std::string_view path)
{
    auto header = ID3v2Header::parse(fileStart);
    if (!header || header->bytVersion < 2 || header->bytVersion > 4) return false;
    const int version = header->bytVersion;

    std::uint64_t declared = header->tagSize();
    ByteView area = fileStart.mid(ID3v2Header::kSize, declared);
    const bool unsynchronised = header->bytFlags & ID3v2Header::kUnsynchronisation;
    ByteVector resynchronised;
    if (unsynchronised && version < 4) {
        // The scheme never leaves a tag ending in FF: such a tag was cut inside a pair.
        if (!area.empty() && area.at(area.size() - 1) == 0xFF) damaged(path);
        const std::uint64_t missing = declared - area.size();
        resynchronised = resynchronise(area);
        area = ByteView(resynchronised);
        declared = area.size() + missing;
    }
    if (version == 2 && (header->bytFlags & 0x40)) damaged(path); // v2.2 compression was never defined
    if (version > 2 && (header->bytFlags & ID3v2Header::kExtendedHeader)) {
        if (!area.holds(0, 4)) damaged(path);
        // v2.3 counts the extended header without its size field, v2.4 with it.
        const std::uint64_t skip = version == 3 ? 4 + std::uint64_t{plainSize(area.data())} : syncSafeAt(area);
        if (skip < 4 || !area.holds(0, skip)) damaged(path);
        area = area.mid(skip);
        declared -= skip;
    }
    readFramesInto(area, declared, version, unsynchronised && version == 4, frames, path);
    return true;
}

} // namespace tagmora
