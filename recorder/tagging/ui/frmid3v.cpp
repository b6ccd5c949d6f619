#include "recorder/tagging/ui/frmid3v.h"

#include "recorder/widgets/skin.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/fileutil/cls_file.h"
#include "recorder/fileutil/filter_key.h"
#include "recorder/player/clsFMOD.h"
#include "recorder/settings/user_settings.h"
#include "recorder/tagging/clsID3v1.h"
#include "recorder/tagging/editor/common_tag_fields.h"
#include "recorder/tagging/editor/grab_title.h"
#include "recorder/tagging/editor/tag_folder_scan.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace recorder {

namespace {

constexpr const char* kSettingsApp = "quorvale";
constexpr const char* kSettingsSection = "Settings";
// Twips to pixels at the 96-dpi scale the stored widths were taken at.
constexpr int kTwipsPerPixel = 15;
constexpr int kMinTreeTwips = 2500;
constexpr int kMinRightTwips = 5500;
constexpr int kPathRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;

const char* const kV1Labels[tagfield::kV1Count] = {"Track #:", "Title:", "Artist:", "Album:", "Year:", "Comments:"};
const char* const kV2Labels[tagfield::kV2Count] = {"Track #:", "Title:",        "Artist:",    "Album:",
                                                    "Year:",    "Comments:",     "Composer:",  "Orig. Artist:",
                                                    "Copyright:", "URL:",        "Encoded by:"};

// "hip-hop" shows as "Hip-hop": the first letter of every word upper case.
QString properCase(const std::string& name)
{
    QString text = QString::fromStdString(name).toLower();
    bool start = true;
    for (QChar& c : text) {
        if (start && c.isLetter()) c = c.toUpper();
        start = c.isSpace();
    }
    return text;
}

QStringList genreList()
{
    QStringList names;
    clsID3v1 tags;
    for (int n = 0; n < 256; ++n) {
        const std::string name = tags.ReturnGenre(static_cast<std::uint8_t>(n));
        if (name.empty()) break;
        names << properCase(name);
    }
    return names;
}

// The list reads tags through the window's stream player.
class PlayerTagReader final : public StreamTagReader {
public:
    explicit PlayerTagReader(clsFMOD& player) : player_(player) {}
    std::int32_t GetStreamOpenFile(const std::string& path, bool vbr) override { return player_.GetStreamOpenFile(path, vbr); }
    std::string GetStreamTag(std::int32_t handle, int eTag, const std::string& name) override
    {
        return player_.GetStreamTag(handle, eTag, name);
    }
    void GetStreamCloseFile(std::int32_t handle) override { player_.GetStreamCloseFile(handle); }

private:
    clsFMOD& player_;
};

int settingNumber(const char* key, int fallback)
{
    bool ok = false;
    const int value = QString::fromStdString(GetSetting(kSettingsApp, kSettingsSection, key)).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

Frmid3v::Frmid3v(UserPrompts& prompts, PlayerMessages& playerMessages, QWidget* parent)
    : QDialog(parent), prompts_(prompts), player_(std::make_unique<clsFMOD>(&playerMessages))
{
    setObjectName("Frmid3v");
    setWindowTitle("ID3 Editor");
    buildWindow();
    Form_Load();
}

Frmid3v::~Frmid3v() = default;

void Frmid3v::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    p = new QSplitter(Qt::Horizontal, this);
    p->setObjectName("p");
    p->setChildrenCollapsible(false);
    layout->addWidget(p);

    ftvModel = new QFileSystemModel(this);
    ftvModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    ftvModel->setRootPath("/");
    ftv = new QTreeView(p);
    ftv->setObjectName("ftv");
    ftv->setModel(ftvModel);
    for (int c = 1; c < ftvModel->columnCount(); ++c) ftv->hideColumn(c);
    ftv->setHeaderHidden(true);
    ftv->setMinimumWidth(kMinTreeTwips / kTwipsPerPixel);
    connect(ftv->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        if (index.isValid()) UpdateFolder(ftvModel->filePath(index).toStdString());
    });

    auto* right = new QWidget(p);
    right->setMinimumWidth(kMinRightTwips / kTwipsPerPixel);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);

    lvw = new QTreeWidget(right);
    lvw->setObjectName("lvw");
    lvw->setHeaderLabels({"Filename", "Tags", "Size", "Date"});
    lvw->setRootIsDecorated(false);
    lvw->setContextMenuPolicy(Qt::CustomContextMenu);
    rightLayout->addWidget(lvw, 1);
    connect(lvw, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !loading_) RefreshItem(item->data(0, kIndexRole).toInt());
    });
    connect(lvw, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0 && !loading_) RefreshItem(item->data(0, kIndexRole).toInt());
    });

    tabs = new QTabWidget(right);
    tabs->setObjectName("tabs");
    frm[0] = buildTagFrame(0, txtv1, kV1Labels);
    frm[1] = buildTagFrame(1, txtv2, kV2Labels);
    connect(chkv1, &QCheckBox::toggled, this, &Frmid3v::setV1Enabled);
    connect(chkv2, &QCheckBox::toggled, this, &Frmid3v::setV2Enabled);
    txtv1[tagfield::kTrack]->installEventFilter(this);
    connect(txtv1[tagfield::kTrack], &QLineEdit::textEdited, this, &Frmid3v::clampTrack);
    // The ID3v2 genre is free text; the list offers the known names.
    cmbv2->setEditable(true);
    cmbv2->setInsertPolicy(QComboBox::NoInsert);
    tabs->addTab(frm[0], "ID3v1");
    tabs->addTab(frm[1], "ID3v2");
    rightLayout->addWidget(tabs);

    auto* options = new QGroupBox("Multiple file options", right);
    auto* optionsLayout = new QVBoxLayout(options);
    const char* const optionTexts[3] = {"&Empty fields keep original value.", "&Add track number from file index.",
                                        "&Grab title from filename."};
    for (int i = 0; i < 3; ++i) {
        chkOpt[i] = new QCheckBox(optionTexts[i], options);
        chkOpt[i]->setObjectName(QString("chkOpt_%1").arg(i));
        optionsLayout->addWidget(chkOpt[i]);
        connect(chkOpt[i], &QCheckBox::toggled, this, [this, i](bool on) {
            if (loading_) return;
            SaveSetting(kSettingsApp, kSettingsSection, "opt" + std::to_string(i), on ? "1" : "0");
            if (i == 2) updateTitleLabel();
        });
    }
    lblTitle = new QLabel(options);
    lblTitle->setObjectName("lblTitle");
    lblTitle->setWordWrap(true);
    optionsLayout->addWidget(lblTitle);
    rightLayout->addWidget(options);

    prb = new QProgressBar(right);
    prb->setObjectName("prb");
    prb->hide();
    rightLayout->addWidget(prb);

    tmr = new QTimer(this);
    tmr->setObjectName("tmr");
    tmr->setInterval(500);
    // The preview has ended when the player holds no stream any more.
    connect(tmr, &QTimer::timeout, this, [this] {
        if (!player_->StreamIsLoaded()) tmr->stop();
    });

    buildMenus();
    connect(lvw, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { selectMenu->popup(lvw->viewport()->mapToGlobal(at)); });
    resize(900, 640);
}

QWidget* Frmid3v::buildTagFrame(int version, std::span<QLineEdit*> boxes, const char* const* labels)
{
    const QString v = QString::number(version + 1);
    auto* frame = new QWidget;
    frame->setObjectName(QString("frm_%1").arg(version));
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(buildToolbar(version));
    auto* check = new QCheckBox("&ID3v" + v + " tag", frame);
    check->setObjectName("chkv" + v);
    layout->addWidget(check);
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i] = new QLineEdit(frame);
        boxes[i]->setObjectName(QString("txtv%1_%2").arg(v).arg(i));
        form->addRow(labels[i], boxes[i]);
    }
    auto* genre = new QComboBox(frame);
    genre->setObjectName("cmbv" + v);
    genre->addItems(genreList());
    form->addRow("Genre:", genre);
    layout->addLayout(form);
    layout->addStretch();
    (version == 0 ? chkv1 : chkv2) = check;
    (version == 0 ? cmbv1 : cmbv2) = genre;
    return frame;
}

QToolBar* Frmid3v::buildToolbar(int version)
{
    auto* bar = new QToolBar(QString("tbr_%1").arg(version));
    toolbars_[std::size_t(version)] = bar;
    bar->setObjectName(QString("tbr_%1").arg(version));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto& buttons = tbr[std::size_t(version)];
    buttons[1] = bar->addAction("Revert", this, [this] { RefreshItem(highlightedIndex()); });
    buttons[2] = bar->addAction("Save", this, &Frmid3v::SaveItems);
    bar->addSeparator();
    if (version == 0) {
        buttons[4] = bar->addAction("Copy from ID3v2", this, &Frmid3v::CopyToID3v1);
        buttons[5] = bar->addAction("Copy to ID3v2", this, &Frmid3v::CopyToID3v2);
    } else {
        buttons[4] = bar->addAction("Copy to ID3v1", this, &Frmid3v::CopyToID3v1);
        buttons[5] = bar->addAction("Copy from ID3v1", this, &Frmid3v::CopyToID3v2);
    }
    bar->addSeparator();
    buttons[7] = bar->addAction("Playback");
    return bar;
}

void Frmid3v::buildMenus()
{
    selectMenu = new QMenu("Select", this);
    menSelect[0] = selectMenu->addAction("Select &All", this, [this] { SelectAll(true); });
    menSelect[1] = selectMenu->addAction("Select &None", this, [this] { SelectAll(false); });

    playbackMenu = new QMenu("Playback", this);
    menPlayback[0] = playbackMenu->addAction("&Play", this, [this] {
        const int index = highlightedIndex();
        if (index >= 0) Playback(records_[std::size_t(index)].path);
    });
    menPlayback[1] = playbackMenu->addAction("P&ause/Unpause", this, [this] { Playback("pause"); });
    menPlayback[2] = playbackMenu->addAction("&Stop", this, [this] { Playback(""); });
    menPlayback[3] = playbackMenu->addAction("&Forward 5 sec.", this, [this] { Playback("forward"); });
    menPlayback[4] = playbackMenu->addAction("&Back 5 sec.", this, [this] { Playback("back"); });
    menJump = playbackMenu->addAction("&Jump to middle of song", this, [this] { Playback("jump"); });
    // The "Playback" buttons drop the menu down under themselves.
    for (int version = 0; version < 2; ++version) {
        QAction* button = tbr[std::size_t(version)][7];
        button->setMenu(playbackMenu);
        if (auto* tool = qobject_cast<QToolButton*>(toolbars_[std::size_t(version)]->widgetForAction(button)))
            tool->setPopupMode(QToolButton::InstantPopup);
    }
}

void Frmid3v::Form_Load()
{
    applySkin(this);
    loading_ = true;
    chkOpt[0]->setChecked(settingNumber("opt0", 1) != 0);
    chkOpt[1]->setChecked(settingNumber("opt1", 0) != 0);
    chkOpt[2]->setChecked(settingNumber("opt2", 0) != 0);
    loading_ = false;
    const int treeWidth = std::max(settingNumber("folderwidth", 3600), kMinTreeTwips) / kTwipsPerPixel;
    p->setSizes({treeWidth, std::max(width() - treeWidth, kMinRightTwips / kTwipsPerPixel)});
    playerReady_ = player_->Init(44100, 2);
    for (auto& buttons : tbr) buttons[7]->setEnabled(playerReady_);

    const std::string folder = GetSetting(kSettingsApp, kSettingsSection, "folder");
    std::error_code ec;
    if (!folder.empty() && std::filesystem::is_directory(folder, ec)) {
        const QModelIndex index = ftvModel->index(QString::fromStdString(folder));
        ftv->setCurrentIndex(index); // lists it
        ftv->scrollTo(index);
        if (folder_ != folder) UpdateFolder(folder);
    }
}

void Frmid3v::UpdateFolder(const std::string& folder)
{
    if (scanning_) return; // a scan is running
    scanning_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    folder_ = folder;
    loading_ = true;
    lvw->clear();
    records_.clear();
    prb->setValue(0);
    prb->show();
    PlayerTagReader reader(*player_);
    records_ = scanTagFolder(reader, folder, [this](std::size_t done, std::size_t total) {
        prb->setMaximum(int(total));
        prb->setValue(int(done));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    for (std::size_t i = 0; i < records_.size(); ++i) {
        auto* item = new QTreeWidgetItem(lvw);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, kIndexRole, int(i));
        refreshRow(item);
    }
    loading_ = false;
    prb->hide();
    if (!records_.empty()) {
        sizeColumns();
        lvw->setCurrentItem(lvw->topLevelItem(0));
    }
    QApplication::restoreOverrideCursor();
    scanning_ = false;
    RefreshItem(highlightedIndex());
}

void Frmid3v::refreshRow(QTreeWidgetItem* item)
{
    const TagFileRecord& record = records_[std::size_t(item->data(0, kIndexRole).toInt())];
    const clsFile file(record.path);
    item->setText(0, QString::fromStdString(file.sNameAndExtension()));
    item->setText(1, QString::fromStdString(tagsColumnText(record)));
    item->setText(2, QString::fromStdString(sizeColumnText(file.lSize())));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(3, QString::fromStdString(dateColumnText(file.dLastWriteTime())));
}

void Frmid3v::sizeColumns()
{
    for (int c = 0; c < 4; ++c) {
        lvw->resizeColumnToContents(c);
        lvw->setColumnWidth(c, lvw->columnWidth(c) + (c == 0 ? 480 : 240) / kTwipsPerPixel);
    }
}

int Frmid3v::highlightedIndex() const
{
    const QTreeWidgetItem* item = lvw->currentItem();
    return item ? item->data(0, kIndexRole).toInt() : -1;
}

std::vector<int> Frmid3v::checkedIndexes() const
{
    std::vector<int> checked;
    for (int row = 0; row < lvw->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = lvw->topLevelItem(row);
        if (item->checkState(0) == Qt::Checked) checked.push_back(item->data(0, kIndexRole).toInt());
    }
    return checked;
}

void Frmid3v::setV1Enabled(bool on)
{
    for (QLineEdit* box : txtv1) box->setEnabled(on);
    cmbv1->setEnabled(on);
}

void Frmid3v::setV2Enabled(bool on)
{
    for (QLineEdit* box : txtv2) box->setEnabled(on);
    cmbv2->setEnabled(on);
}

void Frmid3v::showRecord(const TagFileRecord& record)
{
    // A version the file lacks shows empty fields, disabled: nothing of the
    // file shown before may be saved into this one.
    for (int i = 0; i < tagfield::kV1Count; ++i)
        txtv1[i]->setText(record.hasV1 ? QString::fromStdString(record.v1[i]) : QString());
    cmbv1->setCurrentIndex(record.hasV1 && record.v1Genre < cmbv1->count() ? record.v1Genre : -1);
    for (int i = 0; i < tagfield::kV2Count; ++i)
        txtv2[i]->setText(record.hasV2 ? QString::fromStdString(record.v2[i]) : QString());
    if (record.hasV2) cmbv2->setCurrentText(QString::fromStdString(record.v2Genre));
    else {
        cmbv2->setCurrentIndex(-1);
        cmbv2->setEditText(QString());
    }
    chkv1->setChecked(record.hasV1);
    chkv2->setChecked(record.hasV2);
    setV1Enabled(record.hasV1);
    setV2Enabled(record.hasV2);
}

void Frmid3v::showCommon()
{
    std::vector<const TagFileRecord*> checked;
    for (int index : checkedIndexes()) checked.push_back(&records_[std::size_t(index)]);
    const CommonTagFields common = commonTagFields(checked);
    TagFileRecord shown = common.fields;
    shown.hasV1 = common.anyV1;
    shown.hasV2 = common.anyV2;
    showRecord(shown);
    if (common.anyV1 && common.fields.v1Genre < 0) cmbv1->setCurrentIndex(-1);
}

void Frmid3v::RefreshItem(int index)
{
    if (checkedIndexes().size() >= 2) showCommon();
    else if (index >= 0 && std::size_t(index) < records_.size()) showRecord(records_[std::size_t(index)]);
    updateTitleLabel();
}

void Frmid3v::updateTitleLabel()
{
    const int index = highlightedIndex();
    if (chkOpt[2]->isChecked() && index >= 0)
        lblTitle->setText("Grabbed title for selected mp3: \n" +
                          QString::fromStdString(GrabTitle(records_[std::size_t(index)].path)));
    else
        lblTitle->clear();
}

TagEdits Frmid3v::currentEdits() const
{
    TagEdits edits;
    edits.v1On = chkv1->isChecked();
    for (int i = 0; i < tagfield::kV1Count; ++i) edits.v1[i] = txtv1[i]->text().toStdString();
    edits.v1Genre = cmbv1->currentIndex();
    edits.v2On = chkv2->isChecked();
    for (int i = 0; i < tagfield::kV2Count; ++i) edits.v2[i] = txtv2[i]->text().toStdString();
    edits.v2Genre = cmbv2->currentText().toStdString();
    return edits;
}

BatchOptions Frmid3v::currentOptions() const
{
    return {chkOpt[0]->isChecked(), chkOpt[1]->isChecked(), chkOpt[2]->isChecked()};
}

void Frmid3v::SaveItems()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (playerReady_) Playback("");
    const std::vector<int> checked = checkedIndexes();
    std::vector<TagSaveFailure> failures;
    if (checked.size() <= 1) {
        const int index = checked.empty() ? highlightedIndex() : checked.front();
        if (index >= 0) failures = saveTagFile(records_[std::size_t(index)], currentEdits());
    } else {
        std::vector<TagFileRecord*> batch;
        for (int index : checked) batch.push_back(&records_[std::size_t(index)]);
        prb->setMaximum(int(batch.size()));
        prb->setValue(0);
        prb->show();
        failures = saveTagBatch(batch, currentEdits(), currentOptions(), [this](std::size_t done, std::size_t) {
            prb->setValue(int(done));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        prb->hide();
    }
    loading_ = true;
    for (int row = 0; row < lvw->topLevelItemCount(); ++row) refreshRow(lvw->topLevelItem(row));
    loading_ = false;
    QApplication::restoreOverrideCursor();
    if (!failures.empty()) prompts_.message(this, tagSaveFailureText(failures), MessageIcon::Exclamation);
}

void Frmid3v::CopyToID3v1()
{
    chkv1->setChecked(true);
    setV1Enabled(true);
    for (int i = 0; i < tagfield::kV1Count; ++i) txtv1[i]->setText(txtv2[i]->text());
    cmbv1->setCurrentIndex(cmbv2->findText(cmbv2->currentText(), Qt::MatchFixedString));
}

void Frmid3v::CopyToID3v2()
{
    chkv2->setChecked(true);
    setV2Enabled(true);
    for (int i = 0; i < tagfield::kV1Count; ++i) txtv2[i]->setText(txtv1[i]->text());
    cmbv2->setCurrentIndex(cmbv1->currentIndex());
    if (cmbv1->currentIndex() < 0) cmbv2->setCurrentText("");
}

void Frmid3v::SelectAll(bool checked)
{
    loading_ = true;
    for (int row = 0; row < lvw->topLevelItemCount(); ++row)
        lvw->topLevelItem(row)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    loading_ = false;
    RefreshItem(highlightedIndex());
}

void Frmid3v::Playback(const std::string& command)
{
    if (!playerReady_) return;
    if (command == "pause") {
        if (player_->StreamIsLoaded()) player_->StreamPausePlay();
    } else if (command == "forward") {
        player_->StreamSongPos(player_->StreamSongPos() + 5000);
    } else if (command == "back") {
        player_->StreamSongPos(std::max<std::int32_t>(player_->StreamSongPos() - 5000, 0));
    } else if (command == "jump") {
        player_->StreamSongPos(player_->StreamSongLen() / 2);
    } else {
        player_->StreamUnload();
        tmr->stop();
        if (!command.empty()) {
            player_->StreamPlay(command, true, 255);
            tmr->start();
        }
    }
}

void Frmid3v::clampTrack()
{
    QLineEdit* box = txtv1[tagfield::kTrack];
    if (box->text().isEmpty()) return;
    const long value = leadingNumber(box->text().toStdString());
    if (value < 0) box->setText("0");
    else if (value > 255) box->setText("255");
}

bool Frmid3v::eventFilter(QObject* watched, QEvent* event)
{
    // The ID3v1 track box takes digits only; editing and moving keys pass.
    if (watched == txtv1[tagfield::kTrack] && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127 &&
            FilterKey(text[0].unicode(), keyfilter::kDigitsOnly) == 0)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Frmid3v::Form_Unload()
{
    SaveSetting(kSettingsApp, kSettingsSection, "folderwidth", std::to_string(p->sizes().value(0) * kTwipsPerPixel));
    SaveSetting(kSettingsApp, kSettingsSection, "folder", folder_);
    for (int i = 0; i < 3; ++i)
        SaveSetting(kSettingsApp, kSettingsSection, "opt" + std::to_string(i), chkOpt[i]->isChecked() ? "1" : "0");
    if (playerReady_) Playback("");
}

void Frmid3v::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

} // namespace recorder
