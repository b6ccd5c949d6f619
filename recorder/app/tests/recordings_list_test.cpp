// The recordings list through the main window's menus: projects, renumbering,
// rename, remove and delete, as a person uses them.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/fileutil/tests/scratch_files.h"

#include <QAction>
#include <QLabel>
#include <QTreeWidget>


namespace recorder {
namespace {

class RecordingsList : public RecorderWindowTest {
protected:
    void SetUp() override
    {
        RecorderWindowTest::SetUp();
        dataHome_.set(home_ + "/data"); // a trash of the test's own
        std::filesystem::create_directories(home_ + "/music");
        openWindow();
    }
    void menu(const char* text)
    {
        QAction* action = form_->menuAction(text);
        ASSERT_NE(action, nullptr) << text;
        ASSERT_TRUE(action->isEnabled()) << text;
        action->trigger();
    }
    std::string audio(const std::string& name, const std::string& text = "audio")
    {
        std::ofstream(home_ + "/music/" + name) << text;
        return home_ + "/music/" + name;
    }
    std::string project(const std::string& name, const std::string& text)
    {
        std::ofstream(home_ + "/" + name, std::ios::binary) << text;
        return home_ + "/" + name;
    }
    void open(const std::string& path)
    {
        prompts_.files.push_back(path);
        menu("Open Recording Project");
    }
    void select(int row) { form_->ListView1->setCurrentItem(form_->ListView1->topLevelItem(row)); }
    std::vector<std::string> numbers() const
    {
        std::vector<std::string> out;
        for (const auto& r : form_->rows()) out.push_back(r.number);
        return out;
    }
    std::vector<std::string> paths() const
    {
        std::vector<std::string> out;
        for (const auto& r : form_->rows()) out.push_back(r.path);
        return out;
    }
    static std::string read(const std::string& path) { return scratch::read(path); }
    std::string line(int n, const std::string& path)
    {
        return std::to_string(n) + "\t" + path + "\t1.5MB\t0:00:0" + std::to_string(n) + "\t12/09/26 07:0" +
               std::to_string(n) + ":00\tWAV\r\n";
    }
    std::string threeRows()
    {
        return project("three.rpf", line(1, audio("a.WAV")) + line(2, audio("b.WAV")) + line(3, audio("c.WAV")));
    }

    scratch::Env dataHome_{"XDG_DATA_HOME"};
};

TEST_F(RecordingsList, SavedRowsOpenBackExactlyIntoAnEmptyList)
{
    open(project("in.rpf", line(1, audio("a.WAV")) + line(2, audio("b é.WAV"))));
    const auto before = form_->rows();
    ASSERT_EQ(before.size(), 2u);

    prompts_.files.push_back(home_ + "/saved.rpf");
    menu("Save Recording Project");
    EXPECT_EQ(read(home_ + "/saved.rpf"), read(home_ + "/in.rpf"));

    menu("New Recording Project");
    EXPECT_TRUE(form_->rows().empty());
    open(home_ + "/saved.rpf");
    const auto after = form_->rows();
    ASSERT_EQ(after.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(after[i].number, before[i].number);
        EXPECT_EQ(after[i].path, before[i].path);
        EXPECT_EQ(after[i].size, before[i].size);
        EXPECT_EQ(after[i].duration, before[i].duration);
        EXPECT_EQ(after[i].recordTime, before[i].recordTime);
        EXPECT_EQ(after[i].format, before[i].format);
    }
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(RecordingsList, OpeningTwiceAppendsWithTheStoredNumbersUntilARemoveRenumbers)
{
    const std::string path = project("two.rpf", line(1, audio("a.WAV")) + line(2, audio("b.WAV")));
    open(path);
    open(path);
    EXPECT_EQ(numbers(), (std::vector<std::string>{"1", "2", "1", "2"}));
    select(0);
    menu("Remove Selected Item");
    EXPECT_EQ(numbers(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_TRUE(std::filesystem::exists(home_ + "/music/a.WAV")) << "remove keeps the file";
}

TEST_F(RecordingsList, RemovingRowTwoOfThreeRenumbersTheLast)
{
    open(threeRows());
    select(1);
    menu("Remove Selected Item");
    EXPECT_EQ(numbers(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(paths(), (std::vector<std::string>{home_ + "/music/a.WAV", home_ + "/music/c.WAV"}));
    form_->ListView1->clearSelection();
    menu("Remove Selected Item");
    EXPECT_EQ(form_->rows().size(), 2u) << "no selection, nothing happens";
}

TEST_F(RecordingsList, AShortLineEndsLoadingAndTheWindowSaysWhere)
{
    open(project("short.rpf", line(1, audio("a.WAV")) + "2\tonly two\r\n" + line(3, audio("c.WAV"))));
    EXPECT_EQ(paths(), std::vector<std::string>{home_ + "/music/a.WAV"});
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_NE(form_->StatusPanel2->text().toStdString().find("Line 2 of"), std::string::npos)
        << form_->StatusPanel2->text().toStdString();
}

TEST_F(RecordingsList, WhatIsNoProjectAddsNothingAndSaysSoOnce)
{
    std::string binary;
    for (int i = 0; i < 100000; ++i) binary += static_cast<char>((i * 131) & 0xFF);
    const std::string cases[] = {home_ + "/vanished.rpf", home_ + "/music", project("noise.rpf", binary),
                                 project("long.rpf", std::string(5 * 1024 * 1024, '\t'))};
    for (const auto& path : cases) {
        prompts_.messages.clear();
        open(path);
        EXPECT_TRUE(form_->rows().empty()) << path;
        ASSERT_EQ(prompts_.messages.size(), 1u) << path;
        EXPECT_NE(prompts_.messages[0].text.find(path), std::string::npos) << prompts_.messages[0].text;
    }
    prompts_.messages.clear();
    open(project("empty.rpf", ""));
    EXPECT_TRUE(prompts_.messages.empty()) << "an empty project is an empty list";
}

TEST_F(RecordingsList, DeleteAsksThenMovesTheFileToTheTrash)
{
    open(threeRows());
    select(1);
    prompts_.answers.push_back(MessageAnswer::Cancel);
    menu("Delete Selected File");
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "Do you want to delete the selected audio file now?");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(prompts_.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(form_->rows().size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(home_ + "/music/b.WAV"));

    menu("Delete Selected File");
    EXPECT_EQ(paths(), (std::vector<std::string>{home_ + "/music/a.WAV", home_ + "/music/c.WAV"}));
    EXPECT_EQ(numbers(), (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(std::filesystem::exists(home_ + "/music/b.WAV"));
    EXPECT_EQ(read(home_ + "/data/Trash/files/b.WAV"), "audio") << "a mistaken delete can be undone";
    EXPECT_TRUE(std::filesystem::exists(home_ + "/data/Trash/info/b.WAV.trashinfo"));
}

TEST_F(RecordingsList, AFileThatCannotBeDeletedKeepsItsRowAndSaysWhy)
{
    // A file of a read-only file system that makes no trash: nothing may remove it, not even root.
    dataHome_.set("/proc/velmor-no-trash");
    open(project("p.rpf", line(1, "/proc/version")));
    select(0);
    menu("Delete Selected File");
    ASSERT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(prompts_.messages[1].icon, MessageIcon::Error);
    EXPECT_NE(prompts_.messages[1].text.find("/proc/version could not be deleted"), std::string::npos)
        << prompts_.messages[1].text;
    EXPECT_EQ(form_->rows().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists("/proc/version"));
}

TEST_F(RecordingsList, RenameOfABareNameStaysInTheRecordingsFolder)
{
    open(threeRows());
    select(0);
    prompts_.inputs.push_back("  better.WAV ");
    menu("Rename Selected File");
    EXPECT_EQ(form_->rows()[0].path, home_ + "/music/better.WAV");
    EXPECT_TRUE(std::filesystem::exists(home_ + "/music/better.WAV"));
    EXPECT_FALSE(std::filesystem::exists(home_ + "/music/a.WAV"));
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "Rename audio file is  succeeded!");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
}

TEST_F(RecordingsList, RenameOntoAnExistingFileIsRefusedAndOverwritesNothing)
{
    open(threeRows());
    audio("keeper.WAV", "keep me");
    select(0);
    prompts_.inputs.push_back(home_ + "/music/keeper.WAV");
    menu("Rename Selected File");
    EXPECT_EQ(form_->rows()[0].path, home_ + "/music/a.WAV");
    EXPECT_EQ(read(home_ + "/music/keeper.WAV"), "keep me");
    EXPECT_EQ(read(home_ + "/music/a.WAV"), "audio");
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find(home_ + "/music/keeper.WAV"), std::string::npos);

    prompts_.messages.clear();
    select(1);
    menu("Rename Selected File"); // cancelled: no answer scripted
    EXPECT_TRUE(prompts_.messages.empty());
    std::filesystem::remove(home_ + "/music/c.WAV");
    select(2);
    menu("Rename Selected File");
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, home_ + "/music/c.WAV is not exist!");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
}

TEST_F(RecordingsList, ARowWhosePathHoldsATabIsRefusedBySaveAndTheOthersAreSaved)
{
    open(threeRows());
    select(1);
    prompts_.inputs.push_back("b\there.WAV"); // a name the file system takes, a project line cannot
    menu("Rename Selected File");
    ASSERT_EQ(form_->rows()[1].path, home_ + "/music/b\there.WAV");
    prompts_.messages.clear();

    prompts_.files.push_back(home_ + "/saved.rpf");
    menu("Save Recording Project");
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("row 2: " + home_ + "/music/b\there.WAV"), std::string::npos)
        << prompts_.messages[0].text;
    menu("New Recording Project");
    prompts_.messages.clear();
    open(home_ + "/saved.rpf");
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_EQ(paths(), (std::vector<std::string>{home_ + "/music/a.WAV", home_ + "/music/c.WAV"}))
        << "what was saved reads back as it was";
}

} // namespace
} // namespace recorder
