#include "archive/archive_player.h"

#include <QFile>
#include <QFileInfo>
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
    if (player_ && player_->IsPlaying()) {
        player_->Stop();
    }
}

QString ArchivePlayer::path() const {
    return player_ ? QString::fromStdString(player_->GetFileName()) : QString();
}

qint64 ArchivePlayer::PositionUs() const {
    if (!player_ || player_->GetBytesPerSecond() == 0) {
        return 0;
    }
    return player_->GetPosition() * kMicroseconds / player_->GetBytesPerSecond();
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
    player_.reset();
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
    if (!OpenSelected() || !player_->IsOpen()) {
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
    ShowPosition();
    SetPlaying(true);
}

void ArchivePlayer::Stop() {
    const bool had = playing_;
    if (player_) {
        player_->Stop();
    }
    if (had) {
        LetWaitingMessagesRun();
    }
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
            player_->Play();
        }
    }
    emit seeked();
}

void ArchivePlayer::SeekBy(SeekUnit unit, bool forward) {
    if (!player_) {
        return;
    }
    const bool wasPlaying = playing_;
    if (wasPlaying) {
        player_->Stop();
    }
    MoveTo(SeekTarget(player_->GetPosition(), player_->GetLength(), player_->GetBytesPerSecond(),
                      unit, forward),
           wasPlaying);
}

void ArchivePlayer::SeekToTime(qint64 positionUs) {
    if (!player_ || player_->GetBytesPerSecond() == 0 || positionUs < 0) {
        return;
    }
    const int64_t perSecond = player_->GetBytesPerSecond();
    int64_t target = positionUs / kMicroseconds * perSecond +
                     positionUs % kMicroseconds * perSecond / kMicroseconds;
    target = std::min(target, player_->GetLength());
    const bool wasPlaying = playing_;
    if (wasPlaying) {
        player_->Stop();
    }
    MoveTo(target, wasPlaying);
}

void ArchivePlayer::ShowPosition() {
    if (!player_) {
        positionText_.clear();
        emit positionChanged(QString(), 0);
        return;
    }
    const int64_t position = player_->GetPosition();
    positionText_ =
        PositionText(player_->GetTimeAt(position), position, player_->GetBytesPerSecond());
    emit positionChanged(positionText_, SliderPosition(position, player_->GetLength()));
    ShowLevel();
}

void ArchivePlayer::ShowLevel() {
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
        emit levelChanged(true, LevelPercent(peak >> 8), LevelPercent(peak & 0xFF));
    } else {
        emit levelChanged(true, LevelPercent(peak), -1);
    }
}

void ArchivePlayer::OnProgress() {
    if (!player_) {
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
    if (playing_) {
        player_->Stop();
        wasPlaying_ = true;
    }
}

void ArchivePlayer::ScrollMove(int sliderValue) {
    if (!player_ || player_->GetLength() == 0) {
        return;
    }
    const int64_t position = SliderToPosition(sliderValue, player_->GetLength());
    positionText_ =
        PositionText(player_->GetTimeAt(position), position, player_->GetBytesPerSecond());
    emit positionChanged(positionText_, -1);
    moved_ = true;
}

void ArchivePlayer::ScrollEnd(int sliderValue) {
    if (!player_) {
        emit positionChanged(QString(), 0);
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
            player_->Play();
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
