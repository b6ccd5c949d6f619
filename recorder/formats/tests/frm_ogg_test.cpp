#include "recorder/formats/ui/frm_ogg.h"

#include "recorder/formats/tests/format_window_env.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace recorder {
namespace {

class FrmOggTest : public FormatWindowTest {
protected:
    std::unique_ptr<frmOgg> open() { return std::make_unique<frmOgg>(file_, &row_, &prompts_); }
    std::string stored(const char* key) { return ReadIniValue(settings(), "ogg", key); }
    QLineEdit row_;
};

TEST_F(FrmOggTest, BitRatesTheTableLacksAreShownAtTheUsualPositionTheNominalKeptTheLimitsMade128)
{
    writeSettings("[ogg]\noggBitrate=96\nMinBitrate=96\nMaxBitrate=256\n");
    readValues();
    auto d = open();
    EXPECT_EQ(d->sldrBitrate->value(), 2);
    EXPECT_EQ(d->lblBitrate->text(), "Current nominal Bitrate: 96 kbit");
    EXPECT_EQ(d->sldrMinBitrate->value(), 2);
    EXPECT_EQ(d->lblMinBitrate->text(), "Current min oggBitrate: 128 kbit");
    EXPECT_EQ(d->sldrMaxBitrate->value(), 5);
    EXPECT_EQ(d->lblMaxBitrate->text(), "Current max oggBitrate: 256 kbit");
    // Neither box checked: VBR and quality controls are off, the nominal rate alone is recorded.
    EXPECT_FALSE(d->frmVbr->isEnabled());
    EXPECT_FALSE(d->sldrQuality->isEnabled());
    EXPECT_TRUE(d->sldrBitrate->isEnabled());
    d->cmdOK->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(stored("oggBitrate"), "96");
    EXPECT_EQ(stored("MinBitrate"), "128");
    EXPECT_EQ(stored("VbrEnabled") + stored("QualityEnabled"), "00");
    EXPECT_EQ(row_.text(), "Ogg Vorbis, 44100 Hz, 96 kbit/s CBR, stereo");
}

TEST_F(FrmOggTest, QualityModeWinsOverVbrAndShowsItsValueInTheTip)
{
    writeSettings("[ogg]\noggBitrate=160\nQuality=450\nVbrEnabled=1\nQualityEnabled=1\n");
    readValues();
    auto d = open();
    EXPECT_EQ(d->sldrQuality->toolTip(), "4.5");
    EXPECT_TRUE(d->chQuality->isChecked());
    EXPECT_TRUE(d->chVbr->isChecked());
    EXPECT_FALSE(d->chVbr->isEnabled());
    EXPECT_FALSE(d->sldrBitrate->isEnabled());
    EXPECT_TRUE(d->sldrQuality->isEnabled());
    d->sldrQuality->setValue(300);
    EXPECT_EQ(d->sldrQuality->toolTip(), "3");
    d->sldrQuality->setValue(450);
    d->cmdOK->click();
    EXPECT_EQ(row_.text(), "Ogg Vorbis, 44100 Hz, quality 4.5, stereo");
    EXPECT_EQ(stored("Quality"), "450");
    EXPECT_EQ(stored("VbrEnabled") + stored("QualityEnabled"), "11");
}

TEST_F(FrmOggTest, TheBoxesAndSlidersDriveTheVbrSelection)
{
    auto d = open();
    EXPECT_EQ(d->lblMinBitrate->text(), "Current min oggBitrate: 128 kbit") << "a minimum never stored becomes 128";
    d->chVbr->click();
    EXPECT_TRUE(d->frmVbr->isEnabled());
    d->sldrBitrate->setValue(3);
    EXPECT_EQ(d->lblBitrate->text(), "Current nominal oggBitrate: 160 kbit");
    d->sldrMinBitrate->setValue(1);
    d->sldrMaxBitrate->setValue(6);
    EXPECT_EQ(d->lblMaxBitrate->text(), "Current max oggBitrate: 320 kbit");
    EXPECT_EQ(d->sldrMaxBitrate->toolTip(), "320");
    d->chQuality->click();
    d->chQuality->click(); // off again: the VBR rule runs and the VBR frame comes back
    EXPECT_TRUE(d->frmVbr->isEnabled());
    EXPECT_FALSE(d->sldrQuality->isEnabled());
    d->cmdOK->click();
    EXPECT_EQ(row_.text(), "Ogg Vorbis, 44100 Hz, 160 kbit/s VBR (112-320 kbit/s), stereo");
    EXPECT_EQ(stored("VbrEnabled") + stored("QualityEnabled"), "10");
}

TEST_F(FrmOggTest, CancelStoresNothingAndSelectsNothing)
{
    ASSERT_TRUE(file_.SetFormatPCM(44100, 2));
    auto d = open();
    d->chQuality->click();
    d->cmdCancel->click();
    EXPECT_EQ(settingsText(), "");
    EXPECT_EQ(file_.CurrentFormat().Description.rfind("WAV PCM", 0), 0u);
}

} // namespace
} // namespace recorder
