#pragma once
// "ID3 Editor": the MP3 files of one folder with their tags; edits one file
// or a batch of checked files, copies fields between the tag versions and
// previews a file. The logic lives in recorder/tagging/editor; this window
// shows it.

#include "recorder/tagging/editor/tag_file_record.h"
#include "recorder/tagging/editor/tag_save.h"

#include <QDialog>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace recorder {

class PlayerMessages;
class UserPrompts;
class clsFMOD;

class Frmid3v : public QDialog {
    Q_OBJECT
public:
    // The window's stream player, made at load and kept until the window goes,
    // reads the tags and plays previews; its messages go to `playerMessages`.
    Frmid3v(UserPrompts& prompts, PlayerMessages& playerMessages, QWidget* parent = nullptr);
    ~Frmid3v() override;

    QTreeView* ftv;
    QFileSystemModel* ftvModel;
    QSplitter* p;
    QTreeWidget* lvw;
    QTabWidget* tabs;
    std::array<QWidget*, 2> frm{};
    QCheckBox* chkv1;
    std::array<QLineEdit*, tagfield::kV1Count> txtv1{};
    QComboBox* cmbv1;
    QCheckBox* chkv2;
    std::array<QLineEdit*, tagfield::kV2Count> txtv2{};
    QComboBox* cmbv2;
    // Toolbar buttons by index (1 Revert, 2 Save, 4 and 5 copy, 7 Playback); 0, 3 and 6 are null.
    std::array<std::array<QAction*, 8>, 2> tbr{};
    std::array<QCheckBox*, 3> chkOpt{};
    QLabel* lblTitle;
    QProgressBar* prb;
    QTimer* tmr;
    QMenu* selectMenu;
    std::array<QAction*, 2> menSelect{};
    QMenu* playbackMenu;
    std::array<QAction*, 5> menPlayback{};
    QAction* menJump;

    void UpdateFolder(const std::string& folder);
    // Shows the fields of row `index` (into records()), or those the checked rows share.
    void RefreshItem(int index);
    void SaveItems();
    // "pause", "forward", "back", "jump", a path to play, or "" to stop.
    void Playback(const std::string& command);
    // Toolbar button 4 (into ID3v1) and 5 (into ID3v2).
    void CopyToID3v1();
    void CopyToID3v2();
    void SelectAll(bool checked);

    const std::vector<TagFileRecord>& records() const { return records_; }
    const std::string& folder() const { return folder_; }
    bool previewsEnabled() const { return playerReady_; }
    clsFMOD& player() { return *player_; }

    // Closing in any way saves the settings and stops the preview.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    // One version's frame: toolbar, check box, text boxes and genre box.
    QWidget* buildTagFrame(int version, std::span<QLineEdit*> boxes, const char* const* labels);
    QToolBar* buildToolbar(int version);
    void buildMenus();
    void Form_Load();
    void Form_Unload();
    void setV1Enabled(bool on);
    void setV2Enabled(bool on);
    void showRecord(const TagFileRecord& record);
    void showCommon();
    void refreshRow(QTreeWidgetItem* item);
    void updateTitleLabel();
    void sizeColumns();
    int highlightedIndex() const;
    std::vector<int> checkedIndexes() const;
    TagEdits currentEdits() const;
    BatchOptions currentOptions() const;
    void clampTrack();

    std::array<QToolBar*, 2> toolbars_{};
    UserPrompts& prompts_;
    std::unique_ptr<clsFMOD> player_;
    bool playerReady_ = false;
    bool scanning_ = false;
    bool loading_ = false; // filling the list: check changes are not the user's
    std::string folder_;
    std::vector<TagFileRecord> records_;
};

} // namespace recorder
