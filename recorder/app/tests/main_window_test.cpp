// The main window's load steps, selections and shutdown.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/widgets/picture_button.h"
#include "recorder/components/audioplayer.h"
#include "recorder/settings/settings_store.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>

namespace recorder {
namespace {

using MainWindow = RecorderWindowTest;

QStringList menuTexts(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? "-" : a->text());
    return out;
}

TEST_F(MainWindow, LoadBuildsCaptionMenusFormatsAndDevices)
{
    openWindow();
    EXPECT_EQ(form_->windowTitle(), "Velmor Sound Recorder v3.50 ");
    QStringList menus;
    for (QAction* a : form_->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"File(&F)", "Edit(&E)", "Action(&A)", "Option(&O)", "Help(&H)"}));
    EXPECT_EQ(menuTexts(form_->menuBar()->actions()[0]->menu()),
              (QStringList{"New Recording Project", "Open Recording Project", "Save Recording Project", "-", "Exit"}));
    EXPECT_EQ(menuTexts(form_->editMenu), (QStringList{"Play Selected File", "-", "Rename Selected File",
                                                       "Remove Selected Item", "Delete Selected File"}));
    EXPECT_EQ(menuTexts(form_->menuBar()->actions()[2]->menu()),
              (QStringList{"Record", "Stop", "-", "Play Audio", "Pause Play", "Stop Play", "-", "Audio Player", "Edit ID3"}));

    ASSERT_EQ(form_->cboEncoders->count(), 10);
    EXPECT_EQ(form_->cboEncoders->itemText(0), "WAV");
    EXPECT_EQ(form_->cboEncoders->itemText(9), "AAC");
    EXPECT_EQ(form_->cboEncoders->currentIndex(), 0) << "no settings.dat: WAV";
    EXPECT_GE(form_->DeviceCombo->findText(kTestInputName), 1);
    EXPECT_EQ(form_->DeviceCombo->currentIndex(), 0);
    EXPECT_GT(form_->cmbSrcInput->count(), 0) << "the first device's inputs are listed";
    EXPECT_EQ(form_->Label1->text(), "00:00.00");
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_EQ(form_->Timer1->interval(), 1000);
    EXPECT_EQ(form_->cmdrecord->toolTip(), "Start Recording (Hotkey:CTRL+ALT+R)");
    EXPECT_EQ(form_->SliderVolume->value(), form_->Audioplayer->Volume());
    ASSERT_TRUE(form_->AudioRecord) << "the capture control is created through the class registry";
    LONG mode = 0;
    form_->AudioRecord->get_VariantTypeRangeMode(&mode);
    EXPECT_EQ(mode, 1);
}

TEST_F(MainWindow, StoredOutputFormatIsSelectedAndOutOfRangeIsIgnored)
{
    writeSettings("[set]\noutputformat=9\n");
    openWindow();
    EXPECT_EQ(form_->cboEncoders->currentText(), "AAC");
    form_.reset();
    writeSettings("[set]\noutputformat=12\n");
    openWindow();
    EXPECT_EQ(form_->cboEncoders->currentText(), "WAV");
}

TEST_F(MainWindow, ChoosingADeviceTellsTheCaptureControl)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    com::Bstr name;
    form_->AudioRecord->get_devInputName(name.put());
    EXPECT_EQ(name.utf8(), kTestInputName);
    LONG n = 0;
    form_->AudioRecord->get_devInputNum(&n);
    EXPECT_EQ(n, form_->DeviceCombo->currentIndex() + 1);
}

TEST_F(MainWindow, InputVolumeSliderSetsTheSourceVolume)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->sliderGain->setValue(40000);
    const std::string out = testsound::SoundServer::shared().pactl("get-source-volume velmor_window_in");
    EXPECT_NE(out.find("61%"), std::string::npos) << out;
}

TEST_F(MainWindow, PictureButtonsShowABorderOnlyUnderTheMouse)
{
    openWindow();
    auto& buttons = form_->pictureButtons;
    ASSERT_GE(buttons.size(), 9u);
    EXPECT_EQ(buttons[2]->captionLabel()->text(), "RECORD");
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(buttons[2], &enter);
    EXPECT_EQ(buttons[2]->borderStyle(), 1);
    QApplication::sendEvent(buttons[3], &enter);
    EXPECT_EQ(buttons[2]->borderStyle(), 0);
    EXPECT_EQ(buttons[3]->borderStyle(), 1);
    QEvent panelEnter(QEvent::Enter);
    QApplication::sendEvent(buttons[3]->parentWidget(), &panelEnter);
    for (auto* b : buttons) EXPECT_EQ(b->borderStyle(), 0);
}

TEST_F(MainWindow, ClosingTheWindowExitsAndStoresTheFormat)
{
    openWindow();
    form_->show();
    form_->cboEncoders->setCurrentIndex(7);
    form_->close();
    EXPECT_TRUE(form_->exited()) << "with no tray icon to come back from, closing ends the program";
    EXPECT_EQ(ReadIniValue(home_ + "/settings.dat", "set", "outputformat"), "7");
    EXPECT_TRUE(prompts_.messages.empty()) << "an empty list asks nothing";
}

TEST_F(MainWindow, MinimisingKeepsTheWindowReachable)
{
    openWindow();
    form_->show();
    form_->setWindowState(Qt::WindowMinimized);
    wait(50);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_FALSE(form_->exited());
}

TEST_F(MainWindow, ExitWithRowsAsksToSaveTheProjectAndCancelSavesNothing)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    recordTone(1.2, 4.0);
    ASSERT_EQ(form_->rows().size(), 1u);
    prompts_.messages.clear();
    prompts_.answers.push_back(MessageAnswer::Cancel);
    form_->exitsystem();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "Do you need to save the recording project file?");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(prompts_.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(form_->exited());
}

TEST_F(MainWindow, SecondRecordingOfTheSameNameIsNumberedAndNeverOverwrites)
{
    writeSettings("[set]\nfilename=rec\nexistedfile=0\n");
    std::filesystem::create_directories(home_ + "/Music");
    std::ofstream(home_ + "/Music/rec_2.WAV") << "an earlier recording";
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    recordTone(1.2, 4.0);
    recordTone(1.2, 4.0);
    auto rows = form_->rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].path, home_ + "/Music/rec.WAV");
    EXPECT_EQ(rows[1].path, home_ + "/Music/rec_3.WAV") << "rec_2.WAV was taken";
    EXPECT_EQ(rows[1].number, "2");
    std::ifstream earlier(home_ + "/Music/rec_2.WAV");
    std::string text;
    std::getline(earlier, text);
    EXPECT_EQ(text, "an earlier recording");
}

TEST_F(MainWindow, StopWhileIdleChangesNothing)
{
    openWindow();
    stopRecording();
    form_->cmdStop->click();
    EXPECT_TRUE(form_->rows().empty());
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(MainWindow, HelpAndSystemCommandsOpenTheManualPagesAboutAndTheVolumeControl)
{
    openWindow();
    for (const char* text : {"Help", "Sound Recorder Home Page", "Support Online", "About", "Record Control",
                             "Play Selected File", "Rename Selected File", "Open Recording Project", "Stop Play"})
        EXPECT_TRUE(form_->menuAction(text)->isEnabled()) << text;

    // The build tree holds the manual where an installed program has it, beside the executable's folder.
    form_->menuAction("Help")->trigger();
    EXPECT_TRUE(prompts_.messages.empty());
    ASSERT_EQ(launcher_.urls.size(), 1u);
    const auto built = (std::filesystem::read_symlink("/proc/self/exe").parent_path() /
                        "../share/velmor-sound-recorder/help/index.html").lexically_normal();
    EXPECT_EQ(launcher_.urls[0], "file://" + built.string());
    // The application folder's own manual comes first.
    std::filesystem::create_directories(home_ + "/help");
    std::ofstream(home_ + "/help/index.html") << "<html><body>Manual</body></html>";
    emit form_->pictureButtons[7]->clicked(); // the Help button
    ASSERT_EQ(launcher_.urls.size(), 2u);
    EXPECT_EQ(launcher_.urls[1], "file://" + home_ + "/help/index.html");

    form_->menuAction("Sound Recorder Home Page")->trigger();
    form_->menuAction("Support Online")->trigger();
    ASSERT_EQ(launcher_.urls.size(), 4u);
    EXPECT_EQ(launcher_.urls[2].rfind("https://", 0), 0u);
    EXPECT_NE(launcher_.urls[2], launcher_.urls[3]);

    prompts_.messages.clear();
    form_->menuAction("About")->trigger();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("Velmor Sound Recorder 3.50"), std::string::npos);
    EXPECT_NE(prompts_.messages[0].text.find("Qt " + std::string(qVersion())), std::string::npos);

    prompts_.messages.clear();
    form_->menuAction("Record Control")->trigger();
    ASSERT_EQ(prompts_.messages.size(), 1u) << "nothing installed: say so";
    EXPECT_NE(prompts_.messages[0].text.find("No volume control was found"), std::string::npos);
    launcher_.installed = {"pavucontrol", "gnome-control-center"};
    emit form_->pictureButtons[5]->clicked(); // the Record Control button
    EXPECT_EQ(launcher_.started, std::vector<std::string>{"pavucontrol --tab=4"});
}

} // namespace
} // namespace recorder
