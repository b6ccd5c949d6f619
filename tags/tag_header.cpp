#include "tags/tag_header.h"

#include "tags/errors.h"

namespace tagmora {

std::optional<ID3v2Header> ID3v2Header::parse(ByteView b)
{
    if (b.size() < kSize || !b.startsWith("ID3")) return std::nullopt;
    ID3v2Header h;
    h.bytVersion = b.at(3);
    h.bytRevision = b.at(4);
    h.bytFlags = b.at(5);
    for (int i = 0; i < 4; ++i) h.bytSize[i] = b.at(6 + i);
    return h;
}

ByteVector ID3v2Header::render() const
{
    return {'I', 'D', '3', bytVersion, bytRevision, bytFlags, bytSize[0], bytSize[1], bytSize[2], bytSize[3]};
}

FrameHeader ExtractFrameHeader(ByteView b)
{
    if (b.size() != FrameHeader::kSize) RaiseError(110, "ID3v2::ExtractFrameHeader");
    FrameHeader h;
    h.sFrameID.assign(reinterpret_cast<const char*>(b.data()), 4);
    for (int i = 0; i < 4; ++i) h.bytSize[i] = b.at(4 + i);
    h.bytFlags = {b.at(8), b.at(9)};
    return h;
}

ByteVector renderFrameHeader(const std::string& id, std::uint32_t bodySize, const std::array<std::uint8_t, 2>& flags)
{
    ByteVector out(id.begin(), id.end());
    out.resize(4, 0);
    for (auto b : plainSizeBytes(bodySize)) out.push_back(b);
    out.push_back(flags[0]);
    out.push_back(flags[1]);
    return out;
}

} // namespace tagmora
