#include "archive/arch_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "archive/archive_delete.h"
#include "archive/archive_player.h"
#include "archive/archive_tree.h"
#include "archive/position_slider.h"
#include "archive/recording_file_settings.h"
#include "audio/smeter.h"
#include "audio/splay.h"
#include "controls/url_opener.h"
#include "platform/codec_manager.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

// Command ids the radio panel hands on unchanged.
constexpr unsigned kCmdPlay = 202;
constexpr unsigned kCmdStop = 203;
constexpr unsigned kCmdBackMinute = 208;
constexpr unsigned kCmdForwardMinute = 209;
constexpr unsigned kCmdForwardSecond = 210;
constexpr unsigned kCmdBackSecond = 211;
constexpr unsigned kCmdToggle = 214;

}  // namespace

TArchDialog::TArchDialog(const RecordingFileSettings& files, const SoundDeviceSettings& sound,
                         QWidget* parent)
    : QWidget(parent),
      files_(files),
      tree_(new ArchiveTree(this)),
      info_button_(new QPushButton("&Info", this)),
      delete_(new QPushButton("&Delete", this)),
      play_(new QPushButton("&Play", this)),
      stop_(new QPushButton("&Stop", this)),
      slider_(new PositionSlider(this)),
      position_(new QLabel(this)),
      meter_(new SMeter(this)),
      player_(new ArchivePlayer(sound, this)),
      watcher_(new QFileSystemWatcher(this)) {
    setObjectName("Archive");
    tree_->setObjectName("ArchiveTree");
    info_button_->setObjectName("InfoButton");
    delete_->setObjectName("DeleteButton");
    play_->setObjectName("PlayButton");
    stop_->setObjectName("StopButton");
    slider_->setObjectName("PositionSlider");
    position_->setObjectName("PositionText");
    meter_->setObjectName("PlaybackMeter");

    tree_->SetDirectory([this] { return files_.defaultDirectory; });
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    player_->SetSelectedPath([this] { return SelectedRecording(); });

    meter_->SetRange(0, 100);
    meter_->setFixedSize(96, 14);
    QSizePolicy keep = meter_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    meter_->setSizePolicy(keep);
    meter_->Show(false);

    position_->setMinimumWidth(position_->fontMetrics().horizontalAdvance("  00:00:00") + 8);
    position_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_, 1);
    auto* position = new QHBoxLayout;
    position->addWidget(slider_, 1);
    position->addWidget(position_);
    layout->addLayout(position);
    auto* buttons = new QGridLayout;
    buttons->addWidget(play_, 0, 0);
    buttons->addWidget(stop_, 0, 0);
    buttons->addWidget(info_button_, 0, 1);
    buttons->addWidget(delete_, 0, 2);
    buttons->setColumnStretch(3, 1);
    buttons->addWidget(meter_, 0, 4, Qt::AlignVCenter);
    layout->addLayout(buttons);
    stop_->hide();

    watchQuiet_.setSingleShot(true);
    watchQuiet_.setInterval(kWatchQuietMs);
    connect(&watchQuiet_, &QTimer::timeout, this, &TArchDialog::OnDirectoryChanged);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { watchQuiet_.start(); });

    connect(player_, &ArchivePlayer::stateChanged, this, &TArchDialog::ShowPlaying);
    connect(player_, &ArchivePlayer::positionChanged, this, &TArchDialog::ShowPosition);
    connect(player_, &ArchivePlayer::levelChanged, this, &TArchDialog::ShowLevel);

    connect(play_, &QPushButton::clicked, this, &TArchDialog::Play);
    connect(stop_, &QPushButton::clicked, this, &TArchDialog::Stop);
    connect(info_button_, &QPushButton::clicked, this, &TArchDialog::Info);
    connect(delete_, &QPushButton::clicked, this, &TArchDialog::Delete);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &TArchDialog::OnSelectionChanged);
    connect(tree_, &QWidget::customContextMenuRequested, this, &TArchDialog::ShowContextMenu);
    // Double-click or Enter on a recording plays it.
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (!tree_->PathOfItem(item).isEmpty() && !playing()) {
            Play();
        }
    });
    connect(slider_, &PositionSlider::lineStep, player_, &ArchivePlayer::LineStep);
    connect(slider_, &QSlider::sliderPressed, this, [this] {
        scrolling_ = true;
        player_->ScrollStart();
    });
    connect(slider_, &QSlider::sliderMoved, player_, &ArchivePlayer::ScrollMove);
    connect(slider_, &QSlider::sliderReleased, this, [this] {
        scrolling_ = false;
        player_->ScrollEnd(slider_->sliderPosition());
    });
    connect(slider_, &QSlider::actionTriggered, this, &TArchDialog::OnSliderAction);
}

TArchDialog::~TArchDialog() {
    player_->Discard();
}

void TArchDialog::SetOpenedHook(std::function<void(const QString& path)> hook) {
    player_->SetOpenedHook(std::move(hook));
}

QString TArchDialog::SelectedRecording() const {
    return tree_->SelectedPath();
}

bool TArchDialog::playing() const {
    return player_->playing();
}

SPlay* TArchDialog::player() const {
    return player_->player();
}

const RecordingInfo& TArchDialog::recordingInfo() const {
    return player_->info();
}

QString TArchDialog::positionText() const {
    return position_->text();
}

// --- The tree ----------------------------------------------------------------

void TArchDialog::RefreshArchive() {
    const QString remembered = SelectedRecording();
    refreshing_ = true;
    tree_->Fill(ListArchive(files_.defaultDirectory, events_));
    const QString playing = player_->path();
    tree_->SelectPath(playing.isEmpty() ? remembered : playing);
    refreshing_ = false;
    filled_ = true;
    WatchDirectory();
}

void TArchDialog::WatchDirectory() {
    const QString directory = files_.defaultDirectory;
    const QStringList watched = watcher_->directories();
    if (watched.size() == 1 && watched.front() == directory) {
        return;
    }
    if (!watched.isEmpty()) {
        watcher_->removePaths(watched);
    }
    if (!directory.isEmpty() && QFileInfo(directory).isDir()) {
        watcher_->addPath(directory);
    }
}

void TArchDialog::OnDirectoryChanged() {
    // A hidden tab is rebuilt when it is shown again.
    if (filled_ && isVisible()) {
        RefreshArchive();
    }
}

void TArchDialog::OnSelectionChanged() {
    if (refreshing_) {
        return;
    }
    if (playing() || SelectedIsPlayerFile()) {
        // Moving through the tree leaves a playback alone; Play plays the
        // recording selected then.
        return;
    }
    player_->Discard();
}

bool TArchDialog::SelectedIsPlayerFile() const {
    return player_->player() != nullptr && SelectedRecording() == player_->path();
}

// --- The player ----------------------------------------------------------------

void TArchDialog::OpenRecording(const QString& path) {
    Stop();
    tree_->SelectPath(path);
    if (!QFileInfo(path).isFile()) {
        player_->Discard();
        MessageBox(QStringLiteral("Can't play file\n\t   %1\nIt was moved, deleted or damaged.")
                       .arg(QFileInfo(path).fileName()),
                   "Plumora", MessageIcon::Warning);
        return;
    }
    if (!player_->Open(path)) {
        return;  // the player said why
    }
    player_->Play();
}

void TArchDialog::Play() {
    if (player_->player() != nullptr && !SelectedIsPlayerFile() && !SelectedRecording().isEmpty()) {
        player_->Discard();
    }
    player_->Play();
}

void TArchDialog::Stop() {
    player_->Stop();
}

void TArchDialog::Toggle() {
    player_->Toggle();
}

void TArchDialog::SeekBy(SeekUnit unit, bool forward) {
    player_->SeekBy(unit, forward);
}

void TArchDialog::ShowPlaying() {
    const bool playing = player_->playing();
    const bool focus = play_->hasFocus() || stop_->hasFocus();
    play_->setVisible(!playing);
    stop_->setVisible(playing);
    if (focus || (isVisible() && !tree_->hasFocus())) {
        (playing ? stop_ : play_)->setFocus();
    }
}

void TArchDialog::ShowPosition(const QString& text, int sliderValue) {
    position_->setText(text);
    if (sliderValue >= 0 && !slider_->isSliderDown()) {
        slider_->setValue(sliderValue);
    }
}

void TArchDialog::ShowLevel(bool on, int left, int right) {
    if (!on) {
        meter_->SetValue(0);
        meter_->Show(false);
        return;
    }
    meter_->Show(true);
    if (right >= 0) {
        meter_->SetValues(left, right);
    } else {
        meter_->SetValue(left);
    }
}

void TArchDialog::OnSliderAction(int action) {
    // Drags are handled from press to release; page steps, Home and End
    // arrive here as a scroll of their own.
    if (scrolling_ || action == QAbstractSlider::SliderMove ||
        action == QAbstractSlider::SliderNoAction) {
        return;
    }
    player_->ScrollStart();
    if (player_->player() == nullptr) {
        slider_->setSliderPosition(0);
        return;
    }
    player_->ScrollMove(slider_->sliderPosition());
    player_->ScrollEnd(slider_->sliderPosition());
}

// --- Info, Delete, the context menu ----------------------------------------------

void TArchDialog::Info() {
    const QString path = SelectedRecording();
    if (path.isEmpty()) {
        return;
    }
    if (player_->player() == nullptr && !player_->Open(path)) {
        return;
    }
    SPlay* player = player_->player();
    RecordingDetails details;
    details.path = player_->path();
    details.info = player_->info();
    details.length = player->GetLength();
    details.bytesPerSecond = player->GetBytesPerSecond();
    details.formatTag = player->GetFormatTag();
    if (details.formatTag != WaveFormat::kTagPcm) {
        if (const auto tag = codec::TagDetails(details.formatTag)) {
            details.codecName = QString::fromStdString(tag->name);
        }
    }
    MessageBox(RecordingDetailsText(details), "Details", MessageIcon::Information);
}

void TArchDialog::Delete() {
    player_->Discard();
    // By path: the tree may be rebuilt while the question is open.
    const QString path = SelectedRecording();
    if (DeleteRecording(path, isRecording_) == DeleteOutcome::kDeleted) {
        tree_->BlankPath(path);
    }
}

void TArchDialog::OpenContainingFolder() {
    const QString path = SelectedRecording();
    const QString folder =
        path.isEmpty() ? files_.defaultDirectory : QFileInfo(path).absolutePath();
    if (!folder.isEmpty()) {
        OpenDocument(QUrl::fromLocalFile(folder));
    }
}

void TArchDialog::ShowContextMenu(const QPoint& at) {
    if (QTreeWidgetItem* item = tree_->itemAt(at)) {
        tree_->setCurrentItem(item);
    }
    const bool recording = !SelectedRecording().isEmpty();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction("&Play", this, &TArchDialog::Play)->setEnabled(recording);
    menu->addAction("&Info", this, &TArchDialog::Info)->setEnabled(recording);
    menu->addAction("&Delete", this, &TArchDialog::Delete)->setEnabled(recording);
    menu->addSeparator();
    menu->addAction("Open containing &folder", this, &TArchDialog::OpenContainingFolder);
    menu->popup(tree_->viewport()->mapToGlobal(at));
}

// --- Messages ----------------------------------------------------------------------

void TArchDialog::OnCommand(unsigned id) {
    SeekUnit unit;
    switch (id) {
        case kCmdPlay:
            Play();
            break;
        case kCmdStop:
            Stop();
            break;
        case kCmdToggle:
            Toggle();
            break;
        case kCmdBackMinute:
        case kCmdForwardMinute:
            // The arrow keys with Shift or Ctrl arrive here as well.
            if (SeekUnitForModifiers(QGuiApplication::keyboardModifiers(), &unit)) {
                SeekBy(unit, id == kCmdForwardMinute);
            }
            break;
        case kCmdForwardSecond:
            SeekBy(SeekUnit::kSecond, true);
            break;
        case kCmdBackSecond:
            SeekBy(SeekUnit::kSecond, false);
            break;
        default:
            break;
    }
}

bool TArchDialog::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        switch (m->msg) {
            case WM_PANEL_ACTIVATED:
                tree_->setRootIsDecorated(true);
                tree_->setItemsExpandable(true);
                RefreshArchive();
                tree_->setFocus();
                break;
            case WM_AUDIO_PROGRESS:
                // Players post to the player control; an old message may
                // still come here.
                PostMessage(player_, WM_AUDIO_PROGRESS);
                break;
            case WM_COMMAND:
                OnCommand(static_cast<unsigned>(m->wParam));
                break;
            default:
                break;
        }
        return true;
    }
    return QWidget::event(event);
}

void TArchDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && help_) {
        help_();
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        Delete();
        return;
    }
    QWidget::keyPressEvent(event);
}
