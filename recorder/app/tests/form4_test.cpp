#include "recorder/app/form4.h"

#include "recorder/widgets/testing/scripted_prompts.h"
#include "recorder/fileutil/tests/scratch_files.h"
#include "recorder/settings/settings_store.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace recorder;

namespace {

class Form4Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-form4-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        ::setenv("VELMOR_HOME", home_.c_str(), 1);
        homeVariable_.set(home_);
        configVariable_.set(home_);
    }
    void TearDown() override
    {
        ::unsetenv("VELMOR_HOME");
        std::filesystem::remove_all(home_);
    }
    std::string home_;
    ScriptedPrompts prompts_;
    scratch::Env homeVariable_{"HOME"};
    scratch::Env configVariable_{"XDG_CONFIG_HOME"};
};

TEST_F(Form4Test, FreshInstallationShowsTheMusicFolderRecordedAndAddNumber)
{
    Form4 form(prompts_);
    EXPECT_EQ(form.windowTitle(), "Output Files");
    EXPECT_EQ(form.Text2->text().toStdString(), home_ + "/Music");
    EXPECT_EQ(form.Text1->text(), "Recorded");
    EXPECT_FALSE(form.Check1->isChecked());
    EXPECT_TRUE(form.Option1->isChecked());
    EXPECT_EQ(form.Command4->text(), "Browse...");
}

TEST_F(Form4Test, TheMusicFolderShownForAnUnsetFolderIsKeptUnsetAtOk)
{
    std::ofstream(home_ + "/user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Musik\"\n";
    Form4 form(prompts_);
    EXPECT_EQ(form.Text2->text().toStdString(), home_ + "/Musik");
    form.Command1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ReadIniValue(home_ + "/settings.dat", "set", "outputfolder"), "")
        << "recordings follow the desktop's music folder wherever it moves";
}

TEST_F(Form4Test, LoadsStoredValues)
{
    std::ofstream(home_ + "/settings.dat") << "[set]\noutputfolder=/music\nfilename=take\ndatetime=1\nexistedfile=1\n";
    Form4 form(prompts_);
    EXPECT_EQ(form.Text2->text(), "/music");
    EXPECT_EQ(form.Text1->text(), "take");
    EXPECT_TRUE(form.Check1->isChecked());
    EXPECT_TRUE(form.Option2->isChecked());
}

TEST_F(Form4Test, EmptyNameIsRefusedAndNothingIsStored)
{
    Form4 form(prompts_);
    form.Text1->setText("   ");
    form.Command1->click();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "Please enter audio file name.");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(home_ + "/settings.dat"));
}

TEST_F(Form4Test, OkStoresTheFourKeysAndBrowseReplacesTheFolder)
{
    Form4 form(prompts_);
    prompts_.folders.push_back(std::string("/chosen/folder"));
    form.Command4->click();
    EXPECT_EQ(form.Text2->text(), "/chosen/folder");
    prompts_.folders.push_back(std::nullopt); // cancelled: unchanged
    form.Command4->click();
    EXPECT_EQ(form.Text2->text(), "/chosen/folder");
    form.Text1->setText(" rec ");
    form.Check1->setChecked(true);
    form.Option2->setChecked(true);
    form.Command1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(prompts_.messages.empty());
    const std::string file = home_ + "/settings.dat";
    EXPECT_EQ(ReadIniValue(file, "set", "outputfolder"), "/chosen/folder");
    EXPECT_EQ(ReadIniValue(file, "set", "filename"), "rec");
    EXPECT_EQ(ReadIniValue(file, "set", "datetime"), "1");
    EXPECT_EQ(ReadIniValue(file, "set", "existedfile"), "1");
}

TEST_F(Form4Test, FailedSettingsWriteIsReportedNamingTheFileAndTheDialogCloses)
{
    // settings.dat cannot be written when it is a folder, for root too.
    std::filesystem::create_directories(home_ + "/settings.dat");
    Form4 form(prompts_);
    form.Text1->setText("rec");
    form.Command1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find(home_ + "/settings.dat"), std::string::npos);
    EXPECT_EQ(ReadIniValue(home_ + "/settings.dat", "set", "filename"), "rec") << "kept for the run";
}

} // namespace
