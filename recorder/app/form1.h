#pragma once
// The main window: the hub that owns the capture control, the audio
// components, the wave-in recorder and the recordings list, and drives a
// recording from the Record command to a closed file and a new list row.

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/com_ptr.h"
#include "platform/com/connection_point.h"
#include "recorder/recording/recording_observer.h"
#include "recorder/recordings/recording_row.h"
#include "platform/power/power_management.h"

#include <QMainWindow>

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class WaveInRecorder;

namespace hotkeys {
class GlobalHotkeys;
}

namespace recorder {

class AudioCompress;
class AudioFile;
class AudioFormatSettings;
class Audioplayer;
class CaptureControlCapture;
class CaptureEventSink;
class DesktopLauncher;
class Form5;
class MainPlayback;
class MP3Lame;
class OwnerThread;
class RecordingSession;
class PictureButton;
class PlaybackView;
class RemoteControlServer;
class TrayIcon;
class UserPrompts;

inline constexpr const char* kMainCaption = "Velmor Sound Recorder v3.50 ";

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs its load steps. Without a launcher, other
    // programs and documents are opened through the desktop; without hotkeys,
    // the desktop's global-key service is used.
    explicit Form1(UserPrompts& prompts, DesktopLauncher* launcher = nullptr, hotkeys::GlobalHotkeys* globalHotkeys = nullptr,
                   QWidget* parent = nullptr);
    ~Form1() override;

    // --- public members other windows use ---
    bool flgRecord = false;
    com::ComPtr<REduruZUZedova3> AudioRecord;
    // Why the capture control could not be created (empty when it was): the
    // class registry's error text, naming each registry and library tried.
    std::string captureLoadError_;
    std::unique_ptr<recorder::Audioplayer> Audioplayer;
    std::unique_ptr<recorder::AudioFile> AudioFile;
    std::unique_ptr<recorder::AudioCompress> AudioCompress;
    std::shared_ptr<recorder::AudioFormatSettings> AAC;
    std::shared_ptr<recorder::MP3Lame> MP3Lame;

    void StartRecord();
    // A recording that ends by itself once its file holds `seconds` of audio.
    void startRecordFor(double seconds);
    // Asks the session to stop; the file is finished on its writer thread and
    // the row added when it is closed (recordingIdle() tells).
    void StopRecord();
    bool recordingIdle() const;
    // The audio in the file of the recording going on (or the last one).
    double recordedSeconds() const;
    void auformat();
    // Main-window playback of the selected row.
    void PlaySelected();
    void PausePlayback();
    void StopPlayback();
    // Rewrites the "NO." column: 1, 2, 3, ...
    void RenumberRows();
    // The one orderly end of the program.
    void exitsystem();
    // The same on logout, shutdown, Ctrl+C or kill: nobody is asked anything;
    // the recordings list goes to listAtExitPath(), read back at the next start.
    void exitOnSignal();
    static std::string listAtExitPath();
    // Names the recording while it runs; left behind, it tells the next start.
    static std::string journalPath();
    // How long a capture whose server or device went away is waited for.
    void setCaptureWait(double seconds) { captureWaitSeconds_ = seconds; }

    // --- controls, by their names ---
    QComboBox* cboEncoders = nullptr;
    QComboBox* DeviceCombo = nullptr;
    QComboBox* cmbSrcInput = nullptr;
    QSlider* sliderGain = nullptr;
    QSlider* SliderVolume = nullptr;
    QSlider* SliderVolumeBalance = nullptr;
    QSlider* slPosition = nullptr;
    QProgressBar* ProgressBarMeter[2] = {nullptr, nullptr};
    QLabel* Label1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QLabel* StatusPanel2 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* cmdrecord = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdPause = nullptr;
    QMenu* editMenu = nullptr;
    // Menu entries, by the menu's own texts (QAction objectName = text).
    QAction* menuAction(const QString& text) const;
    std::vector<PictureButton*> pictureButtons;

    // The rows of ListView1 as data.
    std::vector<RecordingRow> rows() const;
    const std::string& currentRecordPath() const { return recordPath_; }
    bool exited() const { return exited_; }
    // The playback state (null after exitsystem).
    const MainPlayback* playback() const { return playback_.get(); }
    // The notification-area icon (null before load).
    TrayIcon* tray() const { return tray_.get(); }
    // Shows the window again from the tray.
    void restoreWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    QWidget* buildPictureButtons();
    void Form_Load();
    void FillDeviceList();
    void FillInputList();
    void DeviceCombo_Click();
    void cmbSrcInput_Click();
    void sliderGain_Scroll();

    // The Device list follows the server's sources (form1_devices.cpp).
public:
    // Points the capture control at the source DeviceCombo shows. False, with
    // the status bar naming the device and the reason, when it cannot be
    // selected: then nothing may be recorded. True with nothing listed or no
    // capture control, which the start reports itself.
    bool selectCaptureDevice(std::string* why = nullptr);
private:
    void watchDevices();
    void refreshDeviceList();
    void selectListedDevice();
    QTimer* deviceRefresh_ = nullptr;
    QString missingDevice_; // the source chosen last, while it is not listed

    void SliderVolume_Scroll();
    void SliderVolumeBalance_Scroll();
    void cmdStop_Click();
    void connectCommands();

    // The list's commands (form1_list.cpp).
    void newProjectCommand();
    void openProjectCommand();
    void saveProjectCommand();
    void renameSelectedFile();
    void removeSelectedItem();
    void deleteSelectedFile();
    QTreeWidgetItem* selectedRow() const;
    void appendRow(const RecordingRow& row);
    void saveListAtExit();
    void restoreListOfLastRun();
    // A recording that never ended (a crash, a power loss): repaired and listed again.
    void recoverInterruptedRecording();

    // Playback (form1_playback.cpp).
    std::unique_ptr<PlaybackView> makePlaybackView();
    bool slPositionMouse(QEvent* event);

    // Help and system commands (form1_help.cpp).
    void openHelp();
    void openWebPage(const char* url);
    void showAbout();
    void openRecordControlCommand();

    // The record settings window (form1_settings.cpp).
    void openFormatSettings();

    // The tray icon (form1_tray.cpp): minimising and closing hide the window while it is shown.
    void createTray();
    bool hidesIntoTray() const;
    void removeTray();

    // The schedule (form1_schedule.cpp): Form5 loaded hidden, its check driving the recording for the whole run.
public:
    Form5* schedule() const { return form5_; }
private:
    void createSchedule();
    void showSchedule();
    // "Edit ID3" and the tag button open the tag editor (form1_tag_editor.cpp).
    void connectTagEditor();
    void openTagEditor();
    // "Audio Player" and its button open the player window (form1_audio_player.cpp).
    void connectAudioPlayer();
    void openAudioPlayer();
    void closeSchedule();
    Form5* form5_ = nullptr; // a child window of this one

    // The global hotkeys (form1_hotkeys.cpp): CTRL+ALT+R records, CTRL+ALT+S stops.
    void registerHotkeys();
    void OnHotkey(int id);
    void releaseHotkeys();

    // Command-line control of the running recorder (form1_remote.cpp) and the
    // sleep inhibitor held while a recording runs (form1_power.cpp).
public:
    RemoteControlServer* remoteControl() const { return remoteServer_; }
    // Replaces the desktop's power management (logind on the system bus).
    void usePowerManagement(std::unique_ptr<power::PowerManagement> power);
    const power::SleepInhibition* sleepInhibition() const { return sleepInhibition_.get(); }
private:
    class RemoteAdapter;
    void startRemoteControl();
    void stopRemoteControl();
    void holdSleepInhibitor();
    void releaseSleepInhibitor();
    RemoteControlServer* remoteServer_ = nullptr; // a child of the window
    std::unique_ptr<power::PowerManagement> power_;
    std::unique_ptr<power::SleepInhibition> sleepInhibition_;

    void AudioRecord_EndArrayRecord(const VARIANT& nBlock);
    void AudioRecord_Timer(const VARIANT& currentSamples, const std::vector<short>& levels);
    void Timer1_Timer();
    void abandonStart(const std::string& why);
    void resetMeters();
    void addRow(const RecordingResult& result);
    // The recording session (form1_recording.cpp): created at load, finished at exit.
    class RecordingView;
    void createRecordingSession();
    void endRecordingSession();
    std::unique_ptr<CaptureControlCapture> capture_;
    std::unique_ptr<OwnerThread> ownerThread_;
    std::unique_ptr<RecordingSession> session_;
    std::unique_ptr<RecordingView> recordingView_;
    std::string pendingFailure_; // said once the stopped recording's row is there
    std::vector<std::function<void()>> afterStop_; // run once the stopped recording's row is there
    // Told why, before the message box, when the start asked for now is refused.
    std::function<void(const std::string&)> startRefused_;
    void sayStartRefused(const std::string& why);
    void showSettingsWriteFailure();

    UserPrompts& prompts_;
    std::unique_ptr<DesktopLauncher> ownLauncher_;
    DesktopLauncher& launcher_;
    std::unique_ptr<PlaybackView> playbackView_;
    std::unique_ptr<MainPlayback> playback_;
    std::unique_ptr<WaveInRecorder> waveIn_;
    com::ComPtr<CaptureEventSink> sink_;
    com::EventConnection events_;

    std::string recordBaseName_;
    std::string recordPath_;
    std::time_t recordStartTime_ = 0;
    bool exited_ = false;
    double captureWaitSeconds_ = 60;
    bool exiting_ = false;
    bool exitOnSignal_ = false;
    int signalExitTries_ = 0;
    static constexpr int kSignalExitTries = 40; // then the exit goes ahead regardless
    static constexpr int kSignalExitRetryMs = 50;
    QWidget* picturePanel_ = nullptr;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<hotkeys::GlobalHotkeys> ownHotkeys_;
    hotkeys::GlobalHotkeys& hotkeys_;
    std::vector<int> heldHotkeys_; // the ids registered, released at exit
};

} // namespace recorder
