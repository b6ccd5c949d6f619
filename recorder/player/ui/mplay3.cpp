#include "recorder/player/ui/mplay3.h"

#include "recorder/widgets/skin.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/components/decoders/decoder.h"
#include "recorder/player/audio_player_display.h"
#include "recorder/player/cd_audio.h"
#include "recorder/player/playlist_m3u.h"
#include "recorder/settings/user_settings.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>

namespace recorder {

namespace {

constexpr const char* kSettingsApp = "velmor-sound-recorder";
constexpr const char* kSettingsSection = "Audio Player";
constexpr const char* kCaption = "Audio Player";
constexpr const char* kFirstText = "Click \"play\" button to open an audio file";
constexpr const char* kClassicPlayExtensions =
    "*.mp3 *.cda *.wma *.wav *.asf *.asx *.lsf *.lsx *.mid *.midi *.rmi *.aif *.aifc *.aiff *.au *.snd";
constexpr const char* kClassicOpenExtensions =
    "*.mp3 *.wav *.wma *.asf *.asx *.lsf *.lsx *.mid *.midi *.rmi *.aif *.aifc *.aiff *.au *.snd";
// What the decoder reads beyond the classic list.
constexpr const char* kDecodedExtensions =
    "*.ogg *.oga *.opus *.flac *.aac *.m4a *.mp4 *.ac3 *.mp2 *.mka *.webm *.wv *.ape *.amr *.caf *.w64 *.vox";

// The first filter names everything the player plays; the classic lists follow.
std::string openFilter(const char* classic)
{
    return std::string("All Supported Formats(") + classic + " " + kDecodedExtensions + ");;Windows Media Formats(" +
           classic + ");;CD Images(*.cue *.bin *.toc *.nrg);;All Files(*)";
}
constexpr const char* kPlaylistFilter = "Playlist(*.M3u);;Playlist(*.m3u8)";
constexpr int kTwipsPerPixel = 15;
constexpr int kCollapsedTwips = 1725;
constexpr int kScrollTwips = 50;
constexpr int kBalanceCenter = (playerknobs::kBalanceLeft + playerknobs::kBalanceRight) / 2;

// A CD track entry names its drive or image; any other ".cda" file (a copied
// Windows track file, say) stands for the first drive's disc.
std::string playAddress(const std::string& path)
{
    if (!isCdAudioAddress(path) || path == kCdAudioAddress) return path;
    const auto slash = path.rfind('/');
    const std::string source = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (isCdImage(source) || source.rfind("/dev/", 0) == 0) return path;
    return kCdAudioAddress;
}

// Whether a loaded playlist's entry names a file that is no longer there.
bool isMissing(const std::string& path)
{
    if (path.empty() || path.front() != '/') return false; // an address: nothing to check
    std::error_code ec;
    if (isCdAudioAddress(path)) {
        const std::string source = path.substr(0, path.rfind('/'));
        if (source.rfind("/dev/", 0) == 0) return false; // the disc may be put in later
        return !std::filesystem::exists(source, ec);
    }
    return !std::filesystem::exists(path, ec);
}

QToolButton* commandButton(QWidget* parent, const char* name, const QString& tip, QStyle::StandardPixmap icon,
                           const QString& text = {})
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setIcon(parent->style()->standardIcon(icon));
    if (!text.isEmpty()) {
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

int settingTwips(const char* key, bool& ok)
{
    return QString::fromStdString(GetSetting(kSettingsApp, kSettingsSection, key)).toInt(&ok);
}

} // namespace

MPlay3::MPlay3(UserPrompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts)
{
    setObjectName("MPlay3");
    setWindowTitle(kCaption);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    pick_ = [generator = std::mt19937(static_cast<unsigned>(
                 std::chrono::system_clock::now().time_since_epoch().count()))](std::size_t n) mutable {
        return static_cast<std::size_t>(std::uniform_real_distribution<double>(0.0, 1.0)(generator) * static_cast<double>(n));
    };
    buildWindow();
    connectCommands();
    Form_Load();
}

MPlay3::~MPlay3()
{
    Form_Unload();
}

void MPlay3::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(buildDisplay());
    layout->addWidget(buildControls());
    layout->addWidget(buildKnobs());
    buildFilePanel();
    layout->addWidget(picFile);
    buildListPanel();
    layout->addWidget(picList, 1);

    tmrTime = new QTimer(this);
    tmrTime->setObjectName("tmrTime");
    tmrTime->setInterval(250);
    tmrCaption = new QTimer(this);
    tmrCaption->setObjectName("tmrCaption");
    tmrCaption->setInterval(500);
    tmrScroll = new QTimer(this);
    tmrScroll->setObjectName("tmrScroll");
    tmrScroll->setInterval(100);
    tmrVolume = new QTimer(this);
    tmrVolume->setObjectName("tmrVolume");
    tmrVolume->setInterval(100);
}

QWidget* MPlay3::buildDisplay()
{
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    picTop = new QFrame(box);
    picTop->setObjectName("picTop");
    auto* topRow = new QHBoxLayout(picTop);
    topRow->setContentsMargins(2, 0, 2, 0);
    toptime = new QLabel("00.00", picTop);
    toptime->setObjectName("toptime");
    QFont big = toptime->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    toptime->setFont(big);
    topRow->addWidget(toptime);
    topRow->addStretch();
    column->addWidget(picTop);

    picDisplay = new QFrame(box);
    picDisplay->setObjectName("picDisplay");
    picDisplay->setFrameShape(QFrame::StyledPanel);
    picDisplay->setFrameShadow(QFrame::Sunken);
    picDisplay->setMinimumWidth(playerknobs::kPositionTravel / kTwipsPerPixel);
    picDisplay->setFixedHeight(fontMetrics().height() + 6);
    Label24 = new QLabel(kFirstText, picDisplay); // moved by hand: it scrolls
    Label24->setObjectName("Label24");
    Label24->adjustSize();
    Label24->move(2, 3);
    column->addWidget(picDisplay);

    auto* timeRow = new QHBoxLayout;
    Label20 = new QLabel("00:00", box);
    Label20->setObjectName("Label20");
    lblLength = new QLabel("00:00", box);
    lblLength->setObjectName("lblLength");
    timeRow->addWidget(Label20);
    timeRow->addWidget(new QLabel("/", box));
    timeRow->addWidget(lblLength);
    timeRow->addStretch();
    imgShuffleOn = new QLabel("Shuffle", box);
    imgShuffleOn->setObjectName("imgShuffleOn");
    timeRow->addWidget(imgShuffleOn);
    column->addLayout(timeRow);
    return box;
}

QWidget* MPlay3::buildControls()
{
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    imgPrev = commandButton(box, "imgPrev", "Previous", QStyle::SP_MediaSkipBackward);
    imgPlay = commandButton(box, "imgPlay", "Play", QStyle::SP_MediaPlay);
    imgPause = commandButton(box, "imgPause", "Pause", QStyle::SP_MediaPause);
    Labelpause = new QLabel("Pause", box);
    Labelpause->setObjectName("Labelpause");
    imgStop = commandButton(box, "imgStop", "Stop", QStyle::SP_MediaStop);
    imgNext = commandButton(box, "imgNext", "Next", QStyle::SP_MediaSkipForward);
    imgOpen = commandButton(box, "imgOpen", "Open", QStyle::SP_DialogOpenButton);
    imgShuffle = commandButton(box, "imgShuffle", "Shuffle", QStyle::SP_BrowserReload);
    imgShuffle->setCheckable(true);
    imgFileBar = commandButton(box, "imgFileBar", "File panel", QStyle::SP_FileDialogDetailedView);
    imgFileBar->setCheckable(true);
    imgListBar = commandButton(box, "imgListBar", "Playlist", QStyle::SP_FileDialogListView);
    imgListBar->setCheckable(true);
    imgMinimize = commandButton(box, "imgMinimize", "Minimize", QStyle::SP_TitleBarMinButton);
    imgClose = commandButton(box, "imgClose", "Close", QStyle::SP_TitleBarCloseButton);
    for (QWidget* w : std::initializer_list<QWidget*>{imgPrev, imgPlay, imgPause, Labelpause, imgStop, imgNext, imgOpen,
                                                      imgShuffle})
        row->addWidget(w);
    row->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{imgFileBar, imgListBar, imgMinimize, imgClose}) row->addWidget(w);
    return box;
}

QWidget* MPlay3::buildKnobs()
{
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);

    islider = new QSlider(Qt::Horizontal, box);
    islider->setObjectName("islider");
    islider->setToolTip("Position");
    islider->setRange(playerknobs::kPositionLeft, playerknobs::kPositionLeft + playerknobs::kPositionTravel);
    islider->setPageStep(playerknobs::kPositionTravel / 10);
    column->addWidget(islider);

    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    imgVolDown = commandButton(box, "imgVolDown", "Volume down", QStyle::SP_ArrowDown, "-");
    imgVolUp = commandButton(box, "imgVolUp", "Volume up", QStyle::SP_ArrowUp, "+");
    imgVolDown->setToolButtonStyle(Qt::ToolButtonTextOnly);
    imgVolUp->setToolButtonStyle(Qt::ToolButtonTextOnly);
    row->addWidget(imgVolDown);
    for (std::size_t i = 0; i < LVol.size(); ++i) {
        auto* line = new QFrame(box);
        line->setObjectName(QString("LVol%1").arg(i + 1));
        line->setFixedSize(4, 6 + 2 * static_cast<int>(i));
        line->setAutoFillBackground(true);
        row->addWidget(line, 0, Qt::AlignBottom);
        LVol[i] = line;
    }
    row->addWidget(imgVolUp);
    VolumInd = new QLabel(box);
    VolumInd->setObjectName("VolumInd");
    VolumInd->setMinimumWidth(fontMetrics().horizontalAdvance("Max") + 4);
    row->addWidget(VolumInd);
    row->addStretch();
    row->addWidget(new QLabel("L", box));
    balance = new QSlider(Qt::Horizontal, box);
    balance->setObjectName("balance");
    balance->setToolTip("Balance");
    balance->setRange(playerknobs::kBalanceLeft, playerknobs::kBalanceRight);
    balance->setValue(kBalanceCenter);
    balance->setFixedWidth((playerknobs::kBalanceRight - playerknobs::kBalanceLeft) / kTwipsPerPixel + 24);
    row->addWidget(balance);
    row->addWidget(new QLabel("R", box));
    column->addLayout(row);
    return box;
}

void MPlay3::buildFilePanel()
{
    picFile = new QFrame(this);
    picFile->setObjectName("picFile");
    picFile->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(picFile);
    row->setContentsMargins(2, 2, 2, 2);
    imgAudioCd = commandButton(picFile, "imgAudioCd", "Play the tracks of the audio CD", QStyle::SP_DriveCDIcon, "Audio CD");
    imgLoadList = commandButton(picFile, "imgLoadList", "Load a playlist", QStyle::SP_DialogOpenButton, "Load Playlist");
    imgSaveList = commandButton(picFile, "imgSaveList", "Save the playlist", QStyle::SP_DialogSaveButton, "Save Playlist");
    for (auto* b : {imgAudioCd, imgLoadList, imgSaveList}) row->addWidget(b);
    row->addStretch();
}

void MPlay3::buildListPanel()
{
    picList = new QFrame(this);
    picList->setObjectName("picList");
    auto* column = new QVBoxLayout(picList);
    column->setContentsMargins(0, 0, 0, 0);
    lstfavs = new QListWidget(picList);
    lstfavs->setObjectName("lstfavs");
    lstfavs->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(lstfavs);
    List1 = new QListWidget(picList);
    List1->setObjectName("List1");
    List1->hide();

    mnuList = new QMenu(this);
    mnuList->setObjectName("mnuList");
    auto add = [this](const char* text, auto handler) {
        QAction* a = mnuList->addAction(text);
        a->setObjectName(text);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    add("Play", [this] {
        if (lstfavs->currentRow() >= 0) lstfavs_DblClick(lstfavs->currentRow());
    });
    add("Open...", [this] { imgOpen_Click(); });
    add("Audio CD", [this] { imgAudioCd_Click(); });
    mnuList->addSeparator();
    add("Load Playlist...", [this] { LoadPlaylist(); });
    add("Save Playlist...", [this] { SavePlaylist(); });
    mnuList->addSeparator();
    add("Shuffle", [this] { imgShuffle_Click(); });
}

void MPlay3::connectCommands()
{
    connect(imgPlay, &QToolButton::clicked, this, &MPlay3::imgPlay_Click);
    connect(imgOpen, &QToolButton::clicked, this, &MPlay3::imgOpen_Click);
    connect(imgPause, &QToolButton::clicked, this, &MPlay3::imgPause_Click);
    connect(imgStop, &QToolButton::clicked, this, &MPlay3::imgStop_Click);
    connect(imgNext, &QToolButton::clicked, this, &MPlay3::imgNext_Click);
    connect(imgPrev, &QToolButton::clicked, this, &MPlay3::imgPrev_Click);
    connect(imgShuffle, &QToolButton::clicked, this, &MPlay3::imgShuffle_Click);
    connect(imgFileBar, &QToolButton::clicked, this, &MPlay3::imgFileBar_Click);
    connect(imgListBar, &QToolButton::clicked, this, &MPlay3::imgListBar_Click);
    connect(imgAudioCd, &QToolButton::clicked, this, &MPlay3::imgAudioCd_Click);
    connect(imgLoadList, &QToolButton::clicked, this, &MPlay3::LoadPlaylist);
    connect(imgSaveList, &QToolButton::clicked, this, &MPlay3::SavePlaylist);
    connect(imgMinimize, &QToolButton::clicked, this, &QWidget::showMinimized);
    connect(imgClose, &QToolButton::clicked, this, &QDialog::reject);
    connect(imgVolUp, &QToolButton::pressed, this, [this] { startVolume(true); });
    connect(imgVolDown, &QToolButton::pressed, this, [this] { startVolume(false); });
    connect(imgVolUp, &QToolButton::released, this, &MPlay3::stopVolume);
    connect(imgVolDown, &QToolButton::released, this, &MPlay3::stopVolume);
    connect(tmrVolume, &QTimer::timeout, this, &MPlay3::tmrVolume_Timer);
    connect(tmrTime, &QTimer::timeout, this, &MPlay3::tmrTime_Timer);
    connect(tmrCaption, &QTimer::timeout, this, &MPlay3::tmrCaption_Timer);
    connect(tmrScroll, &QTimer::timeout, this, &MPlay3::tmrScroll_Timer);

    connect(islider, &QSlider::sliderReleased, this, [this] { islider_Release(islider->value()); });
    // A click on the groove moves the knob a page; it seeks as a release would.
    connect(islider, &QSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderPageStepAdd || action == QAbstractSlider::SliderPageStepSub)
            QTimer::singleShot(0, this, [this] { islider_Release(islider->value()); });
    });
    connect(balance, &QSlider::valueChanged, this, &MPlay3::balance_Move);
    connect(balance, &QSlider::sliderReleased, this, &MPlay3::balance_Release);

    connect(lstfavs, &QListWidget::currentRowChanged, this, [this](int row) {
        list_.select(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
        List1->setCurrentRow(row);
    });
    connect(lstfavs, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { lstfavs_DblClick(lstfavs->row(item)); });
    connect(lstfavs, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { mnuList->popup(lstfavs->viewport()->mapToGlobal(at)); });

    // The end comes inside the player's own call; the next entry is loaded after it returns.
    player_.EndOfStream = [this] {
        QMetaObject::invokeMethod(this, [this] { MediaPlayer1_EndOfStream(); }, Qt::QueuedConnection);
    };
}

void MPlay3::Form_Load()
{
    applySkin(this);
    picFile->hide();
    picList->hide();
    picTop->hide();
    imgShuffleOn->hide();
    showLevel();
    layout()->activate();
    resize(std::max(width(), minimumSizeHint().width()),
           std::max(kCollapsedTwips / kTwipsPerPixel, minimumSizeHint().height()));

    bool topOk = false, leftOk = false;
    const int top = settingTwips("MAINTOP", topOk);
    const int left = settingTwips("MAINLEFT", leftOk);
    if (topOk && leftOk) {
        const QPoint at(left / kTwipsPerPixel, top / kTwipsPerPixel);
        // A position on a screen no longer there would hide the window.
        if (QGuiApplication::screenAt(at) != nullptr) move(at);
    }
    tmrTime->start();
    tmrCaption->start();
    tmrScroll->start();
}

void MPlay3::Form_Unload()
{
    if (unloaded_) return;
    unloaded_ = true;
    for (QTimer* t : {tmrTime, tmrCaption, tmrScroll, tmrVolume}) t->stop();
    player_.EndOfStream = nullptr;
    player_.Stop();
    SaveSetting(kSettingsApp, kSettingsSection, "MAINTOP", std::to_string(pos().y() * kTwipsPerPixel));
    SaveSetting(kSettingsApp, kSettingsSection, "MAINLEFT", std::to_string(pos().x() * kTwipsPerPixel));
}

void MPlay3::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void MPlay3::mousePressEvent(QMouseEvent* event)
{
    // The window's free area drags it, as its caption would.
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        return;
    }
    QDialog::mousePressEvent(event);
}

std::size_t MPlay3::appendEntry(const std::string& path, double seconds)
{
    const std::size_t index = list_.append(path);
    seconds_.push_back(seconds);
    List1->addItem(QString::fromStdString(path));
    lstfavs->addItem(QString::fromStdString(list_.entries()[index].display));
    return index;
}

std::optional<std::size_t> MPlay3::addCdTracks(const std::string& source)
{
    std::string why;
    const auto tracks = cdTracks(source, why);
    if (tracks.empty()) {
        prompts_.message(this, why, MessageIcon::Exclamation);
        return std::nullopt;
    }
    std::optional<std::size_t> first;
    for (const CdTrackEntry& track : tracks) {
        const std::size_t index = appendEntry(track.path, track.seconds);
        if (!first) first = index;
    }
    return first;
}

std::optional<std::size_t> MPlay3::addFile(const std::string& path)
{
    if (isCdImage(path)) return addCdTracks(path);
    return appendEntry(path);
}

void MPlay3::selectRow(std::size_t index)
{
    list_.select(index);
    lstfavs->setCurrentRow(static_cast<int>(index));
    List1->setCurrentRow(static_cast<int>(index));
}

void MPlay3::markUnplayable(std::size_t index, const std::string& why)
{
    list_.markUnplayable(index, !why.empty());
    QListWidgetItem* item = lstfavs->item(static_cast<int>(index));
    const auto& entry = list_.entries()[index];
    QFont font = item->font();
    font.setItalic(!why.empty());
    item->setFont(font);
    item->setForeground(why.empty() ? palette().text() : palette().brush(QPalette::Disabled, QPalette::Text));
    item->setText(QString::fromStdString(why.empty() ? entry.display : entry.display + " (" + why + ")"));
    item->setToolTip(QString::fromStdString(why.empty() ? entry.path : entry.path + "\n" + why));
}

void MPlay3::showPlaying(const std::string& text)
{
    playing_ = text;
    Label24->setText(QString::fromStdString(text));
    Label24->adjustSize();
}

void MPlay3::showLevel()
{
    const int lit = litLevelLines(player_.Volume());
    for (std::size_t i = 0; i < LVol.size(); ++i) {
        const bool on = static_cast<int>(i) < lit;
        LVol[i]->setProperty("lit", on);
        QPalette p = LVol[i]->palette();
        p.setBrush(QPalette::Window, palette().brush(on ? QPalette::Highlight : QPalette::Mid));
        LVol[i]->setPalette(p);
    }
}

void MPlay3::stopAtStart()
{
    player_.Stop();
    player_.CurrentPosition(0);
    Labelpause->setText("Pause");
    tmrTime_Timer();
}

void MPlay3::playEntry(std::size_t index)
{
    std::optional<std::size_t> next = index;
    std::string cdWhy;
    std::string failed;
    while (next) {
        const std::size_t i = *next;
        selectRow(i);
        const auto entry = list_.entries()[i];
        const std::string address = playAddress(entry.path);
        if (player_.FileName(address) && player_.Play()) {
            if (entry.unplayable) markUnplayable(i, {});
            if (player_.Duration() > 0) seconds_[i] = player_.Duration();
            Labelpause->setText("Pause");
            showPlaying(entry.display);
            tmrTime_Timer();
            return;
        }
        const std::string why = player_.lastError().empty() ? "cannot be played" : player_.lastError();
        markUnplayable(i, why);
        if (isCdAudioAddress(address) && cdWhy.empty()) cdWhy = why;
        failed = entry.display;
        // A file that cannot be played counts as played: the list moves on.
        next = list_.afterEnd(optrnd ? PlayMode::Shuffle : PlayMode::InOrder, pick_);
    }
    stopAtStart();
    showPlaying("Cannot play " + failed);
    if (!cdWhy.empty()) prompts_.message(this, cdWhy, MessageIcon::Exclamation);
}

void MPlay3::openAndPlay(const std::string& filter)
{
    const auto file = prompts_.openFile(this, "Open", filter);
    if (!file || file->empty()) return;
    if (const auto first = addFile(*file)) playEntry(*first);
}

void MPlay3::imgPlay_Click()
{
    const auto selected = list_.selected();
    if (!selected) {
        openAndPlay(openFilter(kClassicPlayExtensions));
        return;
    }
    // The loaded entry, paused, goes on where it was.
    if (player_.isPaused() && player_.FileName() == playAddress(list_.entries()[*selected].path)) {
        if (player_.Play()) Labelpause->setText("Pause");
        return;
    }
    playEntry(*selected);
}

void MPlay3::imgOpen_Click() { openAndPlay(openFilter(kClassicOpenExtensions)); }

void MPlay3::lstfavs_DblClick(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= list_.size()) return;
    playEntry(static_cast<std::size_t>(row));
}

void MPlay3::imgPause_Click()
{
    if (list_.empty()) return;
    if (Labelpause->text() == "Pause") {
        player_.Pause();
        Labelpause->setText("Resume");
    } else {
        player_.Play();
        Labelpause->setText("Pause");
    }
}

void MPlay3::imgStop_Click() { stopAtStart(); }

void MPlay3::imgNext_Click()
{
    if (const auto index = list_.next()) playEntry(*index);
}

void MPlay3::imgPrev_Click()
{
    if (const auto index = list_.previous()) playEntry(*index);
}

void MPlay3::imgShuffle_Click()
{
    optrnd = !optrnd;
    imgShuffle->setChecked(optrnd);
    imgShuffleOn->setVisible(optrnd);
}

void MPlay3::imgFileBar_Click()
{
    const bool show = picFile->isHidden();
    picFile->setVisible(show);
    picTop->setVisible(show);
    imgFileBar->setChecked(show);
    layout()->activate();
    resize(width(), std::max(kCollapsedTwips / kTwipsPerPixel, minimumSizeHint().height()));
}

void MPlay3::imgListBar_Click()
{
    const bool show = picList->isHidden();
    picList->setVisible(show);
    imgListBar->setChecked(show);
    layout()->activate();
    resize(width(), std::max(kCollapsedTwips / kTwipsPerPixel, show ? sizeHint().height() : minimumSizeHint().height()));
}

void MPlay3::imgAudioCd_Click()
{
    std::string why;
    const std::string drive = firstCdDrive(why);
    if (drive.empty()) {
        prompts_.message(this, why, MessageIcon::Exclamation);
        return;
    }
    if (const auto first = addCdTracks(drive)) playEntry(*first);
}

void MPlay3::LoadPlaylist()
{
    const auto file = prompts_.openFile(this, "Load Playlist", kPlaylistFilter);
    if (!file || file->empty()) return;
    std::string why;
    const auto entries = readM3u(*file, why);
    if (!entries) {
        prompts_.message(this, "The playlist " + *file + " cannot be loaded: " + why, MessageIcon::Exclamation);
        return;
    }
    std::optional<std::size_t> first;
    for (const PlaylistEntry& e : *entries) {
        const std::size_t index = appendEntry(e.path, e.seconds);
        if (!first) first = index;
        if (isMissing(e.path)) markUnplayable(index, "missing");
    }
    if (first && !list_.selected()) selectRow(*first);
    if (first && picList->isHidden()) imgListBar_Click();
}

double MPlay3::entrySeconds(std::size_t index)
{
    if (seconds_[index] >= 0) return seconds_[index];
    const std::string& path = list_.entries()[index].path;
    if (isCdAudioAddress(path) || list_.entries()[index].unplayable) return -1;
    std::string why;
    const auto decoder = openDecoder(path, 0, why);
    if (decoder && decoder->totalFrames() >= 0 && decoder->sampleRate() > 0)
        seconds_[index] = static_cast<double>(decoder->totalFrames()) / decoder->sampleRate();
    return seconds_[index];
}

void MPlay3::SavePlaylist()
{
    auto file = prompts_.saveFile(this, "Save Playlist", kPlaylistFilter);
    if (!file || file->empty()) return;
    if (std::filesystem::path(*file).extension().empty()) *file += ".m3u";
    std::vector<PlaylistEntry> entries;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        const double seconds = entrySeconds(i);
        entries.push_back({list_.entries()[i].path, list_.entries()[i].display,
                           seconds < 0 ? -1 : static_cast<int>(std::lround(seconds))});
    }
    std::string why;
    if (!writeM3u(*file, entries, why))
        prompts_.message(this, "The playlist " + *file + " could not be saved: " + why, MessageIcon::Exclamation);
}

void MPlay3::startVolume(bool up)
{
    volumeUp_ = up;
    VolumInd->setText(up ? "Max" : "Min");
    tmrVolume_Timer();
    tmrVolume->start();
}

void MPlay3::stopVolume()
{
    tmrVolume->stop();
    VolumInd->clear();
}

void MPlay3::tmrVolume_Timer()
{
    player_.Volume(steppedVolume(player_.Volume(), volumeUp_));
    showLevel();
}

void MPlay3::islider_Release(int twips)
{
    const double duration = player_.Duration();
    if (duration <= 0) return;
    player_.Stop();
    player_.CurrentPosition(seekSeconds(twips, duration));
    if (player_.Play()) Labelpause->setText("Pause");
    tmrTime_Timer();
}

void MPlay3::balance_Move(int twips)
{
    player_.Balance(balanceForKnob(twips));
    if (balance->isSliderDown()) {
        Label24->setText(QString::fromStdString(balanceSide(twips)));
        Label24->adjustSize();
    }
}

void MPlay3::balance_Release() { showPlaying(playing_); }

void MPlay3::MediaPlayer1_EndOfStream()
{
    if (unloaded_) return;
    const auto next = optnon ? std::nullopt : list_.afterEnd(optrnd ? PlayMode::Shuffle : PlayMode::InOrder, pick_);
    if (!next) {
        stopAtStart();
        return;
    }
    playEntry(*next);
}

void MPlay3::tmrTime_Timer()
{
    const double position = player_.CurrentPosition();
    const double duration = player_.Duration();
    const QString text = QString::fromStdString(playerTimeText(position));
    toptime->setText(text);
    Label20->setText(text);
    lblLength->setText(QString::fromStdString(playerTimeText(duration)));
    if (!islider->isSliderDown()) {
        const QSignalBlocker quiet(islider);
        islider->setValue(positionKnobTwips(position, duration));
    }
}

void MPlay3::tmrCaption_Timer()
{
    if (isMinimized()) {
        setWindowTitle(QString::fromStdString(playing_.empty() ? std::string("Audio Player...")
                                                               : playing_ + " - Audio Player..."));
    } else {
        setWindowTitle(kCaption);
    }
}

void MPlay3::tmrScroll_Timer()
{
    const int step = std::max(1, kScrollTwips / kTwipsPerPixel);
    int x = Label24->x() - step;
    // Gone past the left edge: it comes in again from the right.
    if (x + Label24->width() < 0) x = picDisplay->width();
    Label24->move(x, Label24->y());
}

} // namespace recorder
