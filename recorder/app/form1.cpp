#include "recorder/app/form1.h"
#include "recorder/app/form1_recording_view.h"

#include "recorder/recording/capture_event_sink.h"
#include "recorder/app/desktop_launcher.h"
#include "recorder/app/form4.h"
#include "recorder/widgets/icons.h"
#include "recorder/widgets/picture_button.h"
#include "recorder/widgets/skin.h"
#include "recorder/app/system_commands.h"
#include "recorder/app/tray_icon.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_compress.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/components/audioplayer.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/formats/mp3_lame_settings.h"
#include "recorder/recording/format_values.h"
#include "recorder/recording/settings_number.h"
#include "recorder/recordings/main_playback.h"
#include "recorder/settings/settings_store.h"
#include "recorder/wavein/wave_in_recorder.h"

#include "platform/com/class_registry.h"
#include "platform/com/errorinfo.h"
#include "platform/hotkeys/global_hotkeys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace recorder {

namespace {

QAction* addItem(QMenu* menu, const QString& text, bool enabled = true)
{
    QAction* a = menu->addAction(text);
    a->setObjectName(text);
    a->setEnabled(enabled);
    return a;
}

} // namespace

Form1::Form1(UserPrompts& prompts, DesktopLauncher* launcher, hotkeys::GlobalHotkeys* globalHotkeys, QWidget* parent)
    : QMainWindow(parent),
      prompts_(prompts),
      ownLauncher_(launcher ? nullptr : std::make_unique<SystemLauncher>()),
      launcher_(launcher ? *launcher : *ownLauncher_),
      ownHotkeys_(globalHotkeys ? nullptr : hotkeys::createPlatformHotkeys()),
      hotkeys_(globalHotkeys ? *globalHotkeys : *ownHotkeys_)
{
    setObjectName("Form1");
    setWindowTitle(kMainCaption);
    buildWindow();
    Form_Load();
}

Form1::~Form1()
{
    if (!exited_) {
        // Torn down without exitsystem (a test, or the event loop ending): release in order.
        endRecordingSession();
        playback_.reset();
        events_.disconnect();
        if (sink_) sink_->detach();
        AudioRecord.reset();
    }
}

// --- window ---------------------------------------------------------------

void Form1::buildWindow()
{
    buildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildPictureButtons());

    // Format, device, input and recording volume.
    auto* source = new QGroupBox("Recording", central);
    auto* grid = new QGridLayout(source);
    cboEncoders = new QComboBox(source);
    cboEncoders->setObjectName("cboEncoders");
    DeviceCombo = new QComboBox(source);
    DeviceCombo->setObjectName("DeviceCombo");
    cmbSrcInput = new QComboBox(source);
    cmbSrcInput->setObjectName("cmbSrcInput");
    grid->addWidget(new QLabel("Format:", source), 0, 0);
    grid->addWidget(cboEncoders, 0, 1);
    grid->addWidget(new QLabel("Device:", source), 1, 0);
    grid->addWidget(DeviceCombo, 1, 1);
    grid->addWidget(new QLabel("Input:", source), 2, 0);
    grid->addWidget(cmbSrcInput, 2, 1);
    auto* gainFrame = new QGroupBox("Recording Volume", source);
    auto* gainLayout = new QHBoxLayout(gainFrame);
    sliderGain = new QSlider(Qt::Horizontal, gainFrame);
    sliderGain->setObjectName("sliderGain");
    sliderGain->setRange(0, 65535);
    sliderGain->setPageStep(4096);
    gainLayout->addWidget(sliderGain);
    grid->addWidget(gainFrame, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    // Meters, time and the transport buttons.
    auto* transport = new QGroupBox(central);
    auto* tgrid = new QGridLayout(transport);
    for (int i = 0; i < 2; ++i) {
        ProgressBarMeter[i] = new QProgressBar(transport);
        ProgressBarMeter[i]->setObjectName(QString("ProgressBarMeter(%1)").arg(i));
        ProgressBarMeter[i]->setRange(0, 90);
        ProgressBarMeter[i]->setValue(0);
        ProgressBarMeter[i]->setTextVisible(false);
        tgrid->addWidget(ProgressBarMeter[i], i, 0, 1, 4);
    }
    Label1 = new QLabel("00:00.00", transport);
    Label1->setObjectName("Label1");
    QFont big = Label1->font();
    big.setPointSize(big.pointSize() * 2);
    Label1->setFont(big);
    Label1->setAlignment(Qt::AlignCenter);
    tgrid->addWidget(Label1, 2, 0, 1, 4);
    cmdrecord = new QPushButton(icons::record(), "Record", transport);
    cmdrecord->setObjectName("cmdrecord");
    cmdrecord->setToolTip("Start Recording (Hotkey:CTRL+ALT+R)");
    cmdStop = new QPushButton(icons::stop(), "Stop", transport);
    cmdStop->setObjectName("cmdStop");
    cmdPlay = new QPushButton(icons::play(), "Play", transport);
    cmdPlay->setObjectName("cmdPlay");
    cmdPause = new QPushButton(icons::pause(), "Pause", transport);
    cmdPause->setObjectName("cmdPause");
    tgrid->addWidget(cmdrecord, 3, 0);
    tgrid->addWidget(cmdStop, 3, 1);
    tgrid->addWidget(cmdPlay, 3, 2);
    tgrid->addWidget(cmdPause, 3, 3);
    slPosition = new QSlider(Qt::Horizontal, transport);
    slPosition->setObjectName("slPosition");
    slPosition->setRange(0, 1000);
    slPosition->installEventFilter(this);
    tgrid->addWidget(slPosition, 4, 0, 1, 4);

    auto* volume = new QGroupBox("Audio Player Volume", central);
    auto* vgrid = new QGridLayout(volume);
    SliderVolume = new QSlider(Qt::Horizontal, volume);
    SliderVolume->setObjectName("SliderVolume");
    SliderVolume->setRange(0, 100);
    SliderVolumeBalance = new QSlider(Qt::Horizontal, volume);
    SliderVolumeBalance->setObjectName("SliderVolumeBalance");
    SliderVolumeBalance->setRange(-100, 100);
    vgrid->addWidget(new QLabel("Volume", volume), 0, 0);
    vgrid->addWidget(SliderVolume, 0, 1);
    vgrid->addWidget(new QLabel("Balance", volume), 1, 0);
    vgrid->addWidget(SliderVolumeBalance, 1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(source, 3);
    top->addWidget(transport, 3);
    top->addWidget(volume, 2);
    layout->addLayout(top);

    auto* listFrame = new QGroupBox("Double Click list to Play Recording", central);
    auto* listLayout = new QVBoxLayout(listFrame);
    ListView1 = new QTreeWidget(listFrame);
    ListView1->setObjectName("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headers;
    for (const char* c : kListColumns) headers << c;
    ListView1->setHeaderLabels(headers);
    ListView1->setColumnWidth(0, 50);
    ListView1->setColumnWidth(1, 360);
    ListView1->viewport()->installEventFilter(this);
    listLayout->addWidget(ListView1);
    layout->addWidget(listFrame, 1);
    setCentralWidget(central);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName("StatusBar1");
    StatusPanel1 = new QLabel(StatusBar1);
    StatusPanel1->setObjectName("StatusPanel1");
    StatusPanel2 = new QLabel(StatusBar1);
    StatusPanel2->setObjectName("StatusPanel2");
    StatusBar1->addWidget(StatusPanel1, 3);
    StatusBar1->addWidget(StatusPanel2, 2);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    resize(960, 640);
}

void Form1::buildMenus()
{
    QMenu* file = menuBar()->addMenu("File(&F)");
    addItem(file, "New Recording Project");
    addItem(file, "Open Recording Project");
    addItem(file, "Save Recording Project");
    file->addSeparator();
    addItem(file, "Exit");

    editMenu = menuBar()->addMenu("Edit(&E)");
    editMenu->setObjectName("editMenu");
    addItem(editMenu, "Play Selected File");
    editMenu->addSeparator();
    addItem(editMenu, "Rename Selected File");
    addItem(editMenu, "Remove Selected Item");
    addItem(editMenu, "Delete Selected File");

    QMenu* action = menuBar()->addMenu("Action(&A)");
    addItem(action, "Record");
    addItem(action, "Stop");
    action->addSeparator();
    addItem(action, "Play Audio");
    addItem(action, "Pause Play");
    addItem(action, "Stop Play");
    action->addSeparator();
    addItem(action, "Audio Player", false);
    addItem(action, "Edit ID3", false);

    QMenu* option = menuBar()->addMenu("Option(&O)");
    addItem(option, "Output File");
    addItem(option, "Format Settings");
    addItem(option, "Schedule", false);
    option->addSeparator();
    addItem(option, "Record Control");

    QMenu* help = menuBar()->addMenu("Help(&H)");
    addItem(help, "Help");
    help->addSeparator();
    addItem(help, "Sound Recorder Home Page");
    addItem(help, "Support Online");
    help->addSeparator();
    addItem(help, "About");
}

QAction* Form1::menuAction(const QString& text) const { return menuBar()->findChild<QAction*>(text); }

QWidget* Form1::buildPictureButtons()
{
    picturePanel_ = new QWidget(this);
    picturePanel_->setObjectName("picturePanel");
    picturePanel_->setMouseTracking(true);
    picturePanel_->installEventFilter(this);
    auto* row = new QHBoxLayout(picturePanel_);
    row->setContentsMargins(2, 2, 2, 2);
    struct Entry {
        const char* name;
        QIcon icon;
        const char* caption;
        bool enabled;
    };
    const Entry entries[] = {
        {"picOutputFile", icons::folder(), "Output File", true},
        {"picFormatSettings", icons::settings(), "Format Settings", true},
        {"picRecord", icons::record(), "RECORD", true},
        {"picStop", icons::stop(), "STOP", true},
        {"picAudioPlayer", icons::player(), "Audio Player", false},
        {"picRecordControl", icons::mixer(), "Record Control", true},
        {"picSchedule", icons::schedule(), "Schedule", false},
        {"picHelp", icons::help(), "Help", true},
        {"picExit", icons::exitIcon(), "Exit", true},
        {"picEditID3", icons::tag(), "", false},
    };
    for (const Entry& e : entries) {
        auto* b = new PictureButton(e.name, e.icon, e.caption, picturePanel_);
        b->setEnabled(e.enabled);
        if (QString(e.name) == "picEditID3") b->setToolTip("Edit ID3");
        row->addWidget(b);
        pictureButtons.push_back(b);
        connect(b, &PictureButton::hovered, this, [this](PictureButton* over) {
            for (auto* other : pictureButtons) other->setBorderStyle(other == over ? 1 : 0);
        });
    }
    row->addStretch();
    return picturePanel_;
}

void Form1::connectCommands()
{
    auto on = [this](const char* text, auto handler) { connect(menuAction(text), &QAction::triggered, this, handler); };
    auto outputFiles = [this] {
        Form4 dialog(prompts_, this);
        dialog.exec();
    };
    on("New Recording Project", [this] { newProjectCommand(); });
    on("Open Recording Project", [this] { openProjectCommand(); });
    on("Save Recording Project", [this] { saveProjectCommand(); });
    on("Exit", [this] { exitsystem(); });
    on("Play Selected File", [this] { PlaySelected(); });
    on("Rename Selected File", [this] { renameSelectedFile(); });
    on("Remove Selected Item", [this] { removeSelectedItem(); });
    on("Delete Selected File", [this] { deleteSelectedFile(); });
    on("Record", [this] { StartRecord(); });
    on("Stop", [this] { StopRecord(); });
    on("Play Audio", [this] { PlaySelected(); });
    on("Pause Play", [this] { PausePlayback(); });
    on("Stop Play", [this] { StopPlayback(); });
    on("Output File", outputFiles);
    on("Format Settings", [this] { openFormatSettings(); });
    on("Record Control", [this] { openRecordControlCommand(); });
    on("Help", [this] { openHelp(); });
    on("Sound Recorder Home Page", [this] { openWebPage(kHomePage); });
    on("Support Online", [this] { openWebPage(kSupportPage); });
    on("About", [this] { showAbout(); });

    connect(pictureButtons[0], &PictureButton::clicked, this, outputFiles);
    connect(pictureButtons[1], &PictureButton::clicked, this, &Form1::openFormatSettings);
    connect(pictureButtons[2], &PictureButton::clicked, this, &Form1::StartRecord);
    connect(pictureButtons[3], &PictureButton::clicked, this, &Form1::cmdStop_Click);
    connect(pictureButtons[5], &PictureButton::clicked, this, &Form1::openRecordControlCommand);
    connect(pictureButtons[7], &PictureButton::clicked, this, &Form1::openHelp);
    connect(pictureButtons[8], &PictureButton::clicked, this, &Form1::exitsystem);

    connect(cmdrecord, &QPushButton::clicked, this, &Form1::StartRecord);
    connect(cmdStop, &QPushButton::clicked, this, &Form1::cmdStop_Click);
    connect(cmdPlay, &QPushButton::clicked, this, &Form1::PlaySelected);
    connect(cmdPause, &QPushButton::clicked, this, &Form1::PausePlayback);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { PlaySelected(); });
    connect(sliderGain, &QSlider::valueChanged, this, [this] { sliderGain_Scroll(); });
    connect(SliderVolume, &QSlider::valueChanged, this, &Form1::SliderVolume_Scroll);
    connect(SliderVolumeBalance, &QSlider::valueChanged, this, &Form1::SliderVolumeBalance_Scroll);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == picturePanel_ && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)) {
        // Over the panel behind the buttons: no button is highlighted.
        for (auto* b : pictureButtons) b->setBorderStyle(0);
    }
    if (watched == slPosition && slPositionMouse(event)) return true;
    if (ListView1 && watched == ListView1->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            editMenu->popup(me->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- load -----------------------------------------------------------------

void Form1::Form_Load()
{
    applySkin(this);

    // The capture control, created by class through the class registry.
    const HRESULT created =
        CoCreateInstance(CLSID_AudioDXRecord3, nullptr, CLSCTX_INPROC_SERVER, IID_REduruZUZedova3, AudioRecord.putVoid());
    if (FAILED(created)) {
        com::ErrorDetails details;
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(created));
        captureLoadError_ = com::takeError(details) && !details.description.empty() ? details.description
                                                                                      : std::string("error ") + code;
    }
    if (AudioRecord) {
        sink_ = com::ComPtr<CaptureEventSink>::adopt(com::makeObject<CaptureEventSink>());
        sink_->onEndArrayRecord = [this](const VARIANT& n) { AudioRecord_EndArrayRecord(n); };
        sink_->onTimer = [this](const VARIANT& s, const std::vector<short>& l) { AudioRecord_Timer(s, l); };
        events_.connect(AudioRecord.get(), DIID__REduruZUZedova3Events, sink_.get());
    }
    AudioFile = std::make_unique<recorder::AudioFile>();
    Audioplayer = std::make_unique<recorder::Audioplayer>();
    AudioCompress = std::make_unique<recorder::AudioCompress>();
    MP3Lame = std::make_shared<recorder::MP3Lame>();
    readMp3LameSettings(settingsFilePath(), *MP3Lame);
    AudioFile->UseMp3Settings(MP3Lame);

    waveIn_ = std::make_unique<WaveInRecorder>();

    if (AudioRecord) AudioRecord->put_VariantTypeRangeMode(1);
    AudioFile->SetMode(1);
    AudioCompress->SetMode(1);

    DeviceCombo->clear();
    cmbSrcInput->clear();
    cboEncoders->clear();
    for (const char* name : kFormatNames) cboEncoders->addItem(name);
    cboEncoders->setCurrentIndex(0);

    std::string formatProblem;
    cboEncoders->setCurrentIndex(storedOutputFormat(settingsFilePath(), FormatCode::WAV, &formatProblem));

    createRecordingSession();
    FillDeviceList();
    watchDevices();
    auformat();
    playbackView_ = makePlaybackView();
    playback_ = std::make_unique<MainPlayback>(*AudioFile, *Audioplayer, *playbackView_);

    QSignalBlocker v(SliderVolume), b(SliderVolumeBalance);
    SliderVolume->setValue(Audioplayer->Volume());
    SliderVolumeBalance->setValue(Audioplayer->Balance());

    connect(DeviceCombo, qOverload<int>(&QComboBox::activated), this, [this] {
        missingDevice_.clear();
        DeviceCombo_Click();
    });
    connect(cmbSrcInput, qOverload<int>(&QComboBox::activated), this, [this] { cmbSrcInput_Click(); });
    connectCommands();
    createTray();
    registerHotkeys();
    startRemoteControl();
    createSchedule();
    restoreListOfLastRun();
    recoverInterruptedRecording();
    connectTagEditor();
    connectAudioPlayer();
    if (!formatProblem.empty()) StatusPanel2->setText(QString::fromStdString(formatProblem));
}

void Form1::SliderVolume_Scroll()
{
    if (!Audioplayer) return;
    Audioplayer->setVolume(SliderVolume->value());
    QSignalBlocker block(SliderVolume);
    SliderVolume->setValue(Audioplayer->Volume());
}

void Form1::SliderVolumeBalance_Scroll()
{
    if (!Audioplayer) return;
    Audioplayer->setBalance(SliderVolumeBalance->value());
    QSignalBlocker block(SliderVolumeBalance);
    SliderVolumeBalance->setValue(Audioplayer->Balance());
}

void Form1::cmdStop_Click()
{
    // Stop ends a recording; while idle it stops playback.
    if (flgRecord)
        StopRecord();
    else
        StopPlayback();
}

// --- shutdown ---------------------------------------------------------------

void Form1::closeEvent(QCloseEvent* event)
{
    event->ignore();
    // With a tray icon to come back from, closing only hides; without one it ends the program.
    if (hidesIntoTray())
        hide();
    else
        exitsystem();
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Minimising hides into the tray; without a tray it minimises, leaving a way back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && hidesIntoTray())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized() && hidesIntoTray()) hide();
        });
}

void Form1::showSettingsWriteFailure()
{
    reportSettingsWriteFailure(prompts_, this);
}

void Form1::exitOnSignal()
{
    if (exited_) return;
    exitOnSignal_ = true;
    // A dialog's own event loop (a message box, the settings window) must end
    // first: what it works on is torn down by the exit.
    if (QThread::currentThread()->loopLevel() > 1 && ++signalExitTries_ < kSignalExitTries) {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        QTimer::singleShot(kSignalExitRetryMs, this, [this] { exitOnSignal(); });
        return;
    }
    exitsystem();
}

void Form1::exitsystem()
{
    if (exited_ || exiting_) return;
    exiting_ = true;
    closeSchedule();
    // The file is finished before anything it needs goes away.
    endRecordingSession();
    if (playback_ && !playback_->playStopped()) StopPlayback();
    removeTray();

    if (ListView1->topLevelItemCount() > 0) {
        if (!exitOnSignal_ && prompts_.message(this, "Do you need to save the recording project file?",
                                               MessageIcon::Question, MessageButtons::OkCancel) == MessageAnswer::Ok)
            saveProjectCommand();
        // Also when a signal closed the question.
        else if (exitOnSignal_)
            saveListAtExit();
    }

    if (!WriteIniValue(settingsFilePath(), "set", "outputformat", std::to_string(cboEncoders->currentIndex())))
        showSettingsWriteFailure();

    events_.disconnect();
    if (sink_) sink_->detach();
    playback_.reset();
    AudioRecord.reset();
    AudioFile.reset();
    Audioplayer.reset();
    AudioCompress.reset();
    waveIn_.reset();
    CoFreeUnusedLibraries();
    releaseHotkeys();
    stopRemoteControl();

    exited_ = true;
    hide();
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace recorder
