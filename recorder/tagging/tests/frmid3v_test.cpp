// "ID3 Editor" on the offscreen platform over a folder of real MP3 files made
// by ffmpeg and tagged by mutagen; every save is read back by mutagen.

#include "platform/com/class_registry.h"
#include "platform/testserver/sound_server.h"
#include "recorder/widgets/testing/scripted_prompts.h"
#include "recorder/player/clsFMOD.h"
#include "recorder/tagging/clsID3v1.h"
#include "recorder/tagging/ui/frmid3v.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace recorder {
namespace {

class RecordedPlayerMessages final : public PlayerMessages {
public:
    void message(const std::string& text, const std::string&, PlayerMessageIcon) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 512> buffer{};
        while (std::fgets(buffer.data(), int(buffer.size()), pipe)) out += buffer.data();
        ::pclose(pipe);
    }
    return out;
}

// Runs a mutagen script with the file as sys.argv[1]; its printed output.
std::string mutagen(const std::string& script, const std::string& path)
{
    const std::string file = testing::TempDir() + "frmid3v_mutagen_" + std::to_string(::getpid()) + ".py";
    std::ofstream(file) << "import sys\nfrom mutagen.id3 import ID3, ID3NoHeaderError, TALB, TCON, TIT2, TPE1, TXXX\n"
                        << script << "\n";
    return run(std::string(TAGMORA_PYTHON) + " " + file + " '" + path + "' 2>&1");
}

// The text of one ID3v2 frame as mutagen reads it; "-" when the file has no such frame.
std::string frameText(const std::string& path, const std::string& id)
{
    std::string out = mutagen("try:\n t = ID3(sys.argv[1])\nexcept ID3NoHeaderError:\n print('no tag'); sys.exit()\n"
                              "f = t.getall('" + id + "')\nprint(str(f[0]) if f else '-')",
                              path);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

class Frmid3vTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsound::SoundServer::shared().useInThisProcess();
        char tmpl[] = "/tmp/velmor-id3-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        ::setenv("VELMOR_HOME", home_.c_str(), 1);
        ASSERT_EQ(com::registerServerLibrary(TAGMORA_PATH, false), S_OK);
        folder_ = home_ + "/music";
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        window_.reset();
        ::unsetenv("VELMOR_HOME");
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }
    // A second of a tone as MP3; `tags` is a mutagen statement on `t` (an ID3) before `t.save(...)`.
    std::string makeMp3(const std::string& name, const std::string& tags = "", int version = 3, bool v1 = false)
    {
        const std::string path = folder_ + "/" + name;
        run("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=1 -c:a libmp3lame -b:a 64k -id3v2_version 0 "
            "-write_xing 0 '" + path + "'");
        if (!tags.empty()) {
            EXPECT_EQ(mutagen("t = ID3()\n" + tags + "\nt.save(sys.argv[1], v2_version=" + std::to_string(version) +
                                  ", v1=" + (v1 ? "2" : "0") + ")",
                              path),
                      "");
        }
        return path;
    }
    void openWindow() { window_ = std::make_unique<Frmid3v>(prompts_, playerMessages_); }
    QTreeWidgetItem* row(int i) { return window_->lvw->topLevelItem(i); }
    void check(int i) { row(i)->setCheckState(0, Qt::Checked); }
    void highlight(int i) { window_->lvw->setCurrentItem(row(i)); }

    std::string home_, folder_;
    ScriptedPrompts prompts_;
    RecordedPlayerMessages playerMessages_;
    std::unique_ptr<Frmid3v> window_;
};

TEST_F(Frmid3vTest, ListsTheFoldersMp3FilesWithTheirTagsInEveryVersionAndCase)
{
    makeMp3("01 - my_song.mp3", "t.add(TIT2(encoding=1, text='Alpha')); t.add(TPE1(encoding=1, text='Die Bänd'))", 3, true);
    makeMp3("02 - other.MP3", "t.add(TIT2(encoding=3, text='Beta ünicode')); t.add(TCON(encoding=3, text='(17)Rock'))", 4);
    makeMp3("track03.mp3");
    std::ofstream(folder_ + "/notes.txt") << "not audio";
    openWindow();
    EXPECT_TRUE(window_->previewsEnabled());
    window_->UpdateFolder(folder_);

    ASSERT_EQ(window_->lvw->topLevelItemCount(), 3);
    EXPECT_EQ(row(0)->text(0), "01 - my_song.mp3");
    EXPECT_EQ(row(0)->text(1), "ID3v1 ID3v2");
    EXPECT_EQ(row(1)->text(0), "02 - other.MP3") << "the recorder's own upper-case names are listed";
    EXPECT_EQ(row(1)->text(1), "ID3v2");
    EXPECT_EQ(row(2)->text(1), "");
    EXPECT_TRUE(row(0)->text(2).endsWith(" kB"));
    EXPECT_FALSE(row(0)->text(3).isEmpty());

    highlight(0);
    EXPECT_EQ(window_->txtv2[1]->text(), "Alpha");
    EXPECT_EQ(window_->txtv2[2]->text(), "Die Bänd") << "UTF-16 text decoded";
    EXPECT_EQ(window_->txtv1[1]->text(), "Alpha");
    EXPECT_TRUE(window_->chkv1->isChecked());
    EXPECT_TRUE(window_->txtv1[1]->isEnabled());

    highlight(1);
    EXPECT_EQ(window_->txtv2[1]->text(), "Beta ünicode") << "UTF-8 text of a version-4 tag";
    EXPECT_EQ(window_->cmbv2->currentText(), "Rock");
    EXPECT_FALSE(window_->chkv1->isChecked());
    EXPECT_FALSE(window_->txtv1[1]->isEnabled());

    // A folder without MP3 files empties the list and leaves the fields.
    std::filesystem::create_directories(home_ + "/empty");
    window_->UpdateFolder(home_ + "/empty");
    EXPECT_EQ(window_->lvw->topLevelItemCount(), 0);
    EXPECT_EQ(window_->txtv2[1]->text(), "Beta ünicode");
}

TEST_F(Frmid3vTest, CheckedFilesShowWhatTheyShareAndABatchNumbersTheirTracks)
{
    for (int i = 1; i <= 3; ++i)
        makeMp3("0" + std::to_string(i) + " - song_" + std::to_string(i) + ".mp3",
                "t.add(TIT2(encoding=1, text='Title " + std::to_string(i) +
                    "')); t.add(TPE1(encoding=1, text='Same')); t.add(TXXX(encoding=3, desc='mine', text='keep me'))");
    openWindow();
    window_->UpdateFolder(folder_);
    ASSERT_EQ(window_->lvw->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) check(i);
    EXPECT_EQ(window_->txtv2[2]->text(), "Same");
    EXPECT_EQ(window_->txtv2[1]->text(), "") << "titles differ";
    EXPECT_FALSE(window_->chkv1->isChecked()) << "no checked file carries ID3v1";

    window_->chkOpt[1]->setChecked(true); // tracks from the list order
    window_->chkv1->setChecked(true);
    window_->txtv2[3]->setText("Our Album");
    window_->SaveItems();
    EXPECT_TRUE(prompts_.messages.empty());
    for (int i = 0; i < 3; ++i) {
        const std::string path = window_->records()[std::size_t(i)].path;
        EXPECT_EQ(frameText(path, "TRCK"), std::to_string(i + 1));
        EXPECT_EQ(frameText(path, "TIT2"), "Title " + std::to_string(i + 1)) << "an empty field keeps the file's own";
        EXPECT_EQ(frameText(path, "TALB"), "Our Album");
        EXPECT_EQ(frameText(path, "TXXX"), "keep me") << "frames the editor does not show survive";
        clsID3v1 v1;
        v1.filename(path);
        ASSERT_TRUE(v1.ReadTag());
        EXPECT_EQ(v1.tagTrack(), i + 1);
        EXPECT_EQ(row(i)->text(1), "ID3v1 ID3v2");
    }

    // Only the ID3v2 box: the tracks are still 1, 2, 3.
    window_->chkv1->setChecked(false);
    window_->SaveItems();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frameText(window_->records()[std::size_t(i)].path, "TRCK"), std::to_string(i + 1));
        EXPECT_EQ(row(i)->text(1), "ID3v2");
    }
}

TEST_F(Frmid3vTest, OneFileSavesWhatTheWindowShowsAndAClearedBoxRemovesTheTag)
{
    const std::string path = makeMp3("01 - my_song.mp3", "t.add(TIT2(encoding=0, text='Old'))");
    openWindow();
    window_->UpdateFolder(folder_);
    highlight(0);
    window_->chkOpt[2]->setChecked(true);
    EXPECT_EQ(window_->lblTitle->text(), "Grabbed title for selected mp3: \nMy Song");

    window_->txtv2[1]->setText("Neu – ünicode");
    window_->txtv2[9]->setText("https://example.org/");
    window_->cmbv2->setCurrentText("Jazz");
    window_->SaveItems();
    EXPECT_EQ(frameText(path, "TIT2"), "Neu – ünicode");
    EXPECT_EQ(frameText(path, "TCON"), "Jazz");
    window_->RefreshItem(0);
    EXPECT_EQ(window_->txtv2[1]->text(), "Neu – ünicode") << "the window shows what the file now holds";

    // Copy into ID3v1, then clear the ID3v2 box and save.
    window_->CopyToID3v1();
    EXPECT_TRUE(window_->chkv1->isChecked());
    EXPECT_EQ(window_->txtv1[1]->text(), "Neu – ünicode");
    EXPECT_EQ(window_->cmbv1->currentText(), "Jazz");
    window_->chkv2->setChecked(false);
    EXPECT_FALSE(window_->txtv2[1]->isEnabled());
    window_->SaveItems();
    std::string head(3, '\0');
    std::ifstream(path, std::ios::binary).read(head.data(), 3);
    EXPECT_NE(head, "ID3") << "the ID3v2 tag is gone";
    EXPECT_EQ(frameText(path, "TIT2"), "Neu ? ünicode") << "mutagen now finds only the Latin-1 ID3v1 title";
    EXPECT_EQ(row(0)->text(1), "ID3v1 ");
    clsID3v1 v1;
    v1.filename(path);
    ASSERT_TRUE(v1.ReadTag());
    EXPECT_EQ(v1.tagGenre(), 8) << "Jazz";
}

TEST_F(Frmid3vTest, AFileWithoutATagShowsEmptyFieldsAndNothingOfTheFileShownBeforeIsSavedIntoIt)
{
    makeMp3("01 - tagged.mp3",
            "from mutagen.id3 import COMM\nt.add(TPE1(encoding=0, text='Other artist'))\n"
            "t.add(COMM(encoding=0, lang='eng', desc='', text='other comment'))",
            3, true);
    const std::string bare = makeMp3("02 - bare.mp3");
    openWindow();
    window_->UpdateFolder(folder_);
    highlight(0);
    ASSERT_EQ(window_->txtv2[2]->text(), "Other artist");
    highlight(1);
    for (QLineEdit* box : window_->txtv2) EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    for (QLineEdit* box : window_->txtv1) EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    EXPECT_TRUE(window_->cmbv2->currentText().isEmpty());
    EXPECT_FALSE(window_->chkv2->isChecked());

    window_->chkv2->setChecked(true);
    window_->txtv2[1]->setText("Bare title");
    window_->SaveItems();
    EXPECT_EQ(frameText(bare, "TIT2"), "Bare title");
    EXPECT_NE(frameText(bare, "TPE1"), "Other artist");
    EXPECT_NE(frameText(bare, "COMM"), "other comment");
}

// Other taggers (mutagen among them) end a Latin-1 comment without a terminator.
TEST_F(Frmid3vTest, AnUnterminatedLatin1CommentIsShownWholeAndSavedBackWhole)
{
    const std::string path =
        makeMp3("01 - note.mp3", "from mutagen.id3 import COMM\nt.add(COMM(encoding=0, lang='eng', desc='', text='caf\\xe9 au lait'))");
    openWindow();
    window_->UpdateFolder(folder_);
    highlight(0);
    EXPECT_EQ(window_->txtv2[tagfield::kComments]->text(), QString::fromUtf8("café au lait"));
    window_->txtv2[1]->setText("Title");
    window_->SaveItems();
    EXPECT_EQ(frameText(path, "COMM"), "café au lait");
}

TEST_F(Frmid3vTest, TheTrackBoxTakesDigitsUpTo255)
{
    makeMp3("a.mp3");
    openWindow();
    window_->UpdateFolder(folder_);
    window_->show();
    QLineEdit* track = window_->txtv1[0];
    window_->chkv1->setChecked(true);
    track->clear();
    track->setFocus();
    QTest::keyClicks(track, "3x0-0");
    EXPECT_EQ(track->text(), "255") << "300 becomes 255; letters and signs are swallowed";
    QTest::keyClick(track, Qt::Key_Backspace);
    EXPECT_EQ(track->text(), "25");
}

TEST_F(Frmid3vTest, AFileThatCannotBeSavedIsNamedAndTheOthersAreSaved)
{
    makeMp3("1.mp3", "t.add(TIT2(encoding=0, text='one'))");
    const std::string gone = makeMp3("2.mp3", "t.add(TIT2(encoding=0, text='two'))");
    const std::string third = makeMp3("3.mp3", "t.add(TIT2(encoding=0, text='three'))");
    openWindow();
    window_->UpdateFolder(folder_);
    for (int i = 0; i < 3; ++i) check(i);
    std::filesystem::remove(gone);
    window_->txtv2[3]->setText("Album");
    window_->SaveItems();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find(gone + ": the file is gone"), std::string::npos) << prompts_.messages[0].text;
    EXPECT_EQ(frameText(third, "TALB"), "Album");
}

TEST_F(Frmid3vTest, OptionsAndTheFolderComeBackInTheNextWindow)
{
    makeMp3("a.mp3", "t.add(TIT2(encoding=0, text='x'))");
    openWindow();
    EXPECT_TRUE(window_->chkOpt[0]->isChecked()) << "empty fields keep their value by default";
    EXPECT_FALSE(window_->chkOpt[1]->isChecked());
    window_->UpdateFolder(folder_);
    window_->chkOpt[0]->setChecked(false);
    window_->chkOpt[2]->setChecked(true);
    window_->reject();
    window_.reset();

    openWindow();
    EXPECT_FALSE(window_->chkOpt[0]->isChecked());
    EXPECT_TRUE(window_->chkOpt[2]->isChecked());
    EXPECT_EQ(window_->folder(), folder_);
    EXPECT_EQ(window_->lvw->topLevelItemCount(), 1) << "the remembered folder is listed";
}

TEST_F(Frmid3vTest, PreviewPlaysPausesAndStops)
{
    const std::string path = makeMp3("a.mp3");
    std::ofstream(folder_ + "/broken.mp3") << "not an mp3 at all";
    openWindow();
    ASSERT_TRUE(window_->previewsEnabled());
    window_->Playback(path);
    EXPECT_TRUE(window_->player().StreamIsLoaded());
    EXPECT_TRUE(window_->tmr->isActive());
    window_->Playback("pause");
    EXPECT_TRUE(window_->player().StreamIsPaused());
    window_->Playback("pause");
    EXPECT_FALSE(window_->player().StreamIsPaused());
    window_->Playback("jump");
    EXPECT_NEAR(window_->player().StreamSongPos(), window_->player().StreamSongLen() / 2, 100);
    window_->Playback("");
    EXPECT_FALSE(window_->player().StreamIsLoaded());

    window_->Playback(folder_ + "/broken.mp3");
    ASSERT_EQ(playerMessages_.texts.size(), 1u);
    EXPECT_EQ(playerMessages_.texts[0], "Could not recognize & play \"" + folder_ + "/broken.mp3\".");
}

} // namespace
} // namespace recorder
