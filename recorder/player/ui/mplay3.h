#pragma once
// "Audio Player": a small player of audio files, audio CDs and playlists over
// the media-player stand-in. The playlist's rules and the time, knob and
// volume arithmetic live in recorder/player; this window shows them and routes
// the commands.
//
// A file that cannot be played is marked in the list and playback moves on as
// if it had ended; a CD that cannot be read (no drive, no disc) is said in a
// message. Entries of a loaded playlist whose files are gone are kept and
// shown as missing.

#include "recorder/player/audio_player_list.h"
#include "recorder/player/media_player.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QSlider;
class QTimer;
class QToolButton;

namespace recorder {

class UserPrompts;

class MPlay3 : public QDialog {
    Q_OBJECT
public:
    explicit MPlay3(UserPrompts& prompts, QWidget* parent = nullptr);
    ~MPlay3() override;

    // The commands' images (buttons drawn by the program).
    QToolButton* imgPlay;     // open / play
    QToolButton* imgOpen;     // open without CD tracks
    QToolButton* imgPause;
    QToolButton* imgStop;
    QToolButton* imgPrev;
    QToolButton* imgNext;
    QToolButton* imgShuffle;
    QToolButton* imgFileBar;  // shows or hides the file panel
    QToolButton* imgListBar;  // shows or hides the list panel
    QToolButton* imgVolUp;    // held: louder
    QToolButton* imgVolDown;  // held: quieter
    QToolButton* imgMinimize;
    QToolButton* imgClose;
    QToolButton* imgAudioCd;  // the tracks of the first drive's disc
    QToolButton* imgLoadList;
    QToolButton* imgSaveList;
    QLabel* imgShuffleOn;     // shown while shuffle is on

    QFrame* picDisplay;       // the area Label24 scrolls across
    QLabel* Label24;
    QLabel* Labelpause;       // "Pause" or "Resume"
    QFrame* picTop;           // the top picture with the large time
    QLabel* toptime;
    QLabel* Label20;
    QLabel* lblLength;        // the entry's length
    QLabel* VolumInd;         // "Max" / "Min" while a volume image is held
    std::array<QFrame*, 6> LVol{};
    QSlider* islider;         // position knob, twips
    QSlider* balance;         // balance knob, twips
    QFrame* picFile;          // the file panel
    QFrame* picList;          // the list panel
    QListWidget* List1;       // full paths (not shown)
    QListWidget* lstfavs;     // display names
    QMenu* mnuList;           // the playlist's pop-up menu
    QTimer* tmrTime;
    QTimer* tmrCaption;
    QTimer* tmrScroll;
    QTimer* tmrVolume;

    // Play mode: optres in order (on at load), optrnd shuffle; optnon stops at
    // the end of every entry.
    bool optrnd = false;
    bool optnon = false;

    MediaPlayer& player() { return player_; }
    const AudioPlayerList& playlist() const { return list_; }
    // The shuffle's pick; by default a generator seeded from the time of day.
    void setShufflePick(AudioPlayerList::Pick pick) { pick_ = std::move(pick); }

    // The commands.
    void imgPlay_Click();
    void imgOpen_Click();
    void imgPause_Click();
    void imgStop_Click();
    void imgNext_Click();
    void imgPrev_Click();
    void imgShuffle_Click();
    void imgFileBar_Click();
    void imgListBar_Click();
    void imgAudioCd_Click();
    void LoadPlaylist();
    void SavePlaylist();
    void lstfavs_DblClick(int row);
    // One tick of a held volume image.
    void tmrVolume_Timer();
    void startVolume(bool up);
    void stopVolume();
    // The knobs as the user leaves them.
    void islider_Release(int twips);
    void balance_Move(int twips);
    void balance_Release();
    // The end of the playing entry.
    void MediaPlayer1_EndOfStream();
    // The timers' ticks.
    void tmrTime_Timer();
    void tmrCaption_Timer();
    void tmrScroll_Timer();

    // Appends the file (or, for a CD image, its tracks); the first entry added, or nothing.
    std::optional<std::size_t> addFile(const std::string& path);
    // Plays entry `index`; on failure marks it and moves on.
    void playEntry(std::size_t index);

protected:
    void done(int result) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildDisplay();
    QWidget* buildControls();
    QWidget* buildKnobs();
    void buildFilePanel();
    void buildListPanel();
    void connectCommands();
    void Form_Load();
    void Form_Unload();

    void openAndPlay(const std::string& filter);
    std::size_t appendEntry(const std::string& path, double seconds = -1);
    void selectRow(std::size_t index);
    void markUnplayable(std::size_t index, const std::string& why);
    void showPlaying(const std::string& text);
    void showLevel();
    void stopAtStart();
    std::optional<std::size_t> addCdTracks(const std::string& source);
    double entrySeconds(std::size_t index);

    UserPrompts& prompts_;
    MediaPlayer player_;
    AudioPlayerList list_;
    std::vector<double> seconds_; // each entry's length where known, else -1
    AudioPlayerList::Pick pick_;
    std::string playing_;         // the playing entry's display name
    bool volumeUp_ = false;
    bool unloaded_ = false;
};

} // namespace recorder
