#include "app/desktop_bus.h"

#include <QDBusMessage>
#include <QStringList>

#include "app/command_ids.h"
#include "app/control_adaptor.h"
#include "app/mpris_adaptors.h"
#include "platform/desktop_identity.h"

namespace {

constexpr int kPollMs = 500;
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kControlName = desktop::kApplicationId;

}  // namespace

DesktopBus::DesktopBus(Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), bus_(QString()) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    controlObject_ = new QObject(this);
    new ControlAdaptor(controlObject_, this);
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &DesktopBus::Refresh);
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
    poll_.start();
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

void DesktopBus::RefreshSoon() {
    QTimer::singleShot(0, this, &DesktopBus::Refresh);
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
    if (before.archivePlaying != state_.archivePlaying) {
        player["CanGoNext"] = !state_.archivePlaying;
        player["CanGoPrevious"] = !state_.archivePlaying;
    }
    // Jumps of the position (not its steady run) are told as a seek.
    if (state_.archivePlaying && before.archivePlaying &&
        before.archivePath == state_.archivePath &&
        (state_.positionUs < before.positionUs ||
         state_.positionUs > before.positionUs + 5 * 1000 * 1000)) {
        emit seeked(state_.positionUs);
    }
    auto send = [this](const char* interface, const QVariantMap& changed) {
        if (changed.isEmpty()) {
            return;
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            kMprisPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << QString(interface) << changed << QStringList();
        bus_.send(signal);
    };
    send(kPlayerInterface, player);

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
    if (!control.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kControlPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << QString(kControlInterface) << control << QStringList();
        bus_.send(signal);
    }
}

void DesktopBus::Command(unsigned id) {
    if (hooks_.command) {
        hooks_.command(id);
    }
    RefreshSoon();
}

void DesktopBus::Hand(uint32_t actionFlags, const QString& tuneText) {
    ActionBlock block;
    block.flags = actionFlags;
    block.SetTuneText(tuneText.toLocal8Bit());
    if (hooks_.actions) {
        hooks_.actions(block);
    }
    RefreshSoon();
}

void DesktopBus::TogglePlay() {
    Refresh();
    if (state_.archivePlaying) {
        StopPlaying();
    } else {
        Hand(state_.muted ? kActionFlagUnmute : kActionFlagMute);
    }
}

void DesktopBus::Play() {
    Refresh();
    if (!state_.archivePlaying && state_.muted) {
        Hand(kActionFlagUnmute);
    }
}

void DesktopBus::Pause() {
    Refresh();
    if (state_.archivePlaying) {
        StopPlaying();
    } else if (!state_.muted) {
        Hand(kActionFlagMute);
    }
}

void DesktopBus::StopPlaying() {
    Refresh();
    if (state_.archivePlaying) {
        if (hooks_.archiveCommand) {
            hooks_.archiveCommand(cmd::kStopPlayback);
        }
        RefreshSoon();
    } else if (!state_.muted) {
        Hand(kActionFlagMute);
    }
}

void DesktopBus::Next() {
    Command(cmd::kNextPreset);
}

void DesktopBus::Previous() {
    Command(cmd::kPreviousPreset);
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
