// Field texts of single frames and ID3v1 records: the cut rules on decoded
// text, every text encoding, URL frames, and frames kept compressed or grouped.

#include "recorder/player/stream_tags.h"
#include "recorder/player/tests/tag_bytes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace playertest;
using recorder::id3v1FieldText;
using recorder::id3v2FieldText;
using recorder::TagFrame;

namespace {

std::string text(const std::string& id, const Bytes& body, std::uint8_t format = 0)
{
    return id3v2FieldText(TagFrame{id, {0, format}, body});
}

const Bytes nul{0}, nul2{0, 0};

TEST(ClsFmodFieldText, TextAndCommentFramesAreCutAsCallersExpect)
{
    EXPECT_EQ(text("TCON", nul + raw("(17)Rock")), "(17)Rock");
    EXPECT_EQ(text("COMM", nul + raw("eng") + nul + raw("hello") + nul), "hello");
    // Without its terminator a comment is read whole.
    EXPECT_EQ(text("COMM", nul + raw("eng") + nul + raw("hello")), "hello");
    EXPECT_EQ(text("COMM", nul + raw("eng") + raw("about") + nul + raw("  spaced ") + nul), "  spaced ");
    // An empty terminated text is empty, not the language or the description.
    EXPECT_EQ(text("COMM", nul + raw("eng") + raw("about") + nul + nul), "");
    EXPECT_EQ(text("COMM", nul + raw("en")), "");
    EXPECT_EQ(text("TIT2", nul + raw("  two") + nul + raw("strings  ") + nul), "two strings");
    EXPECT_EQ(text("TIT2", Bytes{}), "");
}

TEST(ClsFmodFieldText, FramesAreDecodedByTheirTextEncoding)
{
    EXPECT_EQ(text("TIT2", nul + raw("Caf\xE9")), "Caf\xC3\xA9");
    EXPECT_EQ(text("TIT2", Bytes{1} + utf16(u"Grüße ☃", false, true) + nul2), "Grüße ☃");
    EXPECT_EQ(text("TIT2", Bytes{1} + utf16(u"Grüße ☃", true, true)), "Grüße ☃");
    EXPECT_EQ(text("TPE1", Bytes{2} + utf16(u"Ærø", true, false) + nul2), "Ærø");
    EXPECT_EQ(text("TALB", Bytes{3} + raw("Ærø ☃") + nul), "Ærø ☃");
    // Each string of a UTF-16 list carries its own mark.
    EXPECT_EQ(text("TPE1", Bytes{1} + utf16(u"A", false, true) + nul2 + utf16(u"B", true, true)), "A B");

    const Bytes eng = raw("eng");
    EXPECT_EQ(text("COMM", Bytes{1} + eng + utf16(u"", false, true) + nul2 + utf16(u"naïve", false, true) + nul2),
              "naïve");
    // No encoding cuts an unterminated comment.
    EXPECT_EQ(text("COMM", Bytes{1} + eng + utf16(u"d", false, true) + nul2 + utf16(u"naïve", false, true)), "naïve");
    EXPECT_EQ(text("COMM", Bytes{3} + eng + nul + raw("naïve")), "naïve");
    EXPECT_EQ(text("COMM", Bytes{2} + eng + utf16(u"d", true, false) + nul2 + utf16(u"über", true, false) + nul2),
              "über");
    EXPECT_EQ(text("COMM", Bytes{3} + eng + raw("desc") + nul + raw("text ☃") + nul), "text ☃");
}

TEST(ClsFmodFieldText, UrlFramesGiveTheWholeUrl)
{
    EXPECT_EQ(text("WXXX", nul + nul + raw("http://a.b/c")), "http://a.b/c");
    EXPECT_EQ(text("WXXX", nul + raw("home") + nul + raw("http://a.b/c") + nul), "http://a.b/c");
    EXPECT_EQ(text("WXXX", Bytes{1} + utf16(u"Ærø", false, true) + nul2 + raw("http://a.b/\xE9")), "http://a.b/é");
    EXPECT_EQ(text("WXXX", Bytes{1} + nul2 + utf16(u"http://a.b/", false, true)), "http://a.b/");
    EXPECT_EQ(text("WXXX", nul + raw("no terminator")), "");
    EXPECT_EQ(text("WCOM", raw("http://c.d")), "http://c.d");
    EXPECT_EQ(text("WOAR", raw("http://c.d") + nul), "http://c.d");
}

TEST(ClsFmodFieldText, FramesTheReaderKeepsAsStoredAreUnpacked)
{
    constexpr std::uint8_t compressed = 0x80, encrypted = 0x40, grouped = 0x20;
    EXPECT_EQ(text("TIT2", Bytes{7} + nul + raw("Rock"), grouped), "Rock");
    // Inflated size, group symbol, then zlib data of "\0Rock".
    const Bytes zlib{0x78, 0x9c, 0x63, 0x08, 0xca, 0x4f, 0xce, 0x06, 0x00, 0x03, 0xcb, 0x01, 0x90};
    EXPECT_EQ(text("TCON", size32(5, false) + Bytes{7} + zlib, compressed | grouped), "Rock");
    EXPECT_EQ(text("TCON", size32(5, false) + Bytes{1, 2, 3}, compressed), "");
    EXPECT_EQ(text("TIT2", nul + raw("secret"), encrypted), "");
}

TEST(ClsFmodFieldText, Id3v1FieldsEndAtNulAndAreTrimmed)
{
    recorder::ID3v1Record r = recorder::ID3v1Record::blank();
    auto put = [](auto& field, const std::string& s) {
        field.fill('\0');
        std::memcpy(field.data(), s.data(), std::min(s.size(), field.size()));
    };
    put(r.title, "  Title  ");
    put(r.artist, std::string("Art\0junk", 8));
    put(r.album, "Caf\xE9");
    put(r.year, "1999");
    put(r.comment, std::string(28, 'c'));
    r.zeroByte = 0;
    r.track = 7;
    r.genre = 17;
    EXPECT_EQ(id3v1FieldText(r, "TITLE"), "Title");
    EXPECT_EQ(id3v1FieldText(r, "ARTIST"), "Art");
    EXPECT_EQ(id3v1FieldText(r, "ALBUM"), "Caf\xC3\xA9");
    EXPECT_EQ(id3v1FieldText(r, "YEAR"), "1999");
    EXPECT_EQ(id3v1FieldText(r, "COMMENT"), std::string(28, 'c'));
    EXPECT_EQ(id3v1FieldText(r, "TRACK"), "7");
    EXPECT_EQ(id3v1FieldText(r, "GENRE"), "17");
    EXPECT_EQ(id3v1FieldText(r, "title"), std::nullopt);

    // ID3v1.0: the comment's last two characters, no track.
    r.zeroByte = 'x';
    r.track = 'y';
    EXPECT_EQ(id3v1FieldText(r, "COMMENT"), std::string(28, 'c') + "xy");
    EXPECT_EQ(id3v1FieldText(r, "TRACK"), "");
}

} // namespace
