#include "recorder/tagging/clsID3v1.h"
#include "tags/tests/tag_test_support.h"

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace recorder;
using namespace tagtest;

namespace {

// An ID3v1 block: "TAG", fields padded with pad, comment of 28, then zero, track, genre.
Bytes v1(const std::string& title, char pad, std::uint8_t zero = 0, std::uint8_t track = 0, std::uint8_t genre = 17,
         const std::string& comment = "")
{
    auto field = [&](const std::string& s, std::size_t n) {
        Bytes b = bytesOf(s);
        b.resize(n, static_cast<std::uint8_t>(pad));
        return b;
    };
    return bytesOf("TAG") + field(title, 30) + field("Artist", 30) + field("Album", 30) + field("1999", 4) +
           field(comment, 28) + Bytes{zero, track, genre};
}

class ID3v1Test : public ::testing::Test {
protected:
    clsID3v1 open(const Bytes& bytes)
    {
        writeFile(path_, bytes);
        clsID3v1 t;
        t.filename(path_);
        return t;
    }
    TempDir dir_;
    std::string path_ = dir_.file("a.mp3");
    Bytes audio_ = fakeAudio(4000);
};

TEST_F(ID3v1Test, SpaceAndNulPaddedFieldsReadAlike)
{
    for (char pad : {' ', '\0'}) {
        auto t = open(audio_ + v1("Song", pad));
        ASSERT_TRUE(t.ReadTag());
        EXPECT_EQ(t.tagTitle(), "Song");
        EXPECT_EQ(t.tagArtist(), "Artist");
        EXPECT_EQ(t.tagAlbum(), "Album");
        EXPECT_EQ(t.tagYear(), "1999");
        EXPECT_EQ(t.tagGenre(), 17);
        EXPECT_EQ(t.tagStrGenre(), "Rock");
    }
}

TEST_F(ID3v1Test, CommentAndTrackShareTheLastBytes)
{
    auto t = open(audio_ + v1("x", ' ', 0, 7, 0, std::string(28, 'c')));
    ASSERT_TRUE(t.ReadTag());
    EXPECT_EQ(t.tagTrack(), 7);
    EXPECT_EQ(t.tagComments(), std::string(28, 'c'));

    const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
    t.tagComments(thirty);
    EXPECT_EQ(t.tagComments(), thirty);
    EXPECT_EQ(t.tagTrack(), 0) << "an ID3v1.0 comment gives up the track";
    t.tagComments("short");
    EXPECT_EQ(t.tagTrack(), 0) << "until the track is written";
    t.tagComments(thirty);
    t.tagTrack(5);
    EXPECT_EQ(t.tagTrack(), 5);
    EXPECT_EQ(t.tagComments(), thirty.substr(0, 28));

    t.tagComments(thirty.substr(0, 29));
    EXPECT_EQ(t.tagComments(), thirty.substr(0, 29)) << "a 29th character ends the comment";
}

TEST_F(ID3v1Test, GenreNames)
{
    clsID3v1 t;
    EXPECT_EQ(t.ReturnGenre(0), "Blues");
    EXPECT_EQ(t.ReturnGenre(17), "Rock");
    EXPECT_EQ(t.ReturnGenre(67), "Phychedelic");
    EXPECT_EQ(t.ReturnGenre(147), "Synth Pop");
    EXPECT_EQ(t.ReturnGenre(148), "");
    t.tagGenre(255);
    EXPECT_EQ(t.tagStrGenre(), "");
}

TEST_F(ID3v1Test, TextIsLatin1WithQuestionMarksForTheRest)
{
    auto t = open(audio_);
    t.tagTitle("Caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80");
    t.tagArtist(std::string(40, 'a'));
    t.tagAlbum(std::string(29, 'b') + "\xc3\xa9\xc3\xa9");
    ASSERT_TRUE(t.SaveTag());
    Bytes file = readFile(path_);
    Bytes title(file.end() - 125, file.end() - 95);
    EXPECT_EQ(title, bytesOf("Caf\xe9 ?? ?") + Bytes(21, ' ')) << "one ? per character";

    clsID3v1 back;
    back.filename(path_);
    ASSERT_TRUE(back.ReadTag());
    EXPECT_EQ(back.tagTitle(), "Caf\xc3\xa9 ?? ?");
    EXPECT_EQ(back.tagArtist(), std::string(30, 'a'));
    EXPECT_EQ(back.tagAlbum(), std::string(29, 'b') + "\xc3\xa9") << "cut by characters";
}

TEST_F(ID3v1Test, SaveAppendsOrOverwritesAndRemoveTruncates)
{
    auto t = open(audio_);
    EXPECT_FALSE(t.HasTag());
    EXPECT_FALSE(t.ReadTag());
    EXPECT_EQ(t.tagGenre(), 255);
    t.tagTitle("One");
    ASSERT_TRUE(t.SaveTag());
    Bytes file = readFile(path_);
    ASSERT_EQ(file.size(), audio_.size() + 128);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + std::ptrdiff_t(audio_.size())), audio_);
    EXPECT_TRUE(t.HasTag());

    t.tagTitle("Two");
    ASSERT_TRUE(t.SaveTag());
    EXPECT_EQ(readFile(path_).size(), audio_.size() + 128) << "an existing tag is overwritten";

    ASSERT_TRUE(t.RemoveTag());
    EXPECT_EQ(readFile(path_), audio_);
    ASSERT_TRUE(t.RemoveTag()) << "no tag: true, nothing changes";
    EXPECT_EQ(readFile(path_), audio_);
}

TEST_F(ID3v1Test, BadFilesAnswerFalse)
{
    auto t = open(Bytes(100, 1));
    EXPECT_FALSE(t.ReadTag());
    EXPECT_FALSE(t.SaveTag()) << "shorter than a tag";
    EXPECT_EQ(readFile(path_), Bytes(100, 1));

    clsID3v1 missing;
    missing.filename(dir_.file("none.mp3"));
    EXPECT_FALSE(missing.ReadTag());
    EXPECT_FALSE(missing.HasTag());
    EXPECT_FALSE(missing.SaveTag());
    EXPECT_FALSE(missing.RemoveTag());
    missing.filename(dir_.path().string());
    EXPECT_FALSE(missing.ReadTag());
    EXPECT_FALSE(missing.SaveTag());

    auto locked = open(audio_ + v1("x", ' '));
    ::chmod(path_.c_str(), 0444);
    EXPECT_TRUE(locked.ReadTag());
    EXPECT_FALSE(locked.SaveTag());
    EXPECT_FALSE(locked.RemoveTag());
    EXPECT_EQ(readFile(path_), audio_ + v1("x", ' '));
}

TEST_F(ID3v1Test, AFailedAppendLeavesNoHalfTag)
{
    auto t = open(audio_);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = audio_.size() + 50;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = t.SaveTag();
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(path_), audio_);
}

} // namespace
