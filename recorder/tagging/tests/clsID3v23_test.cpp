#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "recorder/tagging/clsID3v23.h"
#include "tags/tests/tag_test_support.h"

#include <algorithm>
#include <thread>

#include <sys/stat.h>

using namespace recorder;
using namespace tagtest;

namespace {

class ID3v23Test : public ComRegistryTest {
protected:
    void SetUp() override
    {
        ComRegistryTest::SetUp();
        ASSERT_EQ(com::registerServerLibrary(TAGMORA_PATH, false), S_OK);
        path_ = home_ + "/song.mp3";
    }
    clsID3v23 facade(const Bytes& bytes)
    {
        writeFile(path_, bytes);
        clsID3v23 t;
        t.filename(path_);
        return t;
    }
    std::string path_;
    Bytes audio_ = fakeAudio(3000);
};

std::vector<std::string> frameIds(const Bytes& file)
{
    std::vector<std::string> ids;
    for (std::size_t p = 10; p + 10 <= file.size() && file[p] != 0;) {
        ids.emplace_back(file.begin() + std::ptrdiff_t(p), file.begin() + std::ptrdiff_t(p) + 4);
        p += 10 + ((std::size_t(file[p + 4]) << 24) | (std::size_t(file[p + 5]) << 16) | (file[p + 6] << 8) | file[p + 7]);
    }
    return ids;
}

TEST_F(ID3v23Test, SavedTagHoldsTwelveFramesInTheirOrder)
{
    auto t = facade(audio_);
    t.tagTitle("Only a title");
    ASSERT_TRUE(t.SaveTag());
    EXPECT_EQ(frameIds(readFile(path_)), (std::vector<std::string>{"TALB", "TPE1", "COMM", "TCOM", "TCOP", "TENC",
                                                                  "TCON", "TOPE", "TIT2", "TRCK", "WXXX", "TYER"}));

    clsID3v23 back;
    back.filename(path_);
    back.tagArtist("stale");
    ASSERT_TRUE(back.ReadTag());
    EXPECT_TRUE(back.HasTag());
    EXPECT_EQ(back.tagTitle(), "Only a title");
    for (const auto& empty : {back.tagArtist(), back.tagAlbum(), back.tagComments(), back.tagURL(), back.tagYear(),
                              back.tagTrack(), back.tagEncodedBy()})
        EXPECT_EQ(empty, "");
}

TEST_F(ID3v23Test, EveryFieldRoundTrips)
{
    auto t = facade(audio_);
    t.tagTrack("3/12");
    t.tagTitle("T\xc3\xadtulo \xd0\x96");
    t.tagArtist("Artist");
    t.tagAlbum("Album");
    t.tagYear("2024");
    t.tagGenre("(17)Rock");
    t.tagComments(std::string(300, 'c'));
    t.tagComposer("Composer");
    t.tagOrigArtist("Orig");
    t.tagCopyright("(c) me");
    t.tagURL("http://example.org/");
    t.tagEncodedBy("Velmor");
    ASSERT_TRUE(t.SaveTag());
    clsID3v23 b;
    b.filename(path_);
    ASSERT_TRUE(b.ReadTag());
    EXPECT_EQ(b.tagTrack(), "3/12");
    EXPECT_EQ(b.tagTitle(), "T\xc3\xadtulo \xd0\x96");
    EXPECT_EQ(b.tagGenre(), "(17)Rock");
    EXPECT_EQ(b.tagTrimmedGenre(), "Rock");
    EXPECT_EQ(b.tagComments(), std::string(300, 'c'));
    EXPECT_EQ(b.tagURL(), "http://example.org/");
    EXPECT_EQ(b.tagEncodedBy(), "Velmor");

    Bytes first = readFile(path_);
    ASSERT_TRUE(b.SaveTag());
    EXPECT_EQ(readFile(path_), first) << "saving unchanged fields rewrites the same bytes";
}

TEST_F(ID3v23Test, SaveKeepsTheOtherFramesOfTheFile)
{
    const Bytes cover = Bytes{0} + bytesOf("image/png") + Bytes{0, 3, 0} + fakeAudio(3000, 5);
    auto t = facade(tag(frame("APIC", cover) + frame("TIT2", textBody("Old")) + frame("PRIV", hex("61 00 01"))) +
                    audio_);
    ASSERT_TRUE(t.ReadTag());
    t.tagTitle("New");
    ASSERT_TRUE(t.SaveTag());
    Bytes file = readFile(path_);
    auto ids = frameIds(file);
    ASSERT_GE(ids.size(), 3u);
    EXPECT_EQ((std::vector<std::string>(ids.begin(), ids.begin() + 3)), (std::vector<std::string>{"APIC", "TIT2", "PRIV"}));
    EXPECT_EQ(ids.size(), 14u) << "the eleven other fields appended";
    EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 20 + std::ptrdiff_t(cover.size())), cover);
    EXPECT_EQ(tail(file, audio_.size()), audio_);
}

TEST_F(ID3v23Test, AVersionFourTagReadsAndKeepsItsFramesOnSave)
{
    auto t = facade(tag(frame("TIT2", textBody("v4")) + frame("TSOP", textBody("sort")), 20, 4) + audio_);
    ASSERT_TRUE(t.ReadTag());
    EXPECT_EQ(t.tagTitle(), "v4");
    EXPECT_TRUE(t.HasTag());
    t.tagAlbum("A");
    ASSERT_TRUE(t.SaveTag());
    const auto ids = frameIds(readFile(path_));
    EXPECT_NE(std::find(ids.begin(), ids.end(), "TSOP"), ids.end()) << "a frame v2.3 lacks is kept";
    EXPECT_EQ(readFile(path_)[3], 3);
}

TEST_F(ID3v23Test, ReadOnlyMissingAndDotNewFiles)
{
    auto t = facade(audio_);
    ::chmod(path_.c_str(), 0444);
    t.tagTitle("x");
    ASSERT_TRUE(t.SaveTag());
    struct stat st {};
    ::stat(path_.c_str(), &st);
    EXPECT_TRUE(st.st_mode & S_IWUSR) << "the file was made writable";

    writeFile(path_ + ".new", bytesOf("keep me"));
    t.tagTitle("y");
    ASSERT_TRUE(t.SaveTag());
    EXPECT_EQ(readFile(path_ + ".new"), bytesOf("keep me"));
    ASSERT_TRUE(t.RemoveTag());
    EXPECT_EQ(readFile(path_), audio_);

    clsID3v23 missing;
    missing.filename(home_ + "/none.mp3");
    missing.tagTitle("kept");
    EXPECT_FALSE(missing.ReadTag());
    EXPECT_EQ(missing.tagTitle(), "kept") << "a failure leaves the properties";
    EXPECT_FALSE(missing.SaveTag());
    EXPECT_FALSE(missing.RemoveTag());
    EXPECT_FALSE(missing.HasTag());
    EXPECT_FALSE(std::filesystem::exists(home_ + "/none.mp3"));
}

TEST_F(ID3v23Test, ADamagedTagIsNeitherReadNorOverwritten)
{
    Bytes broken = frame("TPE1", textBody("cut short"));
    broken.resize(broken.size() - 3);
    const Bytes original = tag(frame("TIT2", textBody("Title")) + broken) + audio_;
    auto t = facade(original);
    EXPECT_FALSE(t.ReadTag());
    EXPECT_FALSE(t.HasTag());
    t.tagTitle("Fixed");
    EXPECT_FALSE(t.SaveTag()) << "saving would lose what lies after the damage";
    EXPECT_EQ(readFile(path_), original);
}

TEST_F(ID3v23Test, WithoutComOnTheThreadEverythingIsFalse)
{
    writeFile(path_, audio_);
    bool read = true, saved = true;
    std::thread([&] {
        clsID3v23 t;
        t.filename(path_);
        read = t.ReadTag();
        saved = t.SaveTag();
    }).join();
    EXPECT_FALSE(read);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(path_), audio_);
}

TEST(ID3v23Genre, TrimmedGenre)
{
    clsID3v23 t;
    for (auto [genre, trimmed] : {std::pair{"Rock", "Rock"}, {"(17)", ""}, {"(17)Rock", "Rock"}, {"(17", "(17"}, {"", ""}}) {
        t.tagGenre(genre);
        EXPECT_EQ(t.tagTrimmedGenre(), trimmed) << genre;
    }
}

} // namespace
