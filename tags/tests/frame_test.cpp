#include "tags/comment_frame.h"
#include "tags/errors.h"
#include "tags/opaque_frame.h"
#include "tags/tests/tag_test_support.h"
#include "tags/text_frame.h"
#include "tags/web_frame.h"

using namespace tagmora;
using tagtest::Bytes;
using tagtest::hex;

namespace {

template <class F>
void expectError(F&& f, int id, const std::string& source, const std::string& message = {})
{
    try {
        f();
        ADD_FAILURE() << "no error raised";
    } catch (const TagError& e) {
        EXPECT_EQ(e.code(), kErrorBase + id);
        EXPECT_EQ(e.source(), source);
        if (!message.empty()) {
            EXPECT_EQ(e.description(), message);
        }
    }
}

TEST(TextFrame, NewFramesRenderTheirTextWithATerminator)
{
    TextFrame f;
    EXPECT_EQ(f.data(), std::u16string(1, u'\0'));
    f.setData(u"Rock");
    EXPECT_EQ(f.frameSize(), 6u);
    EXPECT_EQ(f.render(), hex("00 52 6F 63 6B 00"));

    f.setData(std::u16string(u"Rock\0", 5));
    EXPECT_EQ(f.data(), std::u16string(u"Rock\0", 5)) << "an existing terminator is kept, not doubled";
    f.setData(u"");
    EXPECT_EQ(f.render(), hex("00 00"));
}

TEST(TextFrame, DecodesUtf16AndWritesUnchangedFramesBackByteForByte)
{
    TextFrame f;
    f.parse(hex("01 FF FE 41 00"));
    EXPECT_EQ(f.data(), u"A");
    EXPECT_EQ(f.render(), hex("01 FF FE 41 00"));

    f.parse(hex("01 FE FF 00 41 00 42 00 00 FF FE 43 00 00 00 99"));
    EXPECT_EQ(f.data(), std::u16string(u"AB\0C\0", 5)) << "a mark after a terminator starts the next string";
    EXPECT_EQ(f.render(), hex("01 FE FF 00 41 00 42 00 00 FF FE 43 00 00 00 99"));

    f.parse(hex("00 53 6F 6E 67"));
    EXPECT_EQ(f.data(), u"Song");
    f.setData(u"Song");
    EXPECT_EQ(f.render(), hex("00 53 6F 6E 67 00")) << "an edit renders anew";
}

TEST(TextFrame, ChoosesLatin1OrUtf16ByTheText)
{
    TextFrame f;
    f.setData(u"Caf\u00e9");
    f.chooseEncoding();
    EXPECT_EQ(f.render(), hex("00 43 61 66 E9 00"));
    f.setData(u"\u65e5\u672c");
    f.chooseEncoding();
    EXPECT_EQ(f.textEncoding(), 1);
    EXPECT_EQ(f.render(), hex("01 FF FE E5 65 2C 67 00 00"));

    f.setTextEncoding(0); // forced Latin-1: what does not fit becomes "?"
    EXPECT_EQ(f.render(), hex("00 3F 3F 00"));
    f.setData(u"\U0001F600");
    EXPECT_EQ(f.render(), hex("00 3F 00")) << "one ? per character, not per code unit";
}

TEST(TextFrame, OtherEncodingsRead)
{
    TextFrame f;
    f.parse(hex("02 00 41 00 42"));
    EXPECT_EQ(f.data(), u"AB");
    f.parse(hex("03 C3 A9 00"));
    EXPECT_EQ(f.data(), std::u16string(u"\u00e9\0", 2));
    f.parse(hex("01 FF FE 41"));
    EXPECT_EQ(f.data(), u"") << "an odd last byte is dropped";
}

TEST(WebFrame, LayoutAndParsing)
{
    WebFrame f;
    f.setFrameId(u"WXXX");
    f.setData(u"abc");
    EXPECT_EQ(f.render(), hex("00 00 61 62 63 00"));
    EXPECT_EQ(f.frameSize(), 6u);

    f.parse(hex("00 61 62 63"));
    EXPECT_EQ(f.description(), u"abc");
    EXPECT_EQ(f.data(), u"abc");
    EXPECT_EQ(f.render(), hex("00 61 62 63")) << "read and not edited: written back as it was";
    f.setData(u"abc");
    EXPECT_EQ(f.render(), hex("00 61 62 63 61 62 63 00"));

    f.parse(hex("01 FF FE 64 00 00 00 68 74"));
    EXPECT_EQ(f.description(), std::u16string(u"d\0", 2));
    EXPECT_EQ(f.data(), u"ht") << "the URL is Latin-1 whatever the encoding";
}

TEST(WebFrame, UrlsOutsideLatin1ArePercentEscaped)
{
    EXPECT_EQ(encodeUrl(u"http://x/\u00fc\u65e5"), tagtest::bytesOf("http://x/\xfc%E6%97%A5"));
}

TEST(CommentFrame, LayoutAndParsing)
{
    CommentFrame f;
    f.setData(u"hi");
    EXPECT_EQ(f.render(), hex("00 00 00 00 00 68 69 00"));

    f.parse(hex("00 65 6E 67 00 68 69"));
    EXPECT_EQ(f.language(), u"eng");
    EXPECT_EQ(f.description(), std::u16string(1, u'\0'));
    EXPECT_EQ(f.data(), u"hi");
    EXPECT_EQ(f.render(), hex("00 65 6E 67 00 68 69"));

    f.parse(hex("00 65 6E 67 61 62"));
    EXPECT_EQ(f.description(), u"ab");
    EXPECT_EQ(f.data(), u"") << "no terminator: all text is the description";

    f.parse(hex("01 65 6E 67 FF FE 00 00 FF FE 68 00 69 00"));
    EXPECT_EQ(f.data(), u"hi");
    f.setLanguage(u"de");
    EXPECT_EQ(f.language(), u"de ");
    f.setLanguage(u"english");
    EXPECT_EQ(f.language(), u"eng");
    f.setDescription(u"\u00e9");
    f.chooseEncoding();
    EXPECT_EQ(f.render(), hex("00 65 6E 67 E9 00 68 69"));
}

TEST(Frames, RefuseBadIdentifiersFlagsAndBodies)
{
    TextFrame text;
    WebFrame web;
    CommentFrame comment;
    expectError([&] { text.setFrameId(u"TIT"); }, 102, "Text_Frame::FrameID", "The frame ID, TIT, supplied is invalid.");
    expectError([&] { web.setFrameId(u"WXXXX"); }, 102, "Web_Frame::FrameID");
    expectError([&] { comment.setFrameId(u""); }, 102, "Comment_Frame::FrameID");

    const Bytes three = hex("00 00 00");
    expectError([&] { text.setFlags(three); }, 107, "Text_Frame::setFlags");
    expectError([&] { comment.setFlags(ByteView()); }, 107, "Comment_Frame::setFlags");
    text.setFlags(hex("12 34"));
    EXPECT_EQ(text.flags()[0], 0x12);
    EXPECT_EQ(text.flags()[1], 0x34);

    expectError([&] { text.parse(ByteView()); }, 105, "TextFrame::parseBytes");
    expectError([&] { web.parse(ByteView()); }, 106, "Web_Frame::parseBytes");
    expectError([&] { comment.parse(hex("00 65 6E 67")); }, 104, "Comment_Frame::parseBytes");
}

TEST(OpaqueFrame, KeepsItsBody)
{
    OpaqueFrame f;
    f.setFrameId(u"APIC");
    f.parse(hex("00 01 02 FF"));
    EXPECT_EQ(f.render(), hex("00 01 02 FF"));
    EXPECT_EQ(f.kind(), FrameKind::Unsupported);
}

} // namespace
