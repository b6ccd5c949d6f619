#include "recorder/formats/ui/form2.h"
#include "recorder/formats/ui/frm_mp3.h"

#include "recorder/widgets/up_down.h"
#include "recorder/formats/tests/format_window_env.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace recorder {
namespace {

using Form2Test = FormatWindowTest;

TEST_F(Form2Test, AFreshSettingsFileShowsEverySwitchOnAndEmptyValuesAndOkStoresThem)
{
    Form2 form(components());
    for (QCheckBox* box : {form.chFilter, form.chFilter1, form.chFilter2, form.chAutoGainControl})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    for (QLineEdit* box : {form.txtNotchFreq, form.txtHighPassFreq, form.txtLowPassFreq, form.txtAGCLowLevel,
                           form.txtAGCHighLevel, form.txtAGCAttackTime}) {
        EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
        EXPECT_TRUE(box->isEnabled());
    }
    // The capture control's gate values reach the up-downs.
    EXPECT_EQ(form.udAGCLowLevel->value(), -50);
    EXPECT_EQ(form.udAGCHighLevel->value(), -50);
    EXPECT_EQ(form.udAGCAttackTime->value(), 100);

    form.Command1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(settingsText(), "[other]\nnotch=1\nnotchtxt=\nhighpass=1\nhighpasstxt=\nlowpass=1\nlowpasstxt=\n"
                              "autogain=1\nlowlevel=\nhighlevel=\nattacktime=\n");
}

TEST_F(Form2Test, SwitchesOffDisableTheirValuesAtLoadAndOnEveryClick)
{
    writeSettings("[other]\nnotch=0\nnotchtxt=60\nhighpass=1\nhighpasstxt=300\n");
    Form2 form(components());
    EXPECT_FALSE(form.chFilter->isChecked());
    EXPECT_FALSE(form.udNotchFreq->isEnabled());
    EXPECT_FALSE(form.txtNotchFreq->isEnabled());
    EXPECT_EQ(form.txtNotchFreq->text(), "60");
    EXPECT_TRUE(form.udHighPassFreq->isEnabled());

    form.chAutoGainControl->click();
    for (QWidget* w : std::initializer_list<QWidget*>{form.udAGCLowLevel, form.txtAGCLowLevel, form.udAGCHighLevel,
                                                      form.txtAGCHighLevel, form.udAGCAttackTime, form.txtAGCAttackTime})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    form.chFilter->click();
    EXPECT_TRUE(form.udNotchFreq->isEnabled());
    EXPECT_TRUE(form.txtNotchFreq->isEnabled());
}

TEST_F(Form2Test, UpDownsStepFromTheTextBoxAndTypedNumbersMoveThem)
{
    writeSettings("[other]\nnotchtxt=60\nhighpasstxt=abc\n");
    Form2 form(components());
    form.udNotchFreq->upButton()->click();
    EXPECT_EQ(form.txtNotchFreq->text(), "70");
    QTest::keyClick(form.txtNotchFreq, Qt::Key_Down);
    EXPECT_EQ(form.txtNotchFreq->text(), "60");
    // Text that is not a number stays until the up-down is used.
    EXPECT_EQ(form.txtHighPassFreq->text(), "abc");
    form.txtLowPassFreq->clear();
    QTest::keyClicks(form.txtLowPassFreq, "4500");
    EXPECT_EQ(form.udLowPassFreq->value(), 4500);
    form.udNotchFreq->setValue(500);
    EXPECT_EQ(form.txtNotchFreq->text(), "200");
}

TEST_F(Form2Test, CancelWritesNothingButTheGateStaysOff)
{
    capture_->put_AccuEnabled(VARIANT_TRUE);
    writeSettings("[other]\nnotch=1\nnotchtxt=50\n");
    const std::string before = settingsText();
    {
        Form2 form(components());
        form.chFilter->click();
        form.txtNotchFreq->setText("120");
        form.Command2->click();
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    {
        Form2 form(components());
        form.show();
        form.txtNotchFreq->setText("130");
        form.close(); // the title bar's close
    }
    EXPECT_EQ(settingsText(), before);
    VARIANT_BOOL gate = VARIANT_TRUE;
    capture_->get_AccuEnabled(&gate);
    EXPECT_EQ(gate, VARIANT_FALSE);
}

TEST_F(Form2Test, RowsDescribeEachFormatAndLeaveOggSelected)
{
    writeSettings("[mp3]\nMP3Bitrate=64\nMP3Frequency=22050\nMP3Channels=1\n[wav]\nFreq=8000\nChannel=1\n");
    readValues();
    ASSERT_TRUE(file_.SetFormatPCM(44100, 2, 16, 0));
    Form2 form(components());
    EXPECT_EQ(form.txtMP3->text().toStdString().find("MP3, 22050 Hz, 64 kbit/s"), 0u) << form.txtMP3->text().toStdString();
    EXPECT_TRUE(form.txtWAV->text().contains("8000 Hz")) << form.txtWAV->text().toStdString();
    for (int f = 0; f < kFormatCount; ++f) EXPECT_FALSE(form.row(FormatCode(f))->text().isEmpty()) << kFormatNames[f];
    EXPECT_EQ(file_.CurrentFormat().Description, form.txtOGG->text().toStdString());
    EXPECT_EQ(file_.CurrentFormat().Description.rfind("Ogg Vorbis", 0), 0u);
}

TEST_F(Form2Test, ConfirmingTheMp3OptionsChangesOnlyTheMp3Row)
{
    readValues();
    Form2 form(components());
    form.show();
    std::vector<QString> before;
    for (int f = 0; f < kFormatCount; ++f) before.push_back(form.row(FormatCode(f))->text());

    onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<frmMP3*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->Slider1->setValue(6); // 64 kbit/s
        dialog->Command1->click();
    });
    form.cmdMP3->click();

    EXPECT_TRUE(form.txtMP3->text().contains("64 kbit/s")) << form.txtMP3->text().toStdString();
    for (int f = 0; f < kFormatCount; ++f) {
        if (f == MP3) continue;
        EXPECT_EQ(form.row(FormatCode(f))->text(), before[f]) << kFormatNames[f];
    }
}

TEST_F(Form2Test, EveryRowOpensItsOwnOptionsAndCancellingChangesNoRow)
{
    readValues();
    Form2 form(components());
    form.show();
    const std::pair<QPushButton*, const char*> buttons[] = {
        {form.cmdMP3, "frmMP3"},   {form.cmdWAV, "frmWAV"},   {form.cmdVOX, "frmVOX"},   {form.cmdOgg, "frmOgg"},
        {form.cmdG721, "frmG721"}, {form.cmdG723, "frmG723"}, {form.cmdG726, "frmG726"}, {form.cmdG729, "frmG729"},
        {form.cmdAC3, "frmAC3"},   {form.cmdAAC, "frmAAC"}};
    std::vector<QString> before;
    for (int f = 0; f < kFormatCount; ++f) before.push_back(form.row(FormatCode(f))->text());
    for (auto [button, dialogName] : buttons) {
        std::string opened;
        onNextModal([&opened](QWidget* modal) {
            opened = modal->objectName().toStdString();
            static_cast<QDialog*>(modal)->reject();
        });
        button->click();
        EXPECT_EQ(opened, dialogName);
    }
    for (int f = 0; f < kFormatCount; ++f) EXPECT_EQ(form.row(FormatCode(f))->text(), before[f]) << kFormatNames[f];
}

} // namespace
} // namespace recorder
