#include "archive/arch_dialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "archive/archive_tree.h"
#include "archive/position_slider.h"
#include "archive/recording_file_settings.h"
#include "archive/recording_in_use.h"
#include "audio/peak_level.h"
#include "audio/smeter.h"
#include "audio/sstream_wave_out.h"
#include "audio/svorbis_play.h"
#include "media/rec_file.h"
#include "platform/codec_manager.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "prefs/sound_device_settings.h"

namespace {

constexpr int kFileNameRole = Qt::UserRole;
constexpr int kItemDataRole = Qt::UserRole + 1;

// Command ids the radio panel hands on unchanged.
constexpr unsigned kCmdPlay = 202;
constexpr unsigned kCmdStop = 203;
constexpr unsigned kCmdBackMinute = 208;
constexpr unsigned kCmdForwardMinute = 209;
constexpr unsigned kCmdForwardSecond = 210;
constexpr unsigned kCmdBackSecond = 211;
constexpr unsigned kCmdToggle = 214;

QString UpperName(const QString& path) {
    return QFileInfo(path).fileName().toUpper();
}

}  // namespace

TArchDialog::TArchDialog(const RecordingFileSettings& files, const SoundDeviceSettings& sound,
                         QWidget* parent)
    : QWidget(parent),
      files_(files),
      sound_(sound),
      tree_(new ArchiveTree(this)),
      info_button_(new QPushButton("&Info", this)),
      delete_(new QPushButton("&Delete", this)),
      play_(new QPushButton("&Play", this)),
      stop_(new QPushButton("&Stop", this)),
      slider_(new PositionSlider(this)),
      position_(new QLabel(this)),
      meter_(new SMeter(this)) {
    setObjectName("Archive");
    tree_->setObjectName("ArchiveTree");
    info_button_->setObjectName("InfoButton");
    delete_->setObjectName("DeleteButton");
    play_->setObjectName("PlayButton");
    stop_->setObjectName("StopButton");
    slider_->setObjectName("PositionSlider");
    position_->setObjectName("PositionText");
    meter_->setObjectName("PlaybackMeter");

    tree_->SetPathOf([this](QTreeWidgetItem* item) { return PathOfItem(item); });

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

    connect(play_, &QPushButton::clicked, this, &TArchDialog::Play);
    connect(stop_, &QPushButton::clicked, this, &TArchDialog::Stop);
    connect(info_button_, &QPushButton::clicked, this, &TArchDialog::Info);
    connect(delete_, &QPushButton::clicked, this, &TArchDialog::Delete);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &TArchDialog::OnSelectionChanged);
    // Double-click or Enter on a recording plays it.
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (!PathOfItem(item).isEmpty() && !playing_) {
            Play();
        }
    });
    connect(slider_, &PositionSlider::lineStep, this, &TArchDialog::OnLineStep);
    connect(slider_, &QSlider::sliderPressed, this, &TArchDialog::OnScrollStart);
    connect(slider_, &QSlider::sliderMoved, this, &TArchDialog::OnScrollMove);
    connect(slider_, &QSlider::sliderReleased, this, &TArchDialog::OnScrollEnd);
    connect(slider_, &QSlider::actionTriggered, this, &TArchDialog::OnSliderAction);
}

TArchDialog::~TArchDialog() {
    DiscardPlayer();
}

QString TArchDialog::PathOfItem(QTreeWidgetItem* item) const {
    if (item == nullptr || item->parent() == nullptr) {
        return {};
    }
    const QString name = item->data(0, kFileNameRole).toString();
    if (name.isEmpty()) {
        return {};
    }
    const QString path = RecordingPathIn(files_.defaultDirectory, name);
    return QFileInfo::exists(path) ? path : QString();
}

QString TArchDialog::SelectedRecording() const {
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    return selected.isEmpty() ? QString() : PathOfItem(selected.front());
}

QString TArchDialog::positionText() const {
    return position_->text();
}

// --- The tree ----------------------------------------------------------------

void TArchDialog::RefreshArchive() {
    const QString remembered = SelectedRecording();
    refreshing_ = true;
    tree_->clear();
    const std::vector<ArchiveGroup> groups = ListArchive(files_.defaultDirectory, events_);
    QList<QTreeWidgetItem*> top;
    top.reserve(static_cast<qsizetype>(groups.size()));
    for (const ArchiveGroup& group : groups) {
        auto* groupItem = new QTreeWidgetItem(QStringList{group.label});
        groupItem->setData(0, kFileNameRole + 2, group.name);
        QList<QTreeWidgetItem*> children;
        children.reserve(static_cast<qsizetype>(group.recordings.size()));
        for (const ArchiveRecording& recording : group.recordings) {
            auto* item = new QTreeWidgetItem(QStringList{recording.label});
            item->setData(0, kFileNameRole, recording.fileName);
            item->setData(0, kItemDataRole, recording.itemData);
            children.push_back(item);
        }
        groupItem->addChildren(children);
        top.push_back(groupItem);
    }
    tree_->addTopLevelItems(top);
    Select(player_ ? QString::fromStdString(player_->GetFileName()) : remembered);
    refreshing_ = false;
}

void TArchDialog::Select(const QString& path) {
    const QString fileName = path.isEmpty() ? QString() : QFileInfo(path).fileName();
    const QString groupName = fileName.isEmpty() ? QString() : GroupNameOf(fileName);
    QTreeWidgetItem* found = nullptr;
    for (int g = 0; g < tree_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tree_->topLevelItem(g);
        const bool mine =
            !groupName.isEmpty() &&
            group->data(0, kFileNameRole + 2).toString().compare(groupName, Qt::CaseInsensitive) ==
                0;
        group->setExpanded(mine);
        if (!mine) {
            continue;
        }
        QTreeWidgetItem* caseless = nullptr;
        for (int r = 0; r < group->childCount() && found == nullptr; ++r) {
            const QString name = group->child(r)->data(0, kFileNameRole).toString();
            if (name == fileName) {
                found = group->child(r);
            } else if (caseless == nullptr && name.compare(fileName, Qt::CaseInsensitive) == 0) {
                caseless = group->child(r);
            }
        }
        if (found == nullptr) {
            found = caseless;
        }
    }
    if (found != nullptr) {
        tree_->setCurrentItem(found);
        found->setSelected(true);
        tree_->scrollToItem(found);
    }
}

void TArchDialog::OnSelectionChanged() {
    if (refreshing_) {
        return;
    }
    if (playing_ || SelectedIsPlayerFile()) {
        // Moving through the tree leaves a playback alone; Play plays the
        // recording selected then.
        return;
    }
    DiscardPlayer();
    slider_->setValue(0);
    position_->clear();
}

// --- The player ----------------------------------------------------------------

void TArchDialog::DiscardPlayer() {
    if (!player_) {
        return;
    }
    if (player_->IsPlaying()) {
        player_->Stop();
    }
    player_.reset();
    info_ = {};
    lastPeak_ = -1;
}

bool TArchDialog::OpenPath(const QString& path) {
    DiscardPlayer();
    const std::string file = QFile::encodeName(path).toStdString();
    const std::string device = sound_.waveOutDriver.toStdString();
    const QString ext = RecordingExtension(QFileInfo(path).fileName());
    if (ext == "wav" || ext == "mp3") {
        auto player = std::make_unique<SStreamWaveOut>(this, file, device);
        playedFormat_ = player->OutputFormat();
        player_ = std::move(player);
    } else if (ext == "ogg") {
        auto player = std::make_unique<SVorbisPlay>(this, file, device);
        playedFormat_ = player->OutputFormat();
        player_ = std::move(player);
    } else {
        return false;
    }
    if (!player_->IsOpen()) {
        player_.reset();
        return false;
    }
    info_ = ReadRecordingInfo(path);
    player_->SetPosition(0);
    if (opened_) {
        opened_(path);
    }
    return true;
}

bool TArchDialog::OpenSelectedRecording() {
    const QString path = SelectedRecording();
    return !path.isEmpty() && OpenPath(path);
}

void TArchDialog::OpenRecording(const QString& path) {
    Stop();
    Select(path);
    if (!QFileInfo(path).isFile() || !OpenPath(path)) {
        DiscardPlayer();
        MessageBox(QStringLiteral("Can't play file\n\t   %1\nIt was moved, deleted or damaged.")
                       .arg(QFileInfo(path).fileName()),
                   "Plumora", MessageIcon::Warning);
        return;
    }
    UpdatePosition();
    Play();
}

bool TArchDialog::SelectedIsPlayerFile() const {
    return player_ && SelectedRecording() == QString::fromStdString(player_->GetFileName());
}

void TArchDialog::Play() {
    if (player_ && !SelectedIsPlayerFile() && !SelectedRecording().isEmpty()) {
        Stop();
        DiscardPlayer();
        slider_->setValue(0);
        position_->clear();
    }
    if (!player_ && !OpenSelectedRecording()) {
        return;
    }
    if (!player_->IsOpen()) {
        return;
    }
    const int64_t length = player_->GetLength();
    if (length > 0 && player_->GetPosition() >= length) {
        player_->SetPosition(0);
    }
    if (!player_->Play()) {
        // A codec that cannot read the file has said so already.
        const bool codecFile = dynamic_cast<SStreamWaveOut*>(player_.get()) != nullptr &&
                               player_->GetFormatTag() != WaveFormat::kTagPcm;
        if (!codecFile) {
            MessageBox("Can't play.\nWave output device already in use or disabled?", "Plumora",
                       MessageIcon::Warning);
        }
        return;
    }
    UpdatePosition();
    ShowPlaying(true);
    playing_ = true;
    meter_->Show(true);
}

void TArchDialog::Stop() {
    const bool had = playing_;
    playing_ = false;
    if (player_) {
        player_->Stop();
    }
    if (had) {
        LetWaitingMessagesRun();
    }
    ShowPlaying(false);
    meter_->SetValue(0);
    meter_->Show(false);
    lastPeak_ = -1;
}

void TArchDialog::Toggle() {
    if (playing_) {
        Stop();
    } else {
        Play();
    }
}

void TArchDialog::ShowPlaying(bool playing) {
    const bool focus = play_->hasFocus() || stop_->hasFocus();
    play_->setVisible(!playing);
    stop_->setVisible(playing);
    if (focus) {  // the key that had the focus goes; the other takes it
        (playing ? stop_ : play_)->setFocus();
    }
}

void TArchDialog::SeekBy(SeekUnit unit, bool forward) {
    if (!player_) {
        return;
    }
    const bool wasPlaying = playing_;
    if (wasPlaying) {
        player_->Stop();
    }
    const int64_t length = player_->GetLength();
    const int64_t target =
        SeekTarget(player_->GetPosition(), length, player_->GetBytesPerSecond(), unit, forward);
    player_->SetPosition(target);
    UpdatePosition();
    if (wasPlaying) {
        if (target >= length) {
            Stop();  // nothing is left to play
        } else {
            player_->Play();
        }
    }
}

void TArchDialog::UpdatePosition() {
    if (!player_) {
        position_->clear();
        return;
    }
    const int64_t position = player_->GetPosition();
    position_->setText(
        PositionText(player_->GetTimeAt(position), position, player_->GetBytesPerSecond()));
    if (!slider_->isSliderDown()) {
        slider_->setValue(SliderPosition(position, player_->GetLength()));
    }
    UpdateMeter();
}

void TArchDialog::UpdateMeter() {
    if (!player_ || !playing_) {
        return;
    }
    const QByteArray last = player_->GetLastBuffer();
    const int peak = PeakLevel(last.constData(), static_cast<uint32_t>(last.size()), playedFormat_);
    if (peak == lastPeak_) {
        return;
    }
    lastPeak_ = peak;
    if (playedFormat_.channels >= 2) {
        meter_->SetValues(LevelPercent(peak >> 8), LevelPercent(peak & 0xFF));
    } else {
        meter_->SetValue(LevelPercent(peak));
    }
}

void TArchDialog::OnProgress() {
    if (!player_) {
        return;
    }
    UpdatePosition();
    if (playing_ && player_->GetPosition() >= player_->GetLength()) {
        Stop();
    }
}

// --- Slider ----------------------------------------------------------------------

void TArchDialog::OnLineStep(bool forward, Qt::KeyboardModifiers modifiers) {
    if (!player_ && !OpenSelectedRecording()) {
        return;
    }
    SeekUnit unit;
    if (SeekUnitForModifiers(modifiers, &unit)) {
        SeekBy(unit, forward);
    }
}

void TArchDialog::OnScrollStart() {
    scrolling_ = true;
    if (!player_ && !OpenSelectedRecording()) {
        return;
    }
    if (playing_) {
        player_->Stop();
        wasPlaying_ = true;
    }
}

void TArchDialog::OnScrollMove(int value) {
    if (!player_ || player_->GetLength() == 0) {
        return;
    }
    const int64_t position = SliderToPosition(value, player_->GetLength());
    position_->setText(
        PositionText(player_->GetTimeAt(position), position, player_->GetBytesPerSecond()));
    moved_ = true;
}

void TArchDialog::OnScrollEnd() {
    scrolling_ = false;
    if (!player_) {
        slider_->setValue(0);
        return;
    }
    if (moved_) {
        player_->SetPosition(SliderToPosition(slider_->sliderPosition(), player_->GetLength()));
        moved_ = false;
    }
    if (wasPlaying_) {
        wasPlaying_ = false;
        if (player_->GetPosition() >= player_->GetLength()) {
            Stop();
        } else {
            player_->Play();
        }
    }
    UpdatePosition();
}

void TArchDialog::OnSliderAction(int action) {
    // Drags are handled from press to release; page steps, Home and End
    // arrive here as a scroll of their own.
    if (scrolling_ || action == QAbstractSlider::SliderMove ||
        action == QAbstractSlider::SliderNoAction) {
        return;
    }
    OnScrollStart();
    if (!player_) {
        scrolling_ = false;
        slider_->setSliderPosition(0);
        return;
    }
    OnScrollMove(slider_->sliderPosition());
    OnScrollEnd();
}

// --- Info and Delete ---------------------------------------------------------------

void TArchDialog::Info() {
    const QString path = SelectedRecording();
    if (path.isEmpty()) {
        return;
    }
    if (!player_ && !OpenPath(path)) {
        return;
    }
    RecordingDetails details;
    details.path = QString::fromStdString(player_->GetFileName());
    details.info = info_;
    details.length = player_->GetLength();
    details.bytesPerSecond = player_->GetBytesPerSecond();
    details.formatTag = player_->GetFormatTag();
    if (details.formatTag != WaveFormat::kTagPcm) {
        if (const auto tag = codec::TagDetails(details.formatTag)) {
            details.codecName = QString::fromStdString(tag->name);
        }
    }
    MessageBox(RecordingDetailsText(details), "Details", MessageIcon::Information);
}

void TArchDialog::Delete() {
    Stop();
    DiscardPlayer();
    slider_->setValue(0);
    position_->clear();
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    const QString path = SelectedRecording();
    if (path.isEmpty()) {
        return;
    }
    const QString name = UpperName(path);
    if ((isRecording_ && isRecording_(path)) || RecordingInUse(path)) {
        MessageBox(
            QStringLiteral("Can't delete file\n\t   %1\nAlready in use by this or another program?")
                .arg(name),
            "Plumora", MessageIcon::Warning);
        return;
    }
    const int answer = MessageBox(QStringLiteral("OK to delete file?\n\t   %1").arg(name),
                                  "Plumora", MessageIcon::Question, MessageButtons::YesNoCancel);
    if (answer != IDYES) {
        return;
    }
    if (!QFile::remove(path)) {
        MessageBox(QStringLiteral("Can't delete file\n\t   %1").arg(name), "Plumora",
                   MessageIcon::Warning);
        return;
    }
    // The metadata kept beside the recording while it was made goes with it.
    const std::string recovery = RecFile::RecoveryPath(QFile::encodeName(path).toStdString());
    if (!recovery.empty()) {
        QFile::remove(QFile::decodeName(QByteArray::fromStdString(recovery)));
    }
    QTreeWidgetItem* item = selected.front();
    item->setText(0, QString());
    item->setData(0, kFileNameRole, QString());
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
                OnProgress();
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
    QWidget::keyPressEvent(event);
}
