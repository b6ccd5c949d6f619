// The Device list follows the sound server's sources and keeps the selection
// by the source's name; a device that cannot be selected is named.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/audioplayer.h"

#include "platform/testserver/sound_server.h"

#include <QLabel>

#include <unistd.h>

namespace recorder {
namespace {


constexpr const char* kMonitorName = "Monitor of Velmor Null Output";

std::string selectedSource(REduruZUZedova3* control)
{
    com::Bstr param(TavorAudioDXRecord3Lib::kSourceNameParam);
    com::Variant v;
    control->GetAdditionalParam(param.get(), v.put());
    return v.vt == VT_BSTR ? com::toUtf8(v.bstrVal) : std::string();
}

class DeviceListTest : public RecorderWindowTest {
protected:
    // Waits at most `ms` for the condition, serving the window's events.
    bool within(int ms, const std::function<bool()>& done)
    {
        for (int waited = 0; !done(); waited += 10) {
            if (waited >= ms) return false;
            wait(10);
        }
        return true;
    }
    void choose(const QString& text)
    {
        const int index = form_->DeviceCombo->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        form_->DeviceCombo->setCurrentIndex(index);
        emit form_->DeviceCombo->activated(index);
    }
    void expectSelected(const QString& text, const std::string& source)
    {
        EXPECT_EQ(form_->DeviceCombo->currentText(), text);
        EXPECT_EQ(form_->DeviceCombo->currentData().toString().toStdString(), source);
        EXPECT_EQ(selectedSource(form_->AudioRecord.get()), source) << "the capture control follows";
        LONG n = 0;
        form_->AudioRecord->get_devInputNum(&n);
        EXPECT_EQ(n, form_->DeviceCombo->currentIndex() + 1);
    }
};

TEST_F(DeviceListTest, SourcesThatAppearAndVanishAreListedWithinASecondAndTheSelectionStaysByName)
{
    openWindow();
    // The monitor comes after every input: a new input moves it down the list.
    choose(kMonitorName);
    const int before = form_->DeviceCombo->currentIndex();
    const std::string monitor = form_->DeviceCombo->currentData().toString().toStdString();

    auto extra = std::make_unique<testsound::PipeSource>(testsound::SoundServer::shared(), "velmor_window_extra",
                                                         "Velmor Window Extra Input");
    EXPECT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText("Velmor Window Extra Input") >= 0; }));
    EXPECT_EQ(form_->DeviceCombo->currentIndex(), before + 1);
    expectSelected(kMonitorName, monitor);

    extra.reset();
    EXPECT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText("Velmor Window Extra Input") < 0; }));
    EXPECT_EQ(form_->DeviceCombo->currentIndex(), before);
    expectSelected(kMonitorName, monitor);
    EXPECT_TRUE(prompts_.messages.empty());

    // An input selected while another input comes and goes.
    choose(kTestInputName);
    {
        testsound::PipeSource other(testsound::SoundServer::shared(), "velmor_window_other", "Velmor Window Other Input");
        EXPECT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText("Velmor Window Other Input") >= 0; }));
        expectSelected(kTestInputName, "velmor_window_in");
    }
    EXPECT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText("Velmor Window Other Input") < 0; }));
    expectSelected(kTestInputName, "velmor_window_in");
}

TEST_F(DeviceListTest, ASelectedSourceThatVanishesIsNamedAndTheFirstDeviceTakesItsPlace)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    input_.reset();
    EXPECT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText(kTestInputName) < 0; }));
    EXPECT_EQ(form_->DeviceCombo->currentIndex(), 0);
    EXPECT_EQ(form_->StatusPanel2->text().toStdString(),
              std::string("The device ") + kTestInputName + " is gone; " +
                  form_->DeviceCombo->itemText(0).toStdString() + " is selected.");
    expectSelected(form_->DeviceCombo->itemText(0), form_->DeviceCombo->itemData(0).toString().toStdString());
}

TEST_F(DeviceListTest, ASelectedSourceThatComesBackIsChosenAgainUnlessTheUserChoseAnother)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    input_.reset();
    ASSERT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText(kTestInputName) < 0; }));
    input_ = std::make_unique<testsound::PipeSource>(testsound::SoundServer::shared(), "velmor_window_in", kTestInputName);
    ASSERT_TRUE(within(1000, [&] { return form_->DeviceCombo->currentText() == kTestInputName; }));
    EXPECT_EQ(form_->StatusPanel2->text().toStdString(), std::string("The device ") + kTestInputName + " is back and selected.");
    expectSelected(kTestInputName, "velmor_window_in");

    // Chosen otherwise while it was away: the user's choice stands.
    input_.reset();
    ASSERT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText(kTestInputName) < 0; }));
    choose(kMonitorName);
    input_ = std::make_unique<testsound::PipeSource>(testsound::SoundServer::shared(), "velmor_window_in", kTestInputName);
    ASSERT_TRUE(within(1000, [&] { return form_->DeviceCombo->findText(kTestInputName) >= 0; }));
    wait(300);
    expectSelected(kMonitorName, "velmor_null.monitor");
}

TEST_F(DeviceListTest, ADeviceThatCannotBeSelectedIsNamedAndNothingIsLeftSelected)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    // Listed, but gone from the server before the list could follow.
    form_->DeviceCombo->addItem("Velmor Ghost Input", QString("velmor_window_ghost"));
    form_->DeviceCombo->setCurrentIndex(form_->DeviceCombo->count() - 1);
    EXPECT_FALSE(form_->selectCaptureDevice());
    EXPECT_EQ(form_->StatusPanel2->text().toStdString(),
              "The device Velmor Ghost Input could not be selected: The sound server has no source named "
              "\"velmor_window_ghost\".");
    LONG n = 0;
    form_->AudioRecord->get_devInputNum(&n);
    EXPECT_EQ(n, -1) << "a start cannot record from another device";

    form_->DeviceCombo->setCurrentIndex(form_->DeviceCombo->findText(kTestInputName));
    EXPECT_TRUE(form_->selectCaptureDevice());
}

// The pulse clients this process holds on the server.
int ownClients()
{
    const std::string list = testsound::SoundServer::shared().pactl("list clients");
    const std::string mine = "application.process.id = \"" + std::to_string(::getpid()) + "\"";
    int n = 0;
    for (auto at = list.find(mine); at != std::string::npos; at = list.find(mine, at + 1)) ++n;
    return n;
}

TEST_F(DeviceListTest, TheWindowHoldsOneServerConnectionForCaptureMixerAndPlayback)
{
    ASSERT_TRUE(startRecordingOnTestDevice()); // the Device list, the mixer of its device, a capture stream
    ASSERT_TRUE(form_->Audioplayer->OpenOutput(44100, 2, 16, 0));
    form_->sliderGain->setValue(30000); // the mixer in use
    EXPECT_EQ(ownClients(), 1);
    form_->Audioplayer->Stop();
    form_->StopRecord();
}

} // namespace
} // namespace recorder
