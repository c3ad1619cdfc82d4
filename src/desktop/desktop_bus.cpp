#include "desktop/desktop_bus.h"

#include <QDBusMessage>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "desktop/control_adaptor.h"
#include "desktop/mpris_adaptors.h"
#include "platform/desktop_identity.h"

namespace {

constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kControlName = desktop::kApplicationId;

void SendChanges(QDBusConnection& bus, const char* path, const char* interface,
                 const QVariantMap& changed) {
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(path, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString(interface) << changed << QStringList();
    bus.send(signal);
}

}  // namespace

DesktopBus::DesktopBus(Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), bus_(QString()) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    controlObject_ = new QObject(this);
    new ControlAdaptor(controlObject_, this);
}

DesktopBus::~DesktopBus() {
    if (started_) {
        bus_.unregisterService(kMprisName);
        bus_.unregisterService(kControlName);
        bus_.unregisterObject(kMprisPath);
        bus_.unregisterObject(kControlPath);
    }
}

bool DesktopBus::Start(const QDBusConnection& bus) {
    if (started_ || !bus.isConnected()) {
        return false;
    }
    bus_ = bus;
    if (hooks_.state) {
        state_ = hooks_.state();
    }
    const auto options = QDBusConnection::ExportAdaptors;
    if (!bus_.registerObject(kMprisPath, this, options) ||
        !bus_.registerObject(kControlPath, controlObject_, options)) {
        bus_.unregisterObject(kMprisPath);
        return false;
    }
    // Either name may be taken by another start under a different bus
    // address; the one we get still works.
    const bool mpris = bus_.registerService(kMprisName);
    const bool control = bus_.registerService(kControlName);
    if (!mpris && !control) {
        bus_.unregisterObject(kMprisPath);
        bus_.unregisterObject(kControlPath);
        return false;
    }
    started_ = true;
    return true;
}

void DesktopBus::Refresh() {
    if (!hooks_.state) {
        return;
    }
    const PlayerState before = state_;
    state_ = hooks_.state();
    if (started_ && !(before == state_)) {
        AnnounceChanges(before);
    }
}

void DesktopBus::AnnounceSeek(qint64 positionUs) {
    Refresh();
    if (started_) {
        emit seeked(positionUs);
    }
}

void DesktopBus::AnnounceChanges(const PlayerState& before) {
    QVariantMap player;
    if (PlaybackStatus(before) != PlaybackStatus(state_)) {
        player["PlaybackStatus"] = PlaybackStatus(state_);
    }
    const QVariantMap metadata = PlayerMetadata(state_);
    if (PlayerMetadata(before) != metadata) {
        player["Metadata"] = metadata;
    }
    if (before.volume != state_.volume) {
        player["Volume"] = state_.volume / 100.0;
    }
    if (before.archiveOpen != state_.archiveOpen) {
        player["CanGoNext"] = !state_.archiveOpen;
        player["CanGoPrevious"] = !state_.archiveOpen;
        player["CanSeek"] = state_.archiveOpen;
    }
    SendChanges(bus_, kMprisPath, kPlayerInterface, player);

    QVariantMap control;
    if (before.muted != state_.muted) {
        control["Muted"] = state_.muted;
    }
    if (before.recording != state_.recording) {
        control["Recording"] = state_.recording;
    }
    if (before.frequency != state_.frequency) {
        control["Frequency"] = static_cast<double>(state_.frequency);
    }
    if (before.station != state_.station) {
        control["Station"] = state_.station;
    }
    SendChanges(bus_, kControlPath, kControlInterface, control);
}

void DesktopBus::Command(BusCommand command) {
    if (hooks_.command) {
        hooks_.command(command);
    }
}

void DesktopBus::Hand(RadioAction action) {
    if (hooks_.act) {
        hooks_.act(action, QString());
    }
}

void DesktopBus::Act(RadioAction action, const QString& tuneText, const QDBusMessage& call) {
    std::optional<BusRefusal> refusal;
    if (hooks_.act) {
        refusal = hooks_.act(action, tuneText);
    } else {
        refusal = BusRefusal{"org.freedesktop.DBus.Error.NotSupported", "Not supported"};
    }
    if (refusal) {
        call.setDelayedReply(true);
        bus_.send(call.createErrorReply(refusal->error, refusal->message));
    }
}

void DesktopBus::TogglePlay() {
    Refresh();
    if (state_.archivePlaying) {
        StopPlaying();
    } else {
        Hand(state_.muted ? RadioAction::kUnmute : RadioAction::kMute);
    }
}

void DesktopBus::Play() {
    Refresh();
    if (!state_.archivePlaying && state_.muted) {
        Hand(RadioAction::kUnmute);
    }
}

void DesktopBus::Pause() {
    Refresh();
    if (state_.archivePlaying) {
        StopPlaying();
    } else if (!state_.muted) {
        Hand(RadioAction::kMute);
    }
}

void DesktopBus::StopPlaying() {
    Refresh();
    if (state_.archivePlaying) {
        Command(BusCommand::kStopPlayback);
    } else if (!state_.muted) {
        Hand(RadioAction::kMute);
    }
}

void DesktopBus::Next() {
    Command(BusCommand::kNextPreset);
}

void DesktopBus::Previous() {
    Command(BusCommand::kPreviousPreset);
}

void DesktopBus::SetVolume(double volume) {
    if (!hooks_.setVolume || std::isnan(volume)) {
        return;
    }
    // Below 0 is 0; the radio goes no louder than its full volume.
    const int percent = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0));
    hooks_.setVolume(percent);
    Refresh();
}

void DesktopBus::Seek(qint64 offsetUs) {
    Refresh();
    if (!state_.archiveOpen || !hooks_.seekTo) {
        return;
    }
    const qint64 target = std::clamp<qint64>(state_.positionUs + offsetUs, 0, state_.lengthUs);
    hooks_.seekTo(target);
}

void DesktopBus::SetPosition(const QString& trackId, qint64 positionUs) {
    Refresh();
    if (!state_.archiveOpen || !hooks_.seekTo || trackId != ArchiveTrackId(state_.archivePath) ||
        positionUs < 0 || positionUs > state_.lengthUs) {
        return;
    }
    hooks_.seekTo(positionUs);
}

void DesktopBus::Raise() {
    if (hooks_.raise) {
        hooks_.raise();
    }
}

void DesktopBus::Quit() {
    if (hooks_.quit) {
        hooks_.quit();
    }
}
