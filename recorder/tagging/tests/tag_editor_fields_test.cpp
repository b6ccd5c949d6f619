// The tag editor's reading side: titles from file names, the fields several
// checked files share, and a folder's rows as the list shows them.

#include "recorder/tagging/editor/common_tag_fields.h"
#include "recorder/tagging/editor/grab_title.h"
#include "recorder/tagging/editor/tag_folder_scan.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

using namespace recorder;

namespace {

TEST(GrabTitle, TakesTheTextAfterTheLastDashInItsDisplayForm)
{
    EXPECT_EQ(GrabTitle("/music/01 - my_song.mp3"), "My Song");
    EXPECT_EQ(GrabTitle("/music/track01.mp3"), "");
    EXPECT_EQ(GrabTitle("/music/Artist - Album - the%20last_one.MP3"), "The Last One");
    EXPECT_EQ(GrabTitle("/music/a-b.c/d.mp3"), "") << "a dash in the folder is not the name's";
    EXPECT_EQ(GrabTitle("/music/ends with dash -.mp3"), "");
}

TagFileRecord withV1(std::string title, std::string artist, std::string track = "", int genre = 17)
{
    TagFileRecord r;
    r.hasV1 = true;
    r.v1[tagfield::kTitle] = std::move(title);
    r.v1[tagfield::kArtist] = std::move(artist);
    r.v1[tagfield::kTrack] = std::move(track);
    r.v1Genre = genre;
    return r;
}

TEST(CommonTagFields, KeepsWhatAllCheckedFilesShareAndBlanksTheRest)
{
    TagFileRecord a = withV1("One", "The Band", "3"), b = withV1("Two", "the band", "03"), c = withV1("Three", "THE BAND", "3");
    const CommonTagFields common = commonTagFields({&a, &b, &c});
    EXPECT_TRUE(common.anyV1);
    EXPECT_FALSE(common.anyV2);
    EXPECT_EQ(common.fields.v1[tagfield::kArtist], "The Band") << "the first file's text, compared without case";
    EXPECT_EQ(common.fields.v1[tagfield::kTitle], "");
    EXPECT_EQ(common.fields.v1[tagfield::kTrack], "3") << "tracks compare as numbers";
    EXPECT_EQ(common.fields.v1Genre, 17);

    TagFileRecord d = withV1("One", "The Band", "0", 12);
    const CommonTagFields mixed = commonTagFields({&a, &d});
    EXPECT_EQ(mixed.fields.v1Genre, -1) << "differing genres select none";
    EXPECT_EQ(mixed.fields.v1[tagfield::kTitle], "One");
    EXPECT_EQ(mixed.fields.v1[tagfield::kTrack], "");

    TagFileRecord zero = withV1("x", "y", "0"), zero2 = withV1("z", "y", "0");
    EXPECT_EQ(commonTagFields({&zero, &zero2}).fields.v1[tagfield::kTrack], "") << "a common track 0 is not shown";
}

TEST(CommonTagFields, FilesWithoutAVersionDoNotTakePartInIt)
{
    TagFileRecord none;
    TagFileRecord v2a, v2b;
    v2a.hasV2 = v2b.hasV2 = true;
    v2a.v2[tagfield::kComposer] = "Bach";
    v2b.v2[tagfield::kComposer] = "bach";
    v2a.v2Genre = "Rock";
    v2b.v2Genre = "Pop";
    const CommonTagFields common = commonTagFields({&none, &v2a, &v2b});
    EXPECT_FALSE(common.anyV1);
    EXPECT_TRUE(common.anyV2);
    EXPECT_EQ(common.fields.v2[tagfield::kComposer], "Bach");
    EXPECT_EQ(common.fields.v2Genre, "");
}

// Stands in for the stream player's tag reading: fields per path.
class TableTagReader : public StreamTagReader {
public:
    std::map<std::string, std::map<std::string, std::string>> fields; // path → "1:TITLE" / "2:TIT2" → text
    int opened = 0, closed = 0;

    std::int32_t GetStreamOpenFile(const std::string& path, bool) override
    {
        paths_.push_back(path);
        ++opened;
        return std::int32_t(paths_.size());
    }
    std::string GetStreamTag(std::int32_t handle, int eTag, const std::string& name) override
    {
        auto& f = fields[paths_.at(std::size_t(handle) - 1)];
        auto it = f.find(std::to_string(eTag) + ":" + name);
        return it == f.end() ? "" : it->second;
    }
    void GetStreamCloseFile(std::int32_t) override { ++closed; }

private:
    std::vector<std::string> paths_;
};

TEST(TagFolderScan, ListsTheFoldersMp3FilesInAnyCaseWithTheirTags)
{
    const std::string folder = testing::TempDir() + "tag_scan_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder + "/sub");
    for (const char* name : {"b.mp3", "A.MP3", "c.wav", "sub/d.mp3", "none.Mp3"}) std::ofstream(folder + "/" + name) << "x";

    TableTagReader reader;
    reader.fields[folder + "/A.MP3"] = {{"1:TITLE", "Upper"}, {"1:GENRE", "17"}, {"2:TCON", "(17)Rock"}, {"2:TRCK", "4"}};
    reader.fields[folder + "/b.mp3"] = {{"1:GENRE", "0"}, {"2:TCON", "(17)"}};
    std::vector<std::size_t> progress;
    const auto records = scanTagFolder(reader, folder, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 3u);
        progress.push_back(done);
    });
    ASSERT_EQ(records.size(), 3u) << "no .wav, no subfolder";
    EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(reader.opened, 3);
    EXPECT_EQ(reader.closed, 3);

    const TagFileRecord& upper = records[0];
    EXPECT_EQ(upper.path, folder + "/A.MP3");
    EXPECT_TRUE(upper.hasV1);
    EXPECT_TRUE(upper.hasV2);
    EXPECT_EQ(upper.v1Genre, 17);
    EXPECT_EQ(upper.v2Genre, "Rock");
    EXPECT_EQ(upper.v2[tagfield::kTrack], "4");
    EXPECT_EQ(tagsColumnText(upper), "ID3v1 ID3v2");

    const TagFileRecord& b = records[1];
    EXPECT_FALSE(b.hasV1) << "empty fields and genre 0 are no ID3v1 tag";
    EXPECT_TRUE(b.hasV2) << "a genre number alone is an ID3v2 field";
    EXPECT_EQ(b.v2Genre, "");
    EXPECT_EQ(tagsColumnText(b), "ID3v2");
    EXPECT_EQ(tagsColumnText(records[2]), "");
    std::filesystem::remove_all(folder);
}

TEST(TagFolderScan, ColumnTexts)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(sizeColumnText(0), "0 kB");
    EXPECT_EQ(sizeColumnText(1264640), "1,235 kB");
    EXPECT_EQ(sizeColumnText(5LL * 1024 * 1024 * 1024), "5,242,880 kB") << "no overflow past 2 GiB";
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(sizeColumnText(1264640), "1.235 kB");
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(withoutGenreNumber("(17)Rock"), "Rock");
    EXPECT_EQ(withoutGenreNumber("Rock (live)"), "Rock (live)");
    EXPECT_EQ(withoutGenreNumber("(unclosed"), "(unclosed");
}

} // namespace
