#include "recorder/formats/ui/frm_vox.h"
#include "recorder/formats/ui/frm_wav.h"

#include "recorder/formats/tests/format_window_env.h"
#include "recorder/formats/ui/format_controls.h"
#include "recorder/settings/settings_store.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace recorder {
namespace {

class FrmWavTest : public FormatWindowTest {
protected:
    std::unique_ptr<frmWAV> open()
    {
        row_.setText("before");
        return std::make_unique<frmWAV>(file_, &row_, &prompts_);
    }
    std::string stored(const char* key) { return ReadIniValue(settings(), "wav", key); }
    QLineEdit row_;
};

TEST_F(FrmWavTest, AStoredRateAndChannelCountAreChosenAndStoredAgain)
{
    writeSettings("[wav]\nFreq=48000\nChannel=1\n");
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Set WAV Format");
    EXPECT_TRUE(d->findChild<QRadioButton*>("F8")->isChecked());
    EXPECT_EQ(d->findChild<QRadioButton*>("F8")->text(), "48000");
    EXPECT_TRUE(d->P1->isChecked());
    EXPECT_EQ(formatValues().Freq, 48000);
    EXPECT_EQ(formatValues().Channel, 1);
    d->Command1->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(stored("Freq"), "48000");
    EXPECT_EQ(stored("Channel"), "1");
    EXPECT_EQ(row_.text(), "WAV PCM, 48000 Hz, 16 bit, mono");
}

TEST_F(FrmWavTest, ValuesNoOptionOffersFallBackTo44100HzStereo)
{
    writeSettings("[wav]\nFreq=12345\nChannel=0\n");
    auto d = open();
    EXPECT_TRUE(d->findChild<QRadioButton*>("F7")->isChecked());
    EXPECT_TRUE(d->P2->isChecked());
    EXPECT_EQ(formatValues().Freq, 44100);
    EXPECT_EQ(formatValues().Channel, 2);
    d->Command1->click();
    EXPECT_EQ(stored("Freq"), "44100");
    EXPECT_EQ(stored("Channel"), "2");
}

TEST_F(FrmWavTest, ANonNumericStoredValueKeepsTheOneInMemory)
{
    writeSettings("[wav]\nFreq=fast\nChannel=x\n");
    formatValues().Freq = 16000;
    formatValues().Channel = 1;
    auto d = open();
    EXPECT_TRUE(d->findChild<QRadioButton*>("F2")->isChecked());
    EXPECT_TRUE(d->P1->isChecked());
}

TEST_F(FrmWavTest, GsmAtARefusedRateSaysSoAndLeavesTheRowUntilAnotherRateIsChosen)
{
    auto d = open();
    d->show();
    const std::string before = settingsText();
    d->cmdGSM->click();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "Format Parametr not valid");
    EXPECT_EQ(prompts_.messages[0].buttons, MessageButtons::Ok);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(row_.text(), "before");

    d->findChild<QRadioButton*>("F1")->click();
    d->cmdGSM->click();
    EXPECT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(row_.text(), "WAV GSM 6.10, 8000 Hz, 13 kbit/s, mono");
    EXPECT_EQ(settingsText(), before) << "a coding button stores nothing";
    EXPECT_EQ(formatValues().Freq, 8000) << "the chosen rate stays in memory";
}

TEST_F(FrmWavTest, CodingButtonsSelectTheirCodingAtTheChosenRateWithoutStoring)
{
    struct Case {
        QPushButton* frmWAV::*button;
        const char* description;
    };
    for (const Case& c : {Case{&frmWAV::cmdADPCM, "WAV IMA ADPCM, 22050 Hz, 4 bit, mono"},
                          Case{&frmWAV::cmdPCM, "WAV PCM, 22050 Hz, 16 bit, mono"},
                          Case{&frmWAV::cmdDSP, "WAV G.711 \xC2\xB5-law, 8000 Hz"}}) {
        auto d = open();
        d->findChild<QRadioButton*>("F6")->click();
        d->P1->click();
        ((*d).*c.button)->click();
        EXPECT_EQ(d->result(), QDialog::Accepted) << c.description;
        EXPECT_TRUE(row_.text().startsWith(c.description)) << row_.text().toStdString();
    }
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_EQ(settingsText(), "");
}

TEST_F(FrmWavTest, CancelStoresNothingButKeepsTheChoiceInMemory)
{
    auto d = open();
    d->findChild<QRadioButton*>("F3")->click();
    d->Command2->click();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(settingsText(), "");
    EXPECT_EQ(row_.text(), "before");
    EXPECT_EQ(formatValues().Freq, 24000);
}

using FrmVoxTest = FormatWindowTest;

TEST_F(FrmVoxTest, ChoosesTheStoredRateOrFallsBackAndStoresTheChoice)
{
    QLineEdit row;
    writeSettings("[vox]\nvoxFreq=11025\n");
    {
        frmVOX d(file_, &row, &prompts_);
        EXPECT_EQ(d.windowTitle(), "Set VOX Format");
        EXPECT_EQ(d.cmdOK->text(), "Ok");
        EXPECT_TRUE(d.findChild<QRadioButton*>("F5")->isChecked());
        d.findChild<QRadioButton*>("F2")->click();
        d.cmdOK->click();
        EXPECT_EQ(ReadIniValue(settings(), "vox", "voxFreq"), "16000");
        EXPECT_TRUE(row.text().startsWith("VOX Dialogic ADPCM, 16000 Hz")) << row.text().toStdString();
        EXPECT_EQ(file_.CurrentFormat().SampleRate, 16000);
    }
    writeSettings("[vox]\nvoxFreq=7000\n");
    frmVOX d(file_, &row, &prompts_);
    EXPECT_TRUE(d.findChild<QRadioButton*>("F7")->isChecked());
    EXPECT_EQ(formatValues().voxFreq, 44100);
}

} // namespace
} // namespace recorder
