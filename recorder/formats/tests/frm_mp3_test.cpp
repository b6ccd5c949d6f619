#include "recorder/formats/ui/frm_mp3.h"

#include "recorder/widgets/up_down.h"
#include "recorder/formats/mp3_lame_settings.h"
#include "recorder/formats/tests/format_window_env.h"
#include "recorder/settings/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

namespace recorder {
namespace {

class FrmMp3Test : public FormatWindowTest {
protected:
    std::unique_ptr<frmMP3> open()
    {
        return std::make_unique<frmMP3>(*mp3_, file_, &row_, &prompts_);
    }
    std::string stored(const char* key) { return ReadIniValue(settings(), "mp3", key); }
    QLineEdit row_;
};

TEST_F(FrmMp3Test, ShowsItsFourPagesAndTheEncoderDefaults)
{
    auto d = open();
    ASSERT_EQ(d->SSTab1->count(), 4);
    EXPECT_EQ(d->SSTab1->tabText(0) + d->SSTab1->tabText(1) + d->SSTab1->tabText(2) + d->SSTab1->tabText(3),
              "GeneralFilteringVBRExpert");
    EXPECT_EQ(d->windowTitle(), "MP3 Advanced Option");
    EXPECT_EQ(d->Slider1->value(), 9);
    EXPECT_EQ(d->Label1->text(), "Current bitrate: 128 kbit");
    EXPECT_EQ(d->Combo5->currentText(), "44100");
    EXPECT_EQ(d->Slider3->value(), 14);
    EXPECT_EQ(d->Label8->text(), "Current bitrate: 320 kbit");
    EXPECT_EQ(d->Combo1->currentText(), "None");
    EXPECT_EQ(d->Combo3->currentText(), "Joint Stereo");
    // High-pass off: a usual frequency offered, -1 kept; widths of 0 shown as 5 and 760.
    EXPECT_FALSE(d->chHFilt->isChecked());
    EXPECT_EQ(d->tHFiltF->text(), "30");
    EXPECT_EQ(mp3_->HighpassFrequency(), -1);
    EXPECT_EQ(d->tHFiltW->text(), "5");
    EXPECT_FALSE(d->chLFilt->isChecked());
    EXPECT_EQ(d->tLFiltF->text(), "15160");
    EXPECT_EQ(d->tLFiltW->text(), "760");
    EXPECT_FALSE(d->Label11->isEnabled());
    EXPECT_FALSE(d->udLFiltW->isEnabled());
}

TEST_F(FrmMp3Test, AStoredBitrateOutsideTheTableIsShownAndKept)
{
    writeSettings("[mp3]\nMP3Bitrate=100\nMP3Frequency=22050\n");
    auto d = open();
    EXPECT_EQ(d->Slider1->value(), 9);
    EXPECT_EQ(d->Label1->text(), "Current bitrate: 100 kbit");
    EXPECT_EQ(d->Combo5->currentText(), "22050");
    d->Command1->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(stored("MP3Bitrate"), "100");
    EXPECT_EQ(stored("MP3Frequency"), "22050");
    EXPECT_EQ(stored("MP3Channels"), "2");
    EXPECT_TRUE(row_.text().startsWith("MP3, 22050 Hz")) << row_.text().toStdString();
    EXPECT_EQ(formatValues().MP3Bitrate, 100);
}

TEST_F(FrmMp3Test, MonoStoresOneChannelAndIsShownAgainTheOtherModesStoreTwo)
{
    {
        auto d = open();
        d->Combo3->setCurrentText("Mono");
        d->Command1->click();
        EXPECT_EQ(stored("MP3Channels"), "1");
        EXPECT_EQ(mp3_->ChannelMode(), 2) << "mono leaves the channel mode";
    }
    {
        auto d = open();
        EXPECT_EQ(d->Combo3->currentText(), "Mono");
        d->Combo3->setCurrentText("Dual Channels");
        d->Command1->click();
        EXPECT_EQ(stored("MP3Channels"), "2");
        EXPECT_EQ(mp3_->ChannelMode(), 4);
    }
}

TEST_F(FrmMp3Test, TheCodingMethodEnablesItsControls)
{
    auto d = open();
    auto enabled = [](std::initializer_list<QWidget*> ws) {
        std::string s;
        for (QWidget* w : ws) s += w->isEnabled() ? '1' : '0';
        return s;
    };
    auto state = [&] {
        return enabled({d->Label15, d->tVbrQ, d->udVbrQ}) + "/" + enabled({d->Label9, d->tABR, d->udABR}) + "/" +
               enabled({d->Frame3, d->Frame6, d->Label8, d->Slider3, d->Check1, d->Check2});
    };
    EXPECT_EQ(state(), "000/000/000000"); // None
    d->Combo1->setCurrentText("New");
    EXPECT_EQ(state(), "111/000/111111");
    EXPECT_EQ(mp3_->VbrMethod(), 2);
    d->Combo1->setCurrentText("ABR");
    EXPECT_EQ(state(), "000/111/111111");
    EXPECT_EQ(mp3_->VbrMethod(), 4);
    d->Combo1->setCurrentText("None");
    EXPECT_EQ(state(), "000/000/000000");
    EXPECT_EQ(mp3_->VbrMethod(), -1);
}

TEST_F(FrmMp3Test, EveryControlChangesTheEncoderSettingsAtOnce)
{
    auto d = open();
    d->Slider2->setValue(2);
    EXPECT_EQ(mp3_->EncoderQuality(), 2);
    d->Slider3->setValue(6);
    EXPECT_EQ(mp3_->MaxVbrBitrate(), 64);
    EXPECT_EQ(d->Label8->text(), "Current bitrate: 64 kbit");
    d->Combo2->setCurrentIndex(2);
    EXPECT_EQ(mp3_->AthMode(), 2);
    d->Combo4->setCurrentIndex(1);
    EXPECT_EQ(mp3_->Emphasis(), 1);
    d->udVbrQ->setValue(7);
    EXPECT_EQ(mp3_->VbrQuality(), 7);
    d->udABR->setValue(200);
    EXPECT_EQ(mp3_->AbrBitrate(), 200);

    d->chHFilt->click();
    EXPECT_EQ(mp3_->HighpassFrequency(), 30);
    d->udHFiltF->setValue(120);
    EXPECT_EQ(mp3_->HighpassFrequency(), 120);
    d->chHFilt->click();
    EXPECT_EQ(mp3_->HighpassFrequency(), -1);
    EXPECT_FALSE(d->tHFiltF->isEnabled());
    d->chHFilt->click();
    EXPECT_EQ(mp3_->HighpassFrequency(), 120);
    d->udHFiltW->setValue(40);
    EXPECT_EQ(mp3_->HighpassWidth(), 40);
    d->chLFilt->click();
    EXPECT_EQ(mp3_->LowpassFrequency(), 15160);
    d->udLFiltF->stepBy(-1);
    EXPECT_EQ(mp3_->LowpassFrequency(), 15150);
    d->udLFiltW->setValue(300);
    EXPECT_EQ(mp3_->LowpassWidth(), 300);

    d->Combo1->setCurrentText("Default"); // the VBR flags are disabled without VBR
    const bool before[] = {mp3_->WriteVbrHeader(),      mp3_->EnforceMinBitrate(), mp3_->Crc(),      mp3_->AllowDiffShortBlocks(),
                           mp3_->BitReservoir(),        mp3_->ShortBlocks(),       mp3_->StrictIso()};
    for (QCheckBox* c : {d->Check1, d->Check2, d->Check3, d->Check4, d->Check5, d->Check6, d->Check7}) c->click();
    const bool after[] = {mp3_->WriteVbrHeader(),      mp3_->EnforceMinBitrate(), mp3_->Crc(),      mp3_->AllowDiffShortBlocks(),
                          mp3_->BitReservoir(),        mp3_->ShortBlocks(),       mp3_->StrictIso()};
    for (int i = 0; i < 7; ++i) EXPECT_NE(before[i], after[i]) << "Check" << i + 1;

    // Cancel keeps the encoder's changes and stores nothing.
    d->Command2->click();
    EXPECT_EQ(mp3_->EncoderQuality(), 2);
    EXPECT_EQ(settingsText(), "");
}

TEST_F(FrmMp3Test, OkStoresTheEncoderSettingsForTheNextRun)
{
    auto d = open();
    d->Combo1->setCurrentText("New");
    d->udVbrQ->setValue(2);
    d->Command1->click();
    MP3Lame nextRun;
    readMp3LameSettings(settings(), nextRun);
    EXPECT_EQ(nextRun.VbrMethod(), 2);
    EXPECT_EQ(nextRun.VbrQuality(), 2);
    EXPECT_EQ(nextRun.HighpassWidth(), 5);
}

TEST_F(FrmMp3Test, ARateTheEncoderRefusesKeepsTheDialogOpenAndStoresNothing)
{
    writeSettings("[mp3]\nMP3Frequency=96000\n");
    const std::string before = settingsText();
    auto d = open();
    d->show();
    d->Command1->click();
    EXPECT_TRUE(d->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("MP3"), std::string::npos) << prompts_.messages[0].text;
    EXPECT_NE(prompts_.messages[0].text.find("48000"), std::string::npos) << prompts_.messages[0].text;
    EXPECT_EQ(settingsText(), before);
    d->Combo5->setCurrentText("32000");
    emit d->Combo5->activated(d->Combo5->currentIndex());
    d->Command1->click();
    EXPECT_EQ(stored("MP3Frequency"), "32000");
}

} // namespace
} // namespace recorder
