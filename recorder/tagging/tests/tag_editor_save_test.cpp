// Saving from the tag editor into real files: one file, and batches with the
// multiple-file options, read back through both tag classes.

#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "recorder/tagging/clsID3v1.h"
#include "recorder/tagging/clsID3v23.h"
#include "recorder/tagging/editor/tag_folder_scan.h"
#include "recorder/tagging/editor/tag_save.h"
#include "tags/tests/tag_test_support.h"

using namespace recorder;
using namespace tagtest;

namespace {

class TagEditorSave : public ComRegistryTest {
protected:
    void SetUp() override
    {
        ComRegistryTest::SetUp();
        ASSERT_EQ(com::registerServerLibrary(TAGMORA_PATH, false), S_OK);
    }
    // Files with their own ID3v2 titles and ID3v1 artists.
    void makeFiles(int n)
    {
        for (int i = 0; i < n; ++i) {
            const std::string path = home_ + "/0" + std::to_string(i + 1) + " - song_" + std::to_string(i + 1) + ".mp3";
            writeFile(path, fakeAudio(2000, unsigned(i + 1)));
            clsID3v23 v2;
            v2.filename(path);
            v2.tagTitle("Own title " + std::to_string(i + 1));
            v2.tagArtist("Own artist " + std::to_string(i + 1));
            ASSERT_TRUE(v2.SaveTag());
            clsID3v1 v1;
            v1.filename(path);
            v1.tagTitle("V1 title " + std::to_string(i + 1));
            v1.tagGenre(std::uint8_t(10 + i));
            ASSERT_TRUE(v1.SaveTag());
            TagFileRecord r;
            r.path = path;
            r.hasV1 = r.hasV2 = true;
            records_.push_back(r);
        }
    }
    std::vector<TagFileRecord*> all()
    {
        std::vector<TagFileRecord*> out;
        for (auto& r : records_) out.push_back(&r);
        return out;
    }
    static clsID3v1 v1Of(const std::string& path)
    {
        clsID3v1 t;
        t.filename(path);
        t.ReadTag();
        return t;
    }
    static clsID3v23 v2Of(const std::string& path)
    {
        clsID3v23 t;
        t.filename(path);
        t.ReadTag();
        return t;
    }
    std::vector<TagFileRecord> records_;
};

TEST_F(TagEditorSave, BatchTracksFollowTheListOrderWhicheverVersionsAreWritten)
{
    makeFiles(3);
    TagEdits edits;
    edits.v1On = edits.v2On = true;
    BatchOptions options;
    options.trackFromIndex = true;
    ASSERT_TRUE(saveTagBatch(all(), edits, options).empty());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(v1Of(records_[i].path).tagTrack(), i + 1);
        EXPECT_EQ(v2Of(records_[i].path).tagTrack(), std::to_string(i + 1));
        EXPECT_EQ(records_[i].v2[tagfield::kTrack], std::to_string(i + 1)) << "the record follows the file";
    }

    // Only the ID3v2 box: still 1, 2, 3, and the ID3v1 tags go.
    edits.v1On = false;
    ASSERT_TRUE(saveTagBatch(all(), edits, options).empty());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(v2Of(records_[i].path).tagTrack(), std::to_string(i + 1));
        EXPECT_FALSE(v1Of(records_[i].path).HasTag());
        EXPECT_FALSE(records_[i].hasV1);
        EXPECT_EQ(tagsColumnText(records_[i]), "ID3v2");
    }
}

TEST_F(TagEditorSave, EmptyFieldsKeepEachFilesOwnValue)
{
    makeFiles(3);
    TagEdits edits;
    edits.v1On = edits.v2On = true;
    edits.v2[tagfield::kAlbum] = "Shared album";
    edits.v1[tagfield::kArtist] = "Shared artist";
    BatchOptions options; // keep original values
    ASSERT_TRUE(saveTagBatch(all(), edits, options).empty());
    for (int i = 0; i < 3; ++i) {
        const auto v2 = v2Of(records_[i].path);
        EXPECT_EQ(v2.tagTitle(), "Own title " + std::to_string(i + 1)) << "not the previous file's title";
        EXPECT_EQ(v2.tagArtist(), "Own artist " + std::to_string(i + 1));
        EXPECT_EQ(v2.tagAlbum(), "Shared album");
        const auto v1 = v1Of(records_[i].path);
        EXPECT_EQ(v1.tagTitle(), "V1 title " + std::to_string(i + 1));
        EXPECT_EQ(v1.tagArtist(), "Shared artist");
        EXPECT_EQ(v1.tagGenre(), 10 + i) << "no genre selected keeps the file's";
    }
}

TEST_F(TagEditorSave, GrabbedTitlesAndAllFieldsAssignedWhenNotKeeping)
{
    makeFiles(2);
    TagEdits edits;
    edits.v1On = edits.v2On = true;
    edits.v1Genre = -1;
    BatchOptions options;
    options.keepOriginal = false;
    options.grabTitle = true;
    ASSERT_TRUE(saveTagBatch(all(), edits, options).empty());
    for (int i = 0; i < 2; ++i) {
        const std::string grabbed = "Song " + std::to_string(i + 1);
        EXPECT_EQ(v2Of(records_[i].path).tagTitle(), grabbed);
        EXPECT_EQ(v2Of(records_[i].path).tagArtist(), "") << "every field is assigned";
        EXPECT_EQ(v1Of(records_[i].path).tagTitle(), grabbed);
        EXPECT_EQ(v1Of(records_[i].path).tagGenre(), kNoV1Genre) << "no selected genre is no genre, not a wrapped number";
    }
}

TEST_F(TagEditorSave, OneFileSavesAsShownAndAClearedBoxRemovesItsTag)
{
    makeFiles(1);
    TagFileRecord& record = records_[0];
    TagEdits edits;
    edits.v1On = true;
    edits.v1 = {"300", "Title", "Artist", "Album", "1999", "Note"};
    edits.v1Genre = 17;
    edits.v2On = false;
    ASSERT_TRUE(saveTagFile(record, edits).empty());
    const auto v1 = v1Of(record.path);
    EXPECT_EQ(v1.tagTrack(), 255);
    EXPECT_EQ(v1.tagTitle(), "Title");
    EXPECT_EQ(v1.tagGenre(), 17);
    EXPECT_EQ(record.v1[tagfield::kTrack], "255") << "the record takes back what the tag holds";
    EXPECT_FALSE(v2Of(record.path).HasTag());
    EXPECT_EQ(tagsColumnText(record), "ID3v1 ");

    // Removing a tag the file no longer has is no failure.
    EXPECT_TRUE(saveTagFile(record, edits).empty());
}

TEST_F(TagEditorSave, AFileThatCannotBeWrittenIsReportedAndTheBatchGoesOn)
{
    makeFiles(3);
    std::filesystem::remove(records_[1].path);
    const TagFileRecord before = records_[1];
    TagEdits edits;
    edits.v1On = edits.v2On = true;
    edits.v2[tagfield::kAlbum] = "New";
    BatchOptions options;
    options.trackFromIndex = true;
    const auto failures = saveTagBatch(all(), edits, options);
    ASSERT_FALSE(failures.empty());
    for (const auto& f : failures) {
        EXPECT_EQ(f.path, before.path);
        EXPECT_EQ(f.why, "the file is gone");
    }
    EXPECT_EQ(records_[1].v2, before.v2) << "its record stays as it was";
    EXPECT_EQ(v2Of(records_[2].path).tagAlbum(), "New") << "the files after it are saved";
    EXPECT_EQ(v2Of(records_[2].path).tagTrack(), "3");
    const std::string text = tagSaveFailureText({failures.front()});
    EXPECT_EQ(text, "One file could not be saved:\n" + before.path + ": the file is gone\n");
}

} // namespace
