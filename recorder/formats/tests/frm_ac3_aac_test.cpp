#include "recorder/formats/ui/frm_aac.h"
#include "recorder/formats/ui/frm_ac3.h"

#include "recorder/formats/ui/format_controls.h"
#include "recorder/formats/tests/format_window_env.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace recorder {
namespace {

class FrmAc3Test : public FormatWindowTest {
protected:
    std::unique_ptr<frmAC3> open() { return std::make_unique<frmAC3>(file_, &row_, &prompts_); }
    std::string stored(const char* key) { return ReadIniValue(settings(), "AC3", key); }
    QLineEdit row_;
};

TEST_F(FrmAc3Test, AFreshDialogShowsWhatWillBeRecorded)
{
    auto d = open();
    EXPECT_EQ(d->ComboSampleRate->currentText(), "48000");
    EXPECT_EQ(d->ComboChannels->currentText(), "Stereo");
    EXPECT_EQ(d->GroupBoxBitrate->title(), "Current bitrate: 192 kbit");
    EXPECT_EQ(d->ComboChannels->count(), 9);
    EXPECT_EQ(d->ComboChannels->itemText(8), "Dolby");
}

TEST_F(FrmAc3Test, AStoredBitRateOutsideTheTableIsNamedWhileOkStoresTheSlidersValue)
{
    writeSettings("[AC3]\nAC3SampleRate=44100\nAC3Channels=1\nAC3Bitrate=40\n");
    auto d = open();
    EXPECT_EQ(d->GroupBoxBitrate->title(), "Current bitrate: 40 kbit");
    EXPECT_EQ(d->GroupBoxBitrate->bitrate(), 192);
    EXPECT_EQ(d->ComboSampleRate->currentText(), "44100");
    EXPECT_EQ(d->ComboChannels->currentText(), "Mono");
    d->ComboChannels->setCurrentText("Dolby");
    d->ButtonOK->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(stored("AC3Bitrate"), "192");
    EXPECT_EQ(stored("AC3Channels"), "9");
    EXPECT_EQ(stored("AC3SampleRate"), "44100");
    EXPECT_EQ(row_.text(), "AC3, 44100 Hz, 192 kbit/s, Dolby");
    // The program's values follow at once, the layout included.
    EXPECT_EQ(formatValues().AC3Channels, 9);
    EXPECT_EQ(formatValues().AC3Bitrate, 192);
}

TEST_F(FrmAc3Test, ABitRateTheEncoderRefusesIsNamedAndNothingIsStored)
{
    auto d = open();
    d->show();
    d->GroupBoxBitrate->slider()->setValue(0); // 8 kbit/s
    EXPECT_EQ(d->GroupBoxBitrate->title(), "Current bitrate: 8 kbit");
    d->ButtonOK->click();
    EXPECT_TRUE(d->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text.rfind("AC3 cannot be recorded with these settings: AC3 has no bit rate of 8 kbit/s; "
                                               "it takes 32,",
                                               0),
              0u)
        << prompts_.messages[0].text;
    EXPECT_EQ(settingsText(), "");
    EXPECT_EQ(row_.text(), "");
}

class FrmAacTest : public FormatWindowTest {
protected:
    std::unique_ptr<frmAAC> open() { return std::make_unique<frmAAC>(aac_, file_, &row_, &prompts_); }
    std::string stored(const char* key) { return ReadIniValue(settings(), "AAC", key); }
    QLineEdit row_;
};

TEST_F(FrmAacTest, ShowsTheSettingsObjectsRateWhateverTheKeyHolds)
{
    writeSettings("[AAC]\nAACSampleRate=44100\nAACChannels=1\nAACType=4\nAACBitrate=96\nAACQuality=250\n");
    ASSERT_TRUE(aac_.setSampleRate(22050));
    auto d = open();
    EXPECT_EQ(d->ComboSampleRate->currentText(), "22050");
    EXPECT_EQ(d->ComboChannels->currentText(), "Mono");
    EXPECT_EQ(d->ComboType->currentText(), "LTP");
    EXPECT_EQ(d->GroupBoxBitrate->title(), "Current bitrate: 96 kbit");
    EXPECT_EQ(d->sliderQuality->value(), 250);
    ASSERT_TRUE(aac_.setSampleRate(12000));
    auto unknown = open();
    EXPECT_EQ(unknown->ComboSampleRate->currentIndex(), -1) << "12000 is not in the list";
}

TEST_F(FrmAacTest, OkSetsTheObjectAndStoresWhatItReportsAtBothEndsOfTheBitrateTable)
{
    for (auto [position, kbps] : {std::pair{0, 8}, std::pair{14, 320}}) {
        auto d = open();
        d->ComboSampleRate->setCurrentText("44100");
        d->ComboChannels->setCurrentText("Stereo");
        d->ComboType->setCurrentText("LC");
        d->GroupBoxBitrate->slider()->setValue(position);
        d->ButtonOK->click();
        ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
        EXPECT_EQ(aac_.Bitrate(), kbps);
        EXPECT_EQ(stored("AACBitrate"), std::to_string(kbps));
        EXPECT_EQ(formatValues().AACBitrate, kbps);
        EXPECT_EQ(stored("AACSampleRate") + "/" + stored("AACChannels") + "/" + stored("AACType"), "44100/2/2");
        EXPECT_TRUE(row_.text().startsWith("AAC LC, 44100 Hz")) << row_.text().toStdString();
    }
}

TEST_F(FrmAacTest, AnObjectTypeWithoutEncoderIsRefusedAndCancelLeavesTheObject)
{
    auto d = open();
    d->show();
    d->ComboType->setCurrentText("SSR");
    d->GroupBoxBitrate->slider()->setValue(6);
    d->ButtonOK->click();
    EXPECT_TRUE(d->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("SSR"), std::string::npos);
    EXPECT_EQ(aac_.ObjectType(), 2);
    EXPECT_EQ(aac_.Bitrate(), 128) << "a refused choice leaves the object as it was";
    EXPECT_EQ(settingsText(), "");
    d->ComboType->setCurrentText("Main");
    d->ButtonCancel->click();
    EXPECT_EQ(aac_.ObjectType(), 2);
    EXPECT_EQ(settingsText(), "");
}

} // namespace
} // namespace recorder
