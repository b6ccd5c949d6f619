// Tag fields through clsFMOD's handles, from files of every ID3v2 version,
// files written by mutagen, damaged tags and files that cannot be opened; and
// the error texts. None of this needs sound output, nor Init.

#include "recorder/player/clsFMOD.h"
#include "recorder/player/fmod_errors.h"
#include "recorder/player/tests/tag_bytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace playertest;
using recorder::clsFMOD;
using recorder::kTagFieldId3v1;
using recorder::kTagFieldId3v2;

namespace {

class ClsFmodTags : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-player-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // MPEG-like bytes standing in for audio: tags are read without decoding.
    static Bytes audio() { return Bytes{0xFF, 0xFB, 0x90, 0x00} + Bytes(400, 0x55); }

    std::string dir_;
    clsFMOD fmod_{nullptr};
};

TEST_F(ClsFmodTags, ReadsEveryId3v2VersionAndTheId3v1Trailer)
{
    const Bytes v24 = tag(4, frame("TIT2", Bytes{3} + raw("Grüße ☃"), true) +
                                 frame("TPE1", Bytes{2} + utf16(u"Ærø", true, false), true) +
                                 frame("TDRC", Bytes{0} + raw("2024-05-06"), true) +
                                 frame("COMM", Bytes{3} + raw("eng") + raw("d") + Bytes{0} + raw("über") + Bytes{0}, true) +
                                 frame("WXXX", Bytes{3} + raw("home") + Bytes{0} + raw("https://example.org/x"), true) +
                                 frame("TCON", Bytes{0} + raw("(17)Rock"), true));
    const std::string path24 =
        write("v24.mp3", v24 + audio() + id3v1("Title", "Artist", "Album", "1999", "Comment", 5, 17));
    const std::int32_t h24 = fmod_.GetStreamOpenFile(path24, false);
    ASSERT_NE(h24, 0);
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "TIT2"), "Grüße ☃");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "TPE1"), "Ærø");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "TYER"), "2024");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "COMM"), "über");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "WXXX"), "https://example.org/x");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "TCON"), "(17)Rock");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "TALB"), "");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v1, "TITLE"), "Title");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v1, "COMMENT"), "Comment");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v1, "TRACK"), "5");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v1, "GENRE"), "17");

    const std::string path22 = write("v22.mp3", tag(2, frame22("TT2", Bytes{0} + raw("Old") + Bytes{0}) +
                                                           frame22("COM", Bytes{0} + raw("eng") + Bytes{0} + raw("hi") + Bytes{0})) +
                                                     audio());
    const std::string path23 = write("v23.mp3", tag(3, frame("TIT2", Bytes{1} + utf16(u"Drei", false, true))) + audio());
    const std::int32_t h22 = fmod_.GetStreamOpenFile(path22, false);
    const std::int32_t h23 = fmod_.GetStreamOpenFile(path23, true);
    EXPECT_NE(h22, h23);
    EXPECT_EQ(fmod_.GetStreamTag(h22, kTagFieldId3v2, "TIT2"), "Old");
    EXPECT_EQ(fmod_.GetStreamTag(h22, kTagFieldId3v2, "COMM"), "hi");
    EXPECT_EQ(fmod_.GetStreamTag(h22, kTagFieldId3v1, "TITLE"), "");
    EXPECT_EQ(fmod_.GetStreamTag(h23, kTagFieldId3v2, "TIT2"), "Drei");

    // Handles are independent: closing one leaves the others.
    fmod_.GetStreamCloseFile(h22);
    EXPECT_EQ(fmod_.GetStreamTag(h22, kTagFieldId3v2, "TIT2"), "");
    EXPECT_EQ(fmod_.GetStreamTag(h23, kTagFieldId3v2, "TIT2"), "Drei");
    EXPECT_EQ(fmod_.GetStreamTag(h24, kTagFieldId3v2, "TIT2"), "Grüße ☃");
}

TEST_F(ClsFmodTags, ADamagedTagKeepsTheFramesBeforeTheDamage)
{
    // The second frame claims more bytes than the tag holds.
    const Bytes frames = frame("TIT2", Bytes{0} + raw("Kept")) + raw("TPE1") + size32(5000, false) + Bytes{0, 0, 0} + raw("x");
    const std::int32_t h = fmod_.GetStreamOpenFile(write("damaged.mp3", tag(3, frames, 0) + audio()), false);
    ASSERT_NE(h, 0);
    EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TIT2"), "Kept");
    EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TPE1"), "");
}

TEST_F(ClsFmodTags, AFileThatCannotBeOpenedGivesHandleZeroAndEmptyFields)
{
    EXPECT_EQ(fmod_.GetStreamOpenFile(dir_ + "/missing.mp3", false), 0);
    EXPECT_EQ(fmod_.GetStreamOpenFile(dir_, false), 0);
    const std::string fifo = dir_ + "/fifo.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(fmod_.GetStreamOpenFile(fifo, false), 0); // refused, not waited on
    const std::string locked = write("locked.mp3", audio());
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    if (::geteuid() != 0) { // root reads it anyway
        EXPECT_EQ(fmod_.GetStreamOpenFile(locked, false), 0);
    }
    EXPECT_EQ(fmod_.GetStreamTag(0, kTagFieldId3v2, "TIT2"), "");
    EXPECT_EQ(fmod_.GetStreamTag(0, kTagFieldId3v1, "TITLE"), "");
    EXPECT_EQ(fmod_.GetStreamTag(12345, kTagFieldId3v2, "TIT2"), "");

    // A readable file without tags opens, with every field empty.
    const std::int32_t h = fmod_.GetStreamOpenFile(write("plain.mp3", audio()), false);
    ASSERT_NE(h, 0);
    EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TIT2"), "");
    EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v1, "GENRE"), "");
}

#ifdef PLAYER_MUTAGEN_PYTHON
TEST_F(ClsFmodTags, ReadsWhatMutagenWritesInV23AndV24)
{
    const char* script = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, COMM, WXXX, TCON, TRCK
t = ID3()
t.add(TIT2(encoding=3, text='Grüße ☃'))
t.add(TPE1(encoding=1, text='Ærø'))
t.add(TALB(encoding=2, text=['One', 'Two']))
t.add(COMM(encoding=1, lang='eng', desc='', text='naïve comment'))
t.add(WXXX(encoding=1, desc='home', url='https://example.org/ä'))
t.add(TCON(encoding=0, text='(17)Rock'))
t.add(TRCK(encoding=0, text='3/12'))
t.save(sys.argv[1], v2_version=int(sys.argv[2]))
)";
    for (const char* version : {"3", "4"}) {
        SCOPED_TRACE(version);
        const std::string path = write(std::string("mutagen") + version + ".mp3", audio());
        const std::string command = std::string(PLAYER_MUTAGEN_PYTHON) + " -c \"$PLAYER_SCRIPT\" " + path + " " + version;
        ASSERT_EQ(::setenv("PLAYER_SCRIPT", script, 1), 0);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::int32_t h = fmod_.GetStreamOpenFile(path, false);
        ASSERT_NE(h, 0);
        EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TIT2"), "Grüße ☃");
        EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TPE1"), "Ærø");
        EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TALB"), std::string(version) == "4" ? "One Two" : "One/Two");
        EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "COMM"), "naïve comment");
        EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "WXXX"), "https://example.org/ä");
        EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TCON"), "(17)Rock");
        EXPECT_EQ(fmod_.GetStreamTag(h, kTagFieldId3v2, "TRCK"), "3/12");
        fmod_.GetStreamCloseFile(h);
    }
}
#endif

TEST(ClsFmodErrors, EachCodeHasItsTextAndOthersAreUnknown)
{
    EXPECT_EQ(recorder::fmodErrorText(0), "No errors");
    EXPECT_EQ(recorder::fmodErrorText(1), "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");
    EXPECT_EQ(recorder::fmodErrorText(10), "Unknown file format");
    EXPECT_EQ(recorder::fmodErrorText(19), "An error occured trying to open the specified CD device");
    EXPECT_EQ(recorder::fmodErrorText(20), "Unknown error");
    EXPECT_EQ(recorder::fmodErrorText(-1), "Unknown error");
}

} // namespace
