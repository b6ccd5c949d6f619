#include "tags/tag_writer.h"

#include "tags/errors.h"
#include "tags/tag_header.h"

namespace tagmora {

std::uint32_t paddingFor(std::uint64_t framesLength)
{
    std::uint32_t rest = static_cast<std::uint32_t>(framesLength % 257);
    return rest == 0 ? 0 : 257 - rest;
}

ByteVector renderFrames(const FrameList& frames)
{
    ByteVector body;
    for (const auto& frame : frames) {
        ByteVector bytes = frame->render();
        append(body, renderFrameHeader(frame->frameId(), static_cast<std::uint32_t>(bytes.size()), frame->flags()));
        append(body, bytes);
    }
    return body;
}

namespace {

ByteVector withHeader(const ByteVector& body)
{
    ID3v2Header header;
    header.bytSize = LongToByte(static_cast<std::uint32_t>(body.size()));
    ByteVector tag = header.render();
    append(tag, body);
    return tag;
}

} // namespace

ByteVector renderTag(const FrameList& frames, std::string_view path, std::uint32_t room)
{
    ByteVector body = renderFrames(frames);
    body.resize(body.size() + room + paddingFor(body.size() + room), 0);
    if (body.size() >= (std::uint64_t{1} << 28)) RaiseError(112, "ID3v2::WriteTag", {"%FILE%"}, {path});
    return withHeader(body);
}

std::optional<ByteVector> renderTagOfSize(const FrameList& frames, std::uint32_t tagSize)
{
    ByteVector body = renderFrames(frames);
    if (body.size() > tagSize || tagSize >= (std::uint32_t{1} << 28)) return std::nullopt;
    body.resize(tagSize, 0);
    return withHeader(body);
}

} // namespace tagmora
