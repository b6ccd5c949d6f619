// Tags of every ID3v2 version, written by other programs: the facade reads
// the twelve fields as mutagen does, and a title save keeps every other frame
// (in its v2.3 form), the audio bytes, and, where the tag has room, the file.

#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "recorder/tagging/clsID3v23.h"
#include "tags/tests/tag_test_support.h"

#include <fstream>
#include <map>
#include <sys/stat.h>

using namespace recorder;
using namespace tagtest;

namespace {

class TagVersions : public ComRegistryTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        ComRegistryTest::SetUp();
        ASSERT_EQ(com::registerServerLibrary(TAGMORA_PATH, false), S_OK);
        path_ = home_ + "/song.mp3";
    }
    // False when the program that writes this kind is not installed.
    bool make(const std::string& kind)
    {
        auto r = runScript(TAGMORA_VERSIONS_SCRIPT, {"make", kind, path_});
        if (r.exitCode == 3) return false;
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return true;
    }
    // mutagen's twelve fields, from its JSON dump.
    std::map<std::string, std::string> mutagenFields(const std::string& json)
    {
        std::map<std::string, std::string> out;
        std::ifstream in(json);
        std::string line;
        bool inFields = false;
        while (std::getline(in, line)) {
            if (line.find("\"fields\"") != std::string::npos) inFields = true;
            else if (inFields && line.find('}') != std::string::npos) break;
            else if (inFields) {
                const auto k0 = line.find('"'), k1 = line.find('"', k0 + 1);
                const auto v0 = line.find('"', k1 + 1), v1 = line.rfind('"');
                out[line.substr(k0 + 1, k1 - k0 - 1)] = line.substr(v0 + 1, v1 - v0 - 1);
            }
        }
        return out;
    }
    std::string path_;
};

TEST_P(TagVersions, FieldsReadAsMutagenReadsThemAndATitleSaveKeepsEveryFrame)
{
    if (!make(GetParam())) GTEST_SKIP() << GetParam() << ": the program that writes it is not installed";
    const std::string before = home_ + "/before.json";
    auto dump = runScript(TAGMORA_VERSIONS_SCRIPT, {"dump", path_, before});
    ASSERT_EQ(dump.exitCode, 0) << dump.output;

    clsID3v23 t;
    t.filename(path_);
    ASSERT_TRUE(t.ReadTag());
    EXPECT_TRUE(t.HasTag());
    auto expected = mutagenFields(before);
    ASSERT_EQ(expected.size(), 12u);
    const std::pair<const char*, std::string> ours[] = {
        {"TRCK", t.tagTrack()},     {"TIT2", t.tagTitle()},   {"TPE1", t.tagArtist()},     {"TALB", t.tagAlbum()},
        {"TYER", t.tagYear()},      {"TCON", t.tagGenre()},   {"COMM", t.tagComments()},   {"TCOM", t.tagComposer()},
        {"TOPE", t.tagOrigArtist()}, {"TCOP", t.tagCopyright()}, {"WXXX", t.tagURL()}, {"TENC", t.tagEncodedBy()}};
    for (const auto& [key, value] : ours) {
        // JSON escapes: compare what needs none (the rich tags keep to printable text and \n).
        std::string want = expected[key];
        for (auto at = want.find("\\n"); at != std::string::npos; at = want.find("\\n")) want.replace(at, 2, "\n");
        EXPECT_EQ(value, want) << GetParam() << " " << key;
    }

    t.tagTitle("New title \xc3\xa9");
    ASSERT_TRUE(t.SaveTag());
    auto compare = runScript(TAGMORA_VERSIONS_SCRIPT, {"compare", before, path_, "New title \xc3\xa9"});
    EXPECT_EQ(compare.exitCode, 0) << GetParam() << "\n" << compare.output;
}

INSTANTIATE_TEST_SUITE_P(Writers, TagVersions,
                         ::testing::Values("mutagen23", "mutagen24", "ffmpeg3", "ffmpeg4", "lame", "eyed3", "v22pic",
                                           "unsync23", "exthdr23", "exthdr24", "compressed23", "compressed24"));

class TagInPlace : public TagVersions {};

TEST_F(TagInPlace, ASaveThatFitsRewritesOnlyTheTagInTheSameFile)
{
    ASSERT_TRUE(make("mutagen24")); // mutagen leaves about 1 kB of padding
    const Bytes original = readFile(path_);
    struct stat before {};
    ::stat(path_.c_str(), &before);
    const std::size_t tagEnd = 10 + ((original[6] << 21) | (original[7] << 14) | (original[8] << 7) | original[9]);

    clsID3v23 t;
    t.filename(path_);
    ASSERT_TRUE(t.ReadTag());
    t.tagTitle("Short");
    ASSERT_TRUE(t.SaveTag());
    const Bytes after = readFile(path_);
    struct stat now {};
    ::stat(path_.c_str(), &now);
    EXPECT_EQ(now.st_ino, before.st_ino) << "the same file, not a replacement";
    ASSERT_EQ(after.size(), original.size());
    EXPECT_TRUE(std::equal(after.begin() + std::ptrdiff_t(tagEnd), after.end(), original.begin() + std::ptrdiff_t(tagEnd)))
        << "nothing after the tag was written";
    EXPECT_EQ(after[3], 3);
    EXPECT_FALSE(std::filesystem::exists(path_ + ".new"));

    // A comment far larger than the room: the rewrite path, with room to grow next time.
    t.tagComments(std::string(5000, 'c'));
    ASSERT_TRUE(t.SaveTag());
    struct stat grown {};
    ::stat(path_.c_str(), &grown);
    EXPECT_NE(grown.st_ino, before.st_ino) << "rewritten through a sibling file";
    const Bytes rewritten = readFile(path_);
    EXPECT_TRUE(std::equal(rewritten.end() - std::ptrdiff_t(original.size() - tagEnd), rewritten.end(),
                           original.begin() + std::ptrdiff_t(tagEnd)))
        << "the audio bytes are the same";
    clsID3v23 back;
    back.filename(path_);
    ASSERT_TRUE(back.ReadTag());
    EXPECT_EQ(back.tagComments(), std::string(5000, 'c'));
    EXPECT_EQ(back.tagTitle(), "Short");
}

TEST_F(TagInPlace, BrokenTagsAreRefusedAndTheirFilesUntouched)
{
    for (const char* name : {"oversized_frame.mp3", "oversized_tag.mp3", "unsync_cut_in_pair.mp3",
                             "bad_compressed_data.mp3", "extended_header_larger_than_tag.mp3"}) {
        const Bytes original = readFile(std::string(TAGMORA_TESTDATA) + "/" + name);
        ASSERT_FALSE(original.empty()) << name;
        writeFile(path_, original);
        clsID3v23 t;
        t.filename(path_);
        t.ReadTag();
        t.tagTitle("Over it");
        EXPECT_FALSE(t.SaveTag()) << name;
        EXPECT_EQ(readFile(path_), original) << name;
    }
}

} // namespace
