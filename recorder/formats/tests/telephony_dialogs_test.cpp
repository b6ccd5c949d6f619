#include "recorder/formats/ui/frm_g721.h"
#include "recorder/formats/ui/frm_g723.h"
#include "recorder/formats/ui/frm_g726.h"
#include "recorder/formats/ui/frm_g729.h"

#include "recorder/formats/tests/format_window_env.h"
#include "recorder/settings/settings_store.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace recorder {
namespace {

class TelephonyDialogTest : public FormatWindowTest {
protected:
    void SetUp() override
    {
        FormatWindowTest::SetUp();
        row_.setText("before");
    }
    std::string stored(const char* section, const char* key) { return ReadIniValue(settings(), section, key); }
    static QRadioButton* option(QWidget* d, const char* name) { return d->findChild<QRadioButton*>(name); }
    QLineEdit row_;
};

TEST_F(TelephonyDialogTest, G726OffersTenRatesAndFourDepthsAndFallsBackTo44100HzAt4Bits)
{
    writeSettings("[g726]\ngFreq=7000\ngbit=6\n");
    frmG726 d(file_, &row_, &prompts_);
    EXPECT_EQ(d.windowTitle(), "Set CCUIT G.726 Format");
    EXPECT_EQ(d.cmdOK->text(), "Ok");
    EXPECT_EQ(option(&d, "F9")->text(), "6000");
    EXPECT_EQ(option(&d, "F10")->text(), "12000");
    EXPECT_EQ(d.Option1[0]->text() + "|" + d.Option1[1]->text() + "|" + d.Option1[2]->text() + "|" + d.Option1[3]->text(),
              "2 bit |3 bit|4 bit |5 bit");
    EXPECT_TRUE(option(&d, "F7")->isChecked());
    EXPECT_TRUE(d.Option1[2]->isChecked());
    EXPECT_EQ(d.Option1[2]->objectName(), "Option1(2)");
    d.cmdOK->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(stored("g726", "gFreq"), "44100");
    EXPECT_EQ(stored("g726", "gbit"), "4");
    EXPECT_TRUE(row_.text().startsWith("G.726 ADPCM, 44100 Hz, 4 bit")) << row_.text().toStdString();
}

TEST_F(TelephonyDialogTest, G723KeepsItsOwnValuesApartFromG726s)
{
    writeSettings("[g723]\ng723Freq=6000\ng723bit=9\n");
    formatValues().gbit = 5;
    frmG723 d(file_, &row_, &prompts_);
    EXPECT_EQ(d.windowTitle(), "Set CCUIT G.723 Format");
    EXPECT_TRUE(option(&d, "F9")->isChecked());
    EXPECT_EQ(formatValues().g723bit, 4);
    EXPECT_EQ(formatValues().gbit, 5);

    d.Option1[0]->click();
    d.cmdOK->click();
    EXPECT_EQ(stored("g723", "g723Freq"), "6000");
    EXPECT_EQ(stored("g723", "g723bit"), "2");
    EXPECT_EQ(stored("g726", "gbit"), "");
    EXPECT_EQ(formatValues().gbit, 5);
    EXPECT_TRUE(row_.text().startsWith("G.723 ADPCM, 6000 Hz, 2 bit")) << row_.text().toStdString();
}

TEST_F(TelephonyDialogTest, G721StoresAndSelectsTheListedRate)
{
    frmG721 d(file_, &row_, &prompts_);
    EXPECT_EQ(d.windowTitle(), "G.721 Format Options");
    EXPECT_EQ(d.ButtonOK->text(), "Ok");
    ASSERT_EQ(d.ComboSampleRate->count(), 8);
    EXPECT_EQ(d.ComboSampleRate->itemText(0) + " " + d.ComboSampleRate->itemText(7), "8000 48000");
    d.ComboSampleRate->setCurrentText("22050");
    d.ButtonOK->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(stored("g721", "g721Freq"), "22050");
    EXPECT_EQ(file_.CurrentFormat().SampleRate, 22050);
    EXPECT_TRUE(row_.text().startsWith("G.721 ADPCM, 22050 Hz")) << row_.text().toStdString();
    EXPECT_EQ(formatValues().g721Freq, 22050);
}

TEST_F(TelephonyDialogTest, TheRateListTakesOnlyItsOwnRatesAndRefusesAnEmptyChoice)
{
    for (const char* storedRate : {"7000", "8000 Hz; drop"}) {
        writeSettings(std::string("[g721]\ng721Freq=") + storedRate + "\n");
        const std::string before = settingsText();
        prompts_.messages.clear();
        frmG721 d(file_, &row_, &prompts_);
        d.show();
        EXPECT_FALSE(d.ComboSampleRate->isEditable());
        EXPECT_EQ(d.ComboSampleRate->currentIndex(), -1) << storedRate;
        d.ButtonOK->click();
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(prompts_.messages.size(), 1u);
        EXPECT_NE(prompts_.messages[0].text.find("G.721"), std::string::npos) << prompts_.messages[0].text;
        EXPECT_EQ(settingsText(), before);
        EXPECT_EQ(row_.text(), "before");
    }
}

TEST_F(TelephonyDialogTest, G729RefusesEveryRateButTheOneItRecordsAt)
{
    writeSettings("[g729]\ng729Freq=22050\n");
    const std::string before = settingsText();
    frmG729 d(file_, &row_, &prompts_);
    d.show();
    EXPECT_EQ(d.windowTitle(), "G.729 Format Options");
    EXPECT_EQ(d.ComboSampleRate->currentText(), "22050");
    d.ButtonOK->click();
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    const std::string& text = prompts_.messages[0].text;
    EXPECT_NE(text.find("G.729"), std::string::npos) << text;
    EXPECT_NE(text.find("8000 Hz"), std::string::npos) << text;
    EXPECT_EQ(settingsText(), before);
    EXPECT_EQ(row_.text(), "before");

    d.ComboSampleRate->setCurrentText("8000");
    d.ButtonOK->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(stored("g729", "g729Freq"), "8000");
    EXPECT_EQ(row_.text(), "G.729, 8000 Hz, 8 kbit/s, mono");
}

} // namespace
} // namespace recorder
