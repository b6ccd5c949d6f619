#include "tags/tag_writer.h"

#include "tags/errors.h"
#include "tags/tag_header.h"

namespace tagmora {

std::uint32_t paddingFor(std::uint64_t framesLength)
{
    std::uint32_t rest = static_cast<std::uint32_t>(framesLength % 257);
    return rest == 0 ? 0 : 257 - rest;
}

ByteVector renderTag(const FrameList& frames, std::string_view path)
{
    ByteVector body;
    for (const auto& frame : frames) {
        ByteVector bytes = frame->render();
        append(body, renderFrameHeader(frame->frameId(), static_cast<std::uint32_t>(bytes.size()), frame->flags()));
        append(body, bytes);
    }
    body.resize(body.size() + paddingFor(body.size()), 0);
    if (body.size() >= (std::uint64_t{1} << 28)) RaiseError(112, "ID3v2::WriteTag", {"%FILE%"}, {path});

    ID3v2Header header;
    header.bytSize = LongToByte(static_cast<std::uint32_t>(body.size()));
    ByteVector tag = header.render();
    append(tag, body);
    return tag;
}

} // namespace tagmora
