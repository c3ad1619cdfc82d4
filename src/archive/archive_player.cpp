#include "archive/archive_player.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>

#include "archive/archive_listing.h"
#include "audio/peak_level.h"
#include "audio/sstream_wave_out.h"
#include "audio/svorbis_play.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "prefs/sound_device_settings.h"

namespace {

constexpr qint64 kMicroseconds = 1000 * 1000;

}  // namespace

ArchivePlayer::ArchivePlayer(const SoundDeviceSettings& sound, QObject* parent)
    : QObject(parent), sound_(sound) {}

ArchivePlayer::~ArchivePlayer() {
    // An open gives up within the wave devices' time-out; its players must
    // not outlive the open, nor post to this object once it is gone.
    for (auto& [player, thread] : opens_) {
        thread.join();
    }
    opens_.clear();
    dropped_.clear();
    if (player_ && player_->IsPlaying()) {
        player_->Stop();
    }
}

QString ArchivePlayer::path() const {
    return player_ ? QString::fromStdString(fileName_) : QString();
}

int64_t ArchivePlayer::Position() const {
    if (!player_) {
        return 0;
    }
    return opening_ ? target_.value_or(openedAt_) : player_->GetPosition();
}

int64_t ArchivePlayer::Length() const {
    if (!player_) {
        return 0;
    }
    return opening_ ? length_ : player_->GetLength();
}

uint32_t ArchivePlayer::BytesPerSecond() const {
    return player_ ? bytesPerSecond_ : 0;
}

qint64 ArchivePlayer::PositionUs() const {
    const uint32_t perSecond = BytesPerSecond();
    return perSecond == 0 ? 0 : Position() * kMicroseconds / perSecond;
}

qint64 ArchivePlayer::LengthUs() const {
    const uint32_t perSecond = BytesPerSecond();
    return perSecond == 0 ? 0 : Length() * kMicroseconds / perSecond;
}

bool ArchivePlayer::Open(const QString& path) {
    Discard();
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
        if (QFileInfo(path).isFile()) {
            MessageBox(QStringLiteral("Can't play file\n\t   %1\nIt is damaged or not a recording.")
                           .arg(QFileInfo(path).fileName().toUpper()),
                       "Plumora", MessageIcon::Warning);
        }
        return false;
    }
    info_ = ReadRecordingInfo(path);
    fileName_ = player_->GetFileName();
    bytesPerSecond_ = player_->GetBytesPerSecond();
    player_->SetPosition(0);
    if (opened_) {
        opened_(path);
    }
    ShowPosition();
    emit stateChanged();
    return true;
}

bool ArchivePlayer::OpenSelected() {
    if (player_) {
        return true;
    }
    const QString path = selected_ ? selected_() : QString();
    return !path.isEmpty() && Open(path);
}

void ArchivePlayer::Discard() {
    if (!player_) {
        return;
    }
    Stop();
    if (opening_) {
        dropped_.push_back(std::move(player_));
        opening_ = false;
        target_.reset();
    }
    player_.reset();
    fileName_.clear();
    bytesPerSecond_ = 0;
    info_ = {};
    lastPeak_ = -1;
    moved_ = wasPlaying_ = false;
    positionText_.clear();
    emit positionChanged(QString(), 0);
    emit stateChanged();
}

void ArchivePlayer::SetPlaying(bool playing) {
    const bool changed = playing != playing_;
    playing_ = playing;
    lastPeak_ = -1;
    if (!playing) {
        emit levelChanged(false, 0, -1);
    } else {
        emit levelChanged(true, 0, playedFormat_.channels >= 2 ? 0 : -1);
    }
    if (changed) {
        emit stateChanged();
    }
}

void ArchivePlayer::Play() {
    if (!OpenSelected()) {
        return;
    }
    if (opening_) {
        wanted_ = true;
        SetPlaying(true);
        return;
    }
    if (!player_->IsOpen()) {
        return;
    }
    const int64_t length = player_->GetLength();
    if (length > 0 && player_->GetPosition() >= length) {
        player_->SetPosition(0);
    }
    StartOpen();
}

void ArchivePlayer::StartOpen() {
    openedAt_ = player_->GetPosition();
    length_ = player_->GetLength();
    opening_ = true;
    wanted_ = true;
    target_.reset();
    SPlay* player = player_.get();
    opens_.emplace(player, std::thread([this, player] {
                       const bool played = player->Play();
                       QMetaObject::invokeMethod(
                           this, [this, player, played] { OnOpened(player, played); },
                           Qt::QueuedConnection);
                   }));
    SetPlaying(true);
}

void ArchivePlayer::OnOpened(SPlay* player, bool played) {
    if (auto open = opens_.find(player); open != opens_.end()) {
        open->second.join();
        opens_.erase(open);
    }
    const auto dropped = std::find_if(dropped_.begin(), dropped_.end(),
                                      [player](const auto& p) { return p.get() == player; });
    if (dropped != dropped_.end()) {
        if (played) {
            (*dropped)->Stop();
        }
        dropped_.erase(dropped);
        return;
    }
    if (player != player_.get()) {
        return;
    }
    opening_ = false;
    running_ = played;
    if (running_ && (!wanted_ || target_)) {
        player_->Stop();
        running_ = false;
    }
    if (target_) {
        const int64_t target = *target_;
        target_.reset();
        player_->SetPosition(target);
        ShowPosition();
        if (wanted_ && target < player_->GetLength()) {
            StartOpen();
            return;
        }
        wanted_ = false;
        SetPlaying(false);
        return;
    }
    ShowPosition();
    if (!wanted_) {
        return;
    }
    if (!played) {
        wanted_ = false;
        SetPlaying(false);
        ShowPlayFailure();
        return;
    }
    SetPlaying(true);
}

void ArchivePlayer::ShowPlayFailure() {
    // A codec that cannot read the file has said so already.
    const bool codecFile = dynamic_cast<SStreamWaveOut*>(player_.get()) != nullptr &&
                           player_->GetFormatTag() != WaveFormat::kTagPcm;
    if (!codecFile) {
        MessageBox("Can't play.\nWave output device already in use or disabled?", "Plumora",
                   MessageIcon::Warning);
    }
}

// Progress messages the player posted before a stop may still arrive; they
// count only while the device runs (running_), so none of them moves the
// slider or ends a playback that was stopped or restarted meanwhile.
void ArchivePlayer::Stop() {
    wanted_ = false;
    if (player_ && !opening_) {
        player_->Stop();
    }
    running_ = false;
    SetPlaying(false);
}

void ArchivePlayer::Toggle() {
    if (playing_) {
        Stop();
    } else {
        Play();
    }
}

void ArchivePlayer::MoveTo(int64_t target, bool resume) {
    player_->SetPosition(target);
    ShowPosition();
    if (resume) {
        if (target >= player_->GetLength()) {
            Stop();  // nothing is left to play
        } else {
            StartOpen();
        }
    }
    emit seeked();
}

void ArchivePlayer::SeekWhileOpening(int64_t target) {
    target_ = target;
    emit positionChanged(positionText_, SliderPosition(target, length_));
    emit seeked();
}

void ArchivePlayer::SeekTo(int64_t target) {
    if (opening_) {
        SeekWhileOpening(target);
        return;
    }
    const bool wasPlaying = playing_;
    if (wasPlaying) {
        player_->Stop();
        running_ = false;
    }
    MoveTo(target, wasPlaying);
}

void ArchivePlayer::SeekBy(SeekUnit unit, bool forward) {
    if (!player_) {
        return;
    }
    const int64_t target = SeekTarget(Position(), Length(), BytesPerSecond(), unit, forward);
    SeekTo(target);
}

void ArchivePlayer::SeekToTime(qint64 positionUs) {
    if (!player_ || BytesPerSecond() == 0 || positionUs < 0) {
        return;
    }
    const int64_t perSecond = BytesPerSecond();
    int64_t target = positionUs / kMicroseconds * perSecond +
                     positionUs % kMicroseconds * perSecond / kMicroseconds;
    target = std::min(target, Length());
    SeekTo(target);
}

void ArchivePlayer::ShowPosition() {
    if (!player_) {
        positionText_.clear();
        emit positionChanged(QString(), 0);
        return;
    }
    if (opening_) {
        return;  // the player is busy; shown once the open returns
    }
    const int64_t position = player_->GetPosition();
    positionText_ =
        PositionText(player_->GetTimeAt(position), position, player_->GetBytesPerSecond());
    emit positionChanged(positionText_, SliderPosition(position, player_->GetLength()));
    ShowLevel();
}

void ArchivePlayer::ShowLevel() {
    if (!player_ || !playing_ || !running_) {
        return;
    }
    const QByteArray last = player_->GetLastBuffer();
    const int peak = PeakLevel(last.constData(), static_cast<uint32_t>(last.size()), playedFormat_);
    if (peak == lastPeak_) {
        return;
    }
    lastPeak_ = peak;
    if (playedFormat_.channels >= 2) {
        emit levelChanged(true, LevelPercent(peak >> 8), LevelPercent(peak & 0xFF));
    } else {
        emit levelChanged(true, LevelPercent(peak), -1);
    }
}

void ArchivePlayer::OnProgress() {
    if (!player_ || !running_) {
        return;
    }
    if (playing_ && player_->DeviceFailed()) {
        Stop();
        ShowPosition();
        MessageBox(QStringLiteral("Playback stopped: the sound output device failed.\n\t   %1")
                       .arg(QFileInfo(path()).fileName().toUpper()),
                   "Plumora", MessageIcon::Warning);
        return;
    }
    ShowPosition();
    if (playing_ && player_->GetPosition() >= player_->GetLength()) {
        Stop();
    }
}

// --- Slider ----------------------------------------------------------------------

void ArchivePlayer::LineStep(bool forward, Qt::KeyboardModifiers modifiers) {
    if (!OpenSelected()) {
        return;
    }
    SeekUnit unit;
    if (SeekUnitForModifiers(modifiers, &unit)) {
        SeekBy(unit, forward);
    }
}

void ArchivePlayer::ScrollStart() {
    if (!OpenSelected()) {
        return;
    }
    if (!playing_) {
        return;
    }
    wasPlaying_ = true;
    if (opening_) {
        wanted_ = false;
    } else {
        player_->Stop();
        running_ = false;
    }
}

void ArchivePlayer::ScrollMove(int sliderValue) {
    if (!player_ || Length() == 0) {
        return;
    }
    moved_ = true;
    if (opening_) {
        return;  // the time is told once the open returns
    }
    const int64_t position = SliderToPosition(sliderValue, player_->GetLength());
    positionText_ =
        PositionText(player_->GetTimeAt(position), position, player_->GetBytesPerSecond());
    emit positionChanged(positionText_, -1);
}

void ArchivePlayer::ScrollEnd(int sliderValue) {
    if (!player_) {
        emit positionChanged(QString(), 0);
        return;
    }
    if (opening_) {
        if (moved_) {
            moved_ = false;
            SeekWhileOpening(SliderToPosition(sliderValue, length_));
        }
        if (wasPlaying_) {
            wasPlaying_ = false;
            wanted_ = true;
        }
        return;
    }
    const bool moved = moved_;
    if (moved_) {
        player_->SetPosition(SliderToPosition(sliderValue, player_->GetLength()));
        moved_ = false;
    }
    if (wasPlaying_) {
        wasPlaying_ = false;
        if (player_->GetPosition() >= player_->GetLength()) {
            Stop();
        } else {
            StartOpen();
        }
    }
    ShowPosition();
    if (moved) {
        emit seeked();
    }
}

bool ArchivePlayer::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        if (m->msg == WM_AUDIO_PROGRESS) {
            OnProgress();
        }
        return true;
    }
    return QObject::event(event);
}
