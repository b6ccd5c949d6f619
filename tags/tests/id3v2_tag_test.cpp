#include "tags/errors.h"
#include "tags/file_functions.h"
#include "tags/id3v2_tag.h"
#include "tags/tests/tag_test_support.h"

#include <sys/stat.h>

using namespace tagmora;
using namespace tagtest;

namespace {

enum Field { eTrack = 1, eTitle, eArtist, eAlbum, eYear, eGenre, eComment, eComposer, eOrigArtist, eCopyright, eURL, eEncodedBy };

TagError errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const TagError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return TagError(0, "", "");
}

class Id3v2TagTest : public ::testing::Test {
protected:
    std::string put(const std::string& name, const Bytes& bytes)
    {
        std::string path = dir_.file(name);
        writeFile(path, bytes);
        return path;
    }
    TempDir dir_;
    Bytes audio_ = fakeAudio(3000);
};

TEST_F(Id3v2TagTest, FieldValuesWithoutTerminators)
{
    Id3v2Tag t;
    t.readBytes(tag(frame("TIT2", textBody("Song")) + frame("COMM", hex("00 65 6E 67 00 68 69"))), "f");
    EXPECT_TRUE(t.HasTag());
    EXPECT_EQ(t.GetFrameValue(eTitle), u"Song");
    EXPECT_EQ(t.GetFrameValue(eComment), u"hi");
    EXPECT_EQ(t.GetFrameValue(eArtist), u"");

    t.readBytes(tag(frame("TIT2", hex("01 FF FE 41 00"))), "f");
    EXPECT_EQ(t.GetFrameValue(eTitle), u"A") << "UTF-16 is decoded";
}

TEST_F(Id3v2TagTest, UnknownFieldNumbersRaise108)
{
    Id3v2Tag t;
    for (int field : {0, 13, -1}) {
        TagError e = errorOf([&] { t.SetFrameValue(field, u"x"); });
        EXPECT_EQ(e.code(), kErrorBase + 108);
        EXPECT_EQ(e.source(), "ID3v2::LookupFrameID");
        EXPECT_EQ(e.description(), "An unknown frame ID (%FRAMEID%)  was supplied.");
        EXPECT_EQ(errorOf([&] { t.GetFrameValue(field); }).code(), kErrorBase + 108);
    }
}

TEST_F(Id3v2TagTest, SetFrameValueEditsTheFirstFrameOrAppends)
{
    Id3v2Tag t;
    t.readBytes(tag(frame("TIT2", textBody("Old")) + frame("TIT2", textBody("Second"))), "f");
    t.SetFrameValue(eTitle, u"New");
    t.SetFrameValue(eURL, u"http://x");
    ASSERT_EQ(t.frames().size(), 3u);
    EXPECT_EQ(t.frames()[0]->render(), textBody("New"));
    EXPECT_EQ(t.frames()[1]->render(), textBody("Second"));
    EXPECT_EQ(t.frames()[2]->frameId(), "WXXX");
    EXPECT_EQ(t.GetFrameValue(eURL), u"http://x");

    t.SetFrameValue(eTitle, u"\u00c5\u65e5");
    EXPECT_EQ(t.frames()[0]->render(), hex("01 FF FE C5 00 E5 65 00 00"));
    t.SetFrameValue(eTitle, u"Back");
    EXPECT_EQ(t.frames()[0]->render(), textBody("Back")) << "Latin-1 again once the text fits";
}

TEST_F(Id3v2TagTest, SettingTheSameValueLeavesTheFrameByteIdentical)
{
    const Bytes odd = hex("01 FE FF 00 53 00 6F 00 6E 00 67"); // big-endian, no terminator
    Id3v2Tag t;
    t.readBytes(tag(frame("TIT2", odd) + frame("TPE1", hex("00 41"))), "f");
    t.SetFrameValue(eTitle, u"Song");
    t.SetFrameValue(eArtist, u"A");
    EXPECT_EQ(t.frames()[0]->render(), odd);
    EXPECT_EQ(t.frames()[1]->render(), hex("00 41"));
}

TEST_F(Id3v2TagTest, WriteTagPutsATagInFrontOfAFileWithoutOne)
{
    std::string path = put("a.mp3", audio_);
    Id3v2Tag t;
    t.ReadTag(path);
    EXPECT_FALSE(t.HasTag());
    t.SetFrameValue(eTitle, u"Rock");
    t.WriteTag(path, false);
    EXPECT_TRUE(t.HasTag());
    Bytes file = readFile(path);
    ASSERT_EQ(file.size(), 10 + 5 * 257 + audio_.size()) << "a multiple of 257 with room to grow in place";
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 26), hex("49 44 33 03 00 00 00 00 0A 05 54 49 54 32 00 00 00 06 00 00 "
                                                          "00 52 6F 63 6B 00"));
    EXPECT_EQ(tail(file, audio_.size()), audio_);

    Id3v2Tag again;
    again.ReadTag(path);
    EXPECT_TRUE(again.HasTag());
    EXPECT_EQ(again.GetFrameValue(eTitle), u"Rock");
}

TEST_F(Id3v2TagTest, RewritingKeepsOtherFramesInPlaceAndTheAudio)
{
    const Bytes cover = Bytes{0} + bytesOf("image/jpeg") + Bytes{0, 3, 0} + fakeAudio(6000, 9);
    const Bytes frames = frame("TIT2", textBody("Old")) + frame("APIC", cover) + frame("TXXX", hex("00 6B 00 76")) +
                         frame("TPE1", hex("01 FF FE 41 00"));
    std::string path = put("b.mp3", tag(frames, 300) + audio_);
    Id3v2Tag t;
    t.ReadTag(path);
    t.SetFrameValue(eTitle, u"New");
    t.SetFrameValue(eArtist, u"A");
    t.WriteTag(path, false);

    const Bytes expected = frame("TIT2", textBody("New")) + frame("APIC", cover) + frame("TXXX", hex("00 6B 00 76")) +
                           frame("TPE1", hex("01 FF FE 41 00"));
    Bytes file = readFile(path);
    EXPECT_EQ(Bytes(file.begin() + 10, file.begin() + 10 + std::ptrdiff_t(expected.size())), expected);
    EXPECT_EQ(tail(file, audio_.size()), audio_);
}

TEST_F(Id3v2TagTest, OtherVersionsAreReadAndSavedAsVersionThreeKeepingTheirFramesAndTheAudio)
{
    const std::pair<std::uint8_t, Bytes> cases[] = {{2, hex("54 54 32 00 00 02 00 78")}, // TT2 "x"
                                                    {4, frame("TIT2", textBody("x"))}};
    for (const auto& [version, frames] : cases) {
        std::string path = put("v.mp3", tag(frames, 100, version) + audio_);
        Id3v2Tag t;
        t.ReadTag(path);
        EXPECT_TRUE(t.HasTag()) << int(version);
        EXPECT_EQ(t.GetFrameValue(eTitle), u"x");
        t.SetFrameValue(eAlbum, u"Al");
        t.WriteTag(path, false);
        Bytes file = readFile(path);
        EXPECT_EQ(file[3], 3);
        EXPECT_EQ(tail(file, audio_.size()), audio_);
        Id3v2Tag back;
        back.ReadTag(path);
        EXPECT_EQ(back.GetFrameValue(eTitle), u"x");
        EXPECT_EQ(back.GetFrameValue(eAlbum), u"Al");
    }
}

TEST_F(Id3v2TagTest, RemoveTagStripsAnyVersionAndLeavesOtherFilesAlone)
{
    std::string path = put("r.mp3", tag(frame("TIT2", textBody("x")), 100) + audio_);
    Id3v2Tag t;
    t.ReadTag(path);
    t.RemoveTag(path, false);
    EXPECT_FALSE(t.HasTag());
    EXPECT_TRUE(t.frames().empty());
    EXPECT_EQ(readFile(path), audio_);

    t.SetFrameValue(eTitle, u"kept");
    t.RemoveTag(path, false);
    EXPECT_EQ(readFile(path), audio_) << "no tag: nothing changes";
    EXPECT_EQ(t.frames().size(), 1u) << "and the frames stay";
}

TEST_F(Id3v2TagTest, MissingShortAndReadOnlyFiles)
{
    Id3v2Tag t;
    const std::string missing = dir_.file("none.mp3");
    TagError e = errorOf([&] { t.ReadTag(missing); });
    EXPECT_EQ(e.code(), kErrorBase + 109);
    EXPECT_EQ(e.source(), "ID3v2::ReadTag");
    EXPECT_EQ(e.description(), "The file, " + missing + ", was not found.");
    EXPECT_EQ(errorOf([&] { t.WriteTag(missing, true); }).source(), "clsID3v2::WriteTag");
    EXPECT_EQ(errorOf([&] { t.RemoveTag(missing, true); }).source(), "clsID3v2::RemoveTag");
    EXPECT_EQ(errorOf([&] { t.ReadTag(dir_.path().string()); }).code(), kErrorBase + 109) << "a folder is no file";

    Bytes shortFile = tag(frame("TIT2", textBody("x")), 1000);
    shortFile.resize(200);
    std::string cut = put("cut.mp3", shortFile);
    e = errorOf([&] { t.WriteTag(cut, false); });
    EXPECT_EQ(e.code(), kErrorBase + 112);
    EXPECT_EQ(e.source(), "ID3v2::WriteTag");
    EXPECT_EQ(e.description(), "The file " + cut + " has an invalid file size.");
    EXPECT_EQ(errorOf([&] { t.RemoveTag(cut, false); }).source(), "clsID3v2::RemoveTag");
    EXPECT_EQ(readFile(cut), shortFile);

    std::string locked = put("ro.mp3", audio_);
    ::chmod(locked.c_str(), 0444);
    e = errorOf([&] { t.WriteTag(locked, false); });
    EXPECT_EQ(e.code(), kErrorBase + 111);
    EXPECT_EQ(e.description(), "The file " + locked + ", is read only");
    EXPECT_EQ(errorOf([&] { t.RemoveTag(locked, false); }).source(), "clsID3v2::RemoveTag");
    EXPECT_EQ(readFile(locked), audio_);
    EXPECT_TRUE(IsFileReadOnly(locked));

    t.SetFrameValue(eTitle, u"x");
    t.WriteTag(locked, true);
    struct stat st {};
    ::stat(locked.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "the read-only file became writable";
    EXPECT_EQ(tail(readFile(locked), audio_.size()), audio_);
}

TEST_F(Id3v2TagTest, TagsMutagenWroteReadHereAndSurviveAnEdit)
{
    std::string path = put("m.mp3", audio_);
    EXPECT_PEER("v2-write", path, "TIT2=\u00dcn\u00efc\u00f8d\u00e9 \u65e5\u672c", "TPE1=Artist", "APIC=20000",
                "TXXX:mood=calm", "COMM=A comment", "WXXX=http://example.org/", "USLT=la la");
    Id3v2Tag t;
    t.ReadTag(path);
    ASSERT_TRUE(t.HasTag());
    EXPECT_EQ(t.GetFrameValue(eTitle), u"\u00dcn\u00efc\u00f8d\u00e9 \u65e5\u672c");
    EXPECT_EQ(t.GetFrameValue(eArtist), u"Artist");
    EXPECT_EQ(t.GetFrameValue(eComment), u"A comment");
    EXPECT_EQ(t.GetFrameValue(eURL), u"http://example.org/");

    t.SetFrameValue(eTitle, u"Changed \u0416");
    t.WriteTag(path, false);
    EXPECT_PEER("v2-check", path, "VERSION=2.3.0", "TIT2=Changed \u0416", "TPE1=Artist", "APIC=20000",
                "TXXX:mood=calm", "COMM=A comment", "WXXX=http://example.org/", "USLT=la la");
    EXPECT_EQ(tail(readFile(path), audio_.size()), audio_);
}

} // namespace
