// libFuzzer target over everything that reads tag bytes from outside: the
// ID3v2.2, v2.3 and v2.4 tag walks (unsynchronisation, extended headers, data
// length indicators, inflation, the conversions to v2.3) with every frame
// kind's parser, the frame parsers on their own, and the ID3v1 record at the
// end of a file.

#include "recorder/tagging/clsID3v1.h"
#include "tags/comment_frame.h"
#include "tags/errors.h"
#include "tags/id3v2_tag.h"
#include "tags/tag_writer.h"
#include "tags/text_frame.h"
#include "tags/web_frame.h"

#include <cstddef>
#include <cstdint>

namespace {

void exerciseFrame(tagmora::Frame& frame, tagmora::ByteView body)
{
    try {
        frame.parse(body);
    } catch (const tagmora::TagError&) {
        return;
    }
    (void)frame.render();
    frame.chooseEncoding();
    frame.setData(frame.data());
    (void)frame.render();
}

void readId3v2(tagmora::ByteView bytes)
{
    tagmora::Id3v2Tag tag;
    try {
        tag.readBytes(bytes, "fuzz.mp3");
    } catch (const tagmora::TagError&) {
    }
    for (int field = 1; field <= 12; ++field) (void)tag.GetFrameValue(field);
    try {
        tag.SetFrameValue(2, u"\u00e9dit\u65e5");
        tagmora::ByteVector rendered = tagmora::renderTag(tag.frames(), "fuzz.mp3", tagmora::kGrowthRoom);
        tagmora::Id3v2Tag again;
        again.readBytes(rendered, "fuzz.mp3");
        if (auto inPlace = tagmora::renderTagOfSize(tag.frames(), static_cast<std::uint32_t>(rendered.size())))
            again.readBytes(*inPlace, "fuzz.mp3");
    } catch (const tagmora::TagError&) {
    }
}

void readId3v1(tagmora::ByteView bytes)
{
    if (bytes.size() < 128) return;
    recorder::clsID3v1 tag;
    tag.record(recorder::ID3v1Record::decode(bytes.end() - recorder::ID3v1Record::kSize));
    (void)tag.tagTitle();
    (void)tag.tagArtist();
    (void)tag.tagAlbum();
    (void)tag.tagYear();
    (void)tag.tagComments();
    (void)tag.tagTrack();
    (void)tag.tagStrGenre();
    tag.tagComments(tag.tagComments() + tag.tagTitle());
    (void)tag.record().encode();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tagmora::ByteView bytes(data, size);
    readId3v2(bytes);
    readId3v1(bytes);
    if (size > 0) {
        tagmora::ByteView body = bytes.mid(1);
        tagmora::TextFrame text;
        tagmora::WebFrame web;
        tagmora::CommentFrame comment;
        switch (data[0] % 3) {
        case 0: exerciseFrame(text, body); break;
        case 1: exerciseFrame(web, body); break;
        default: exerciseFrame(comment, body); break;
        }
    }
    return 0;
}
