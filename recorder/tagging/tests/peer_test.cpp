// The program's tag classes against mutagen, reading what the other wrote.

#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "recorder/tagging/clsID3v1.h"
#include "recorder/tagging/clsID3v23.h"
#include "tags/tests/tag_test_support.h"

using namespace recorder;
using namespace tagtest;

namespace {

class PeerTest : public ComRegistryTest {
protected:
    void SetUp() override
    {
        ComRegistryTest::SetUp();
        ASSERT_EQ(com::registerServerLibrary(TAGMORA_PATH, false), S_OK);
        path_ = home_ + "/peer.mp3";
        writeFile(path_, audio_);
    }
    std::string path_;
    Bytes audio_ = fakeAudio(5000);
};

const std::string kTitle = "\xc3\x9c" "n" "\xc3\xaf" "c" "\xc3\xb8" "d" "\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac \xd0\x96 \xf0\x9f\x8e\xb5";

TEST_F(PeerTest, MutagenReadsWhatTheFacadeWrites)
{
    clsID3v23 t;
    t.filename(path_);
    const std::string comment = std::string(150, 'x') + std::string(150, 'y');
    t.tagTitle(kTitle);
    t.tagArtist("Art\xc3\xafst");
    t.tagAlbum("Album");
    t.tagYear("2024");
    t.tagGenre("Rock");
    t.tagComments(comment);
    t.tagComposer("\xce\x9b composer");
    t.tagOrigArtist("Orig");
    t.tagCopyright("(c) 2024");
    t.tagURL("http://example.org/a");
    t.tagEncodedBy("Velmor");
    t.tagTrack("7");
    ASSERT_TRUE(t.SaveTag());
    EXPECT_PEER("v2-check", path_, "VERSION=2.3.0", "TIT2=" + kTitle, "TPE1=Art\xc3\xafst", "TALB=Album",
                "TDRC=2024", "TCON=Rock", "COMM=" + comment, "TCOM=\xce\x9b composer", "TOPE=Orig",
                "TCOP=(c) 2024", "WXXX=http://example.org/a", "TENC=Velmor", "TRCK=7");
}

TEST_F(PeerTest, TheFacadeReadsMutagenTagsAndKeepsTheirCoverAndTxxx)
{
    EXPECT_PEER("v2-write", path_, "TIT2=" + kTitle, "TPE1=Artist", "TALB=Album", "TCON=(13)Pop", "COMM=Nice",
                "WXXX=http://x.org/", "APIC=30000", "TXXX:replaygain=+1.0 dB", "TRCK=2/9");
    clsID3v23 t;
    t.filename(path_);
    ASSERT_TRUE(t.ReadTag());
    EXPECT_EQ(t.tagTitle(), kTitle);
    EXPECT_EQ(t.tagArtist(), "Artist");
    EXPECT_EQ(t.tagAlbum(), "Album");
    EXPECT_EQ(t.tagTrimmedGenre(), "Pop");
    EXPECT_EQ(t.tagComments(), "Nice");
    EXPECT_EQ(t.tagURL(), "http://x.org/");
    EXPECT_EQ(t.tagTrack(), "2/9");

    t.tagTitle("Changed");
    ASSERT_TRUE(t.SaveTag());
    EXPECT_PEER("v2-check", path_, "TIT2=Changed", "TPE1=Artist", "APIC=30000", "TXXX:replaygain=+1.0 dB",
                "COMM=Nice", "TRCK=2/9");
    EXPECT_EQ(tail(readFile(path_), audio_.size()), audio_);
}

TEST_F(PeerTest, Id3v1BothWays)
{
    EXPECT_PEER("v1-write", path_, "title=Mutagen title", "artist=Caf\xc3\xa9", "album=Album", "year=1987",
                "comment=From mutagen", "track=12", "genre=17");
    clsID3v1 v1;
    v1.filename(path_);
    ASSERT_TRUE(v1.ReadTag());
    EXPECT_EQ(v1.tagTitle(), "Mutagen title");
    EXPECT_EQ(v1.tagArtist(), "Caf\xc3\xa9");
    EXPECT_EQ(v1.tagYear(), "1987");
    EXPECT_EQ(v1.tagComments(), "From mutagen");
    EXPECT_EQ(v1.tagTrack(), 12);
    EXPECT_EQ(v1.tagStrGenre(), "Rock");

    v1.tagTitle("Ours \xe6\x97\xa5");
    v1.tagComments("Our comment");
    v1.tagTrack(3);
    v1.tagGenre(8);
    ASSERT_TRUE(v1.SaveTag());
    EXPECT_PEER("v1-check", path_, "title=Ours ?", "artist=Caf\xc3\xa9", "album=Album", "year=1987",
                "comment=Our comment", "track=3", "genre=8");
}

} // namespace
