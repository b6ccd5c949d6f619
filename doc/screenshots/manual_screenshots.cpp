// Photographs the program's real windows for the manual: each window is built
// as the program builds it, in a fresh application folder and home, shown on
// whatever platform Qt runs on (offscreen in scripts/make-screenshots.sh), and
// saved as a PNG with QWidget::grab().
//
//   manual_screenshots <images folder>

#include "doc/screenshots/sample_data.h"

#include "recorder/widgets/apartment_pump.h"
#include "recorder/app/form1.h"
#include "recorder/app/form4.h"
#include "recorder/app/tests/scripted_hotkeys.h"
#include "recorder/app/tests/scripted_launcher.h"
#include "recorder/widgets/testing/scripted_prompts.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/formats/ui/form2.h"
#include "recorder/formats/ui/frm_aac.h"
#include "recorder/formats/ui/frm_ac3.h"
#include "recorder/formats/ui/frm_g721.h"
#include "recorder/formats/ui/frm_g723.h"
#include "recorder/formats/ui/frm_g726.h"
#include "recorder/formats/ui/frm_g729.h"
#include "recorder/formats/ui/frm_mp3.h"
#include "recorder/formats/ui/frm_ogg.h"
#include "recorder/formats/ui/frm_vox.h"
#include "recorder/formats/ui/frm_wav.h"
#include "recorder/player/player_messages.h"
#include "recorder/player/ui/mplay3.h"
#include "recorder/schedule/ui/form5.h"
#include "recorder/schedule/ui/form6.h"
#include "recorder/schedule/ui/schedule_clock.h"
#include "recorder/settings/user_settings.h"
#include "recorder/tagging/ui/frmid3v.h"

#include "platform/com/class_registry.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFileSystemModel>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fresh home for one run, removed at the end: the windows read and write
// their settings there and never touch the user's own.
class FreshHome {
public:
    FreshHome()
    {
        char tmpl[] = "/tmp/velmor-manual-XXXXXX";
        if (::mkdtemp(tmpl)) root_ = tmpl;
    }
    ~FreshHome()
    {
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }
    FreshHome(const FreshHome&) = delete;
    FreshHome& operator=(const FreshHome&) = delete;

    bool ok() const { return !root_.empty(); }
    std::string path(const std::string& sub) const { return root_ + "/" + sub; }

    // Points the program's folders into this home, before anything reads them.
    void enter() const
    {
        std::error_code ec;
        for (const char* sub : {"home/Music", "app", "config", "data"}) fs::create_directories(path(sub), ec);
        fs::create_directories(path("run"), ec);
        ::chmod(path("run").c_str(), 0700);
        ::setenv("HOME", path("home").c_str(), 1);
        ::setenv("VELMOR_HOME", path("app").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", path("config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", path("data").c_str(), 1);
        // The recorder's command socket lives here, apart from a recorder the user runs.
        ::setenv("XDG_RUNTIME_DIR", path("run").c_str(), 1);
    }

    // The folder tree shows the temporary folder's other entries, which belong
    // to whoever else uses it: they stay out of the picture.
    void hideNeighbours(QTreeView& tree, const QFileSystemModel& model) const
    {
        const QString root = QString::fromStdString(root_);
        const QModelIndex parent = model.index(QString::fromStdString(fs::path(root_).parent_path().string()));
        for (int row = 0; row < model.rowCount(parent); ++row)
            if (model.filePath(model.index(row, 0, parent)) != root) tree.setRowHidden(row, parent, true);
    }

private:
    std::string root_;
};

// The player's own messages, printed: nobody is there to read a message box.
class PrintedPlayerMessages final : public recorder::PlayerMessages {
public:
    void message(const std::string& text, const std::string& title, recorder::PlayerMessageIcon) override
    {
        std::cerr << "manual_screenshots: " << title << ": " << text << "\n";
    }
};

// Lets timers, layouts and repaints run for a while.
void settle(int ms = 150)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class Camera {
public:
    explicit Camera(std::string folder) : folder_(std::move(folder)) {}

    void shoot(QWidget& window, const std::string& name)
    {
        window.show();
        window.raise();
        settle();
        const std::string file = folder_ + "/" + name + ".png";
        // Quality 0 is the PNG writer's strongest compression.
        if (!window.grab().toImage().save(QString::fromStdString(file), "PNG", 0)) {
            std::cerr << "manual_screenshots: could not write " << file << "\n";
            ++failures_;
        } else {
            std::cout << file << "\n";
        }
        window.hide();
    }
    int failures() const { return failures_; }

private:
    std::string folder_;
    int failures_ = 0;
};

// Two short recordings of whatever the first device hears, so the list shows
// real rows; without a device the list stays empty.
void recordSamples(recorder::Form1& form)
{
    if (form.DeviceCombo->count() == 0) {
        std::cerr << "manual_screenshots: no capture device (no sound server?): the recordings list stays empty\n";
        return;
    }
    // The sound server's microphone rather than a monitor of an output, where there is one.
    if (const int microphone = form.DeviceCombo->findText("Microphone"); microphone >= 0) {
        form.DeviceCombo->setCurrentIndex(microphone);
        emit form.DeviceCombo->activated(microphone);
    }
    for (const char* format : {"WAV", "MP3"}) {
        form.cboEncoders->setCurrentIndex(form.cboEncoders->findText(format));
        form.StartRecord();
        settle(2300);
        form.StopRecord();
    }
}

void shootFormatDialogs(Camera& camera, recorder::Form1& form, recorder::UserPrompts& prompts)
{
    using namespace recorder;
    if (!form.AAC) form.AAC = std::make_shared<AudioFormatSettings>();
    FormatComponents components;
    components.capture = form.AudioRecord.get();
    components.file = form.AudioFile.get();
    components.aac = form.AAC.get();
    components.mp3 = form.MP3Lame.get();
    components.prompts = &prompts;

    Form2 settings(components, &form);
    camera.shoot(settings, "format-settings");
    AudioFile& file = *form.AudioFile;
    {
        frmMP3 d(*form.MP3Lame, file, nullptr, &prompts, &settings);
        const char* pages[] = {"format-mp3", "format-mp3-filtering", "format-mp3-vbr", "format-mp3-expert"};
        for (int i = 0; i < d.SSTab1->count(); ++i) {
            d.SSTab1->setCurrentIndex(i);
            camera.shoot(d, pages[i]);
        }
    }
    { frmWAV d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-wav"); }
    { frmVOX d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-vox"); }
    { frmG721 d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-g721"); }
    { frmG723 d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-g723"); }
    { frmG726 d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-g726"); }
    { frmG729 d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-g729"); }
    { frmOgg d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-ogg"); }
    { frmAC3 d(file, nullptr, &prompts, &settings); camera.shoot(d, "format-ac3"); }
    { frmAAC d(*form.AAC, file, nullptr, &prompts, &settings); camera.shoot(d, "format-aac"); }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: manual_screenshots <images folder>\n";
        return 2;
    }
    const std::string images = fs::absolute(argv[1]).lexically_normal().string();
    std::error_code ec;
    fs::create_directories(images, ec);
    if (!fs::is_directory(images)) {
        std::cerr << "manual_screenshots: " << images << " is not a folder that can be written\n";
        return 1;
    }
    FreshHome home;
    if (!home.ok()) {
        std::cerr << "manual_screenshots: no temporary folder could be made in /tmp\n";
        return 1;
    }
    home.enter();

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(recorder::kApplicationTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    recorder::ApartmentPump pump;

    // The fresh application folder's registry names the libraries built with this tool.
    std::string why;
    for (const char* library : {CAPTURE_LIBRARY, TAG_LIBRARY})
        if (com::registerServerLibrary(library, false, &why) != S_OK)
            std::cerr << "manual_screenshots: " << library << " could not be registered: " << why << "\n";

    const std::string music = home.path("home/Music");
    const auto songs = screenshots::makeSampleSongs(music);
    screenshots::writeSampleSchedule();
    recorder::SaveSetting("quorvale", "Settings", "folder", music);

    recorder::ScriptedPrompts prompts; // every question gets its default answer
    recorder::ScriptedLauncher launcher; // nothing outside is started
    recorder::ScriptedHotkeys hotkeys;   // no global keys are taken
    Camera camera(images);
    {
        recorder::Form1 form(prompts, &launcher, &hotkeys);
        form.show();
        settle();
        recordSamples(form);
        camera.shoot(form, "main-window");
        form.show();

        { recorder::Form4 d(prompts, &form); camera.shoot(d, "output-files"); }
        shootFormatDialogs(camera, form, prompts);

        if (recorder::Form5* schedule = form.schedule()) camera.shoot(*schedule, "schedule");
        { recorder::Form6 d(prompts, recorder::systemScheduleClock(), &form); camera.shoot(d, "scheduler"); }
        {
            PrintedPlayerMessages messages;
            recorder::Frmid3v editor(prompts, messages, &form);
            editor.show();
            settle(500);
            if (QTreeWidgetItem* first = editor.lvw->topLevelItem(0)) editor.lvw->setCurrentItem(first);
            home.hideNeighbours(*editor.ftv, *editor.ftvModel);
            camera.shoot(editor, "tag-editor");
        }
        {
            recorder::MPlay3 player(prompts, &form);
            for (const auto& song : songs) player.addFile(song);
            // The file panel and the playlist, which start folded away.
            player.imgFileBar_Click();
            player.imgListBar_Click();
            camera.shoot(player, "audio-player");
        }
    }
    for (const auto& m : prompts.messages) std::cerr << "manual_screenshots: the program said: " << m.text << "\n";
    return camera.failures() == 0 ? 0 : 1;
}
