#include "app/desktop_bus_wiring.h"

#include <QMetaObject>
#include <QSlider>

#include "app/command_ids.h"
#include "app/frame.h"
#include "app/radio_panel.h"
#include "app/record_control.h"
#include "app/settings_records.h"
#include "app/station_text.h"
#include "app/tune_text.h"
#include "app/tuner_control.h"
#include "archive/arch_dialog.h"
#include "archive/archive_player.h"
#include "audio/wave_device_choice.h"
#include "platform/post_message.h"
#include "platform/wave_device.h"
#include "platform/window_messages.h"

namespace {

void ReadArchive(const TArchDialog* archive, PlayerState& state) {
    if (archive == nullptr || archive->playerControl().player() == nullptr) {
        return;
    }
    // Through the control: a player opening its device is not asked.
    const ArchivePlayer& control = archive->playerControl();
    state.archiveOpen = true;
    state.archivePlaying = control.playing();
    state.archivePath = control.path();
    const RecordingInfo& info = control.info();
    if (info.station > 0) {
        state.archiveArtist = FrequencyText(static_cast<float>(info.station));
    } else {
        state.archiveArtist = info.eventName;
    }
    state.positionUs = control.PositionUs();
    state.lengthUs = control.LengthUs();
}

unsigned CommandId(BusCommand command) {
    switch (command) {
        case BusCommand::kNextPreset:
            return cmd::kNextPreset;
        case BusCommand::kPreviousPreset:
            return cmd::kPreviousPreset;
        case BusCommand::kTuneUp:
            return cmd::kTuneUp;
        case BusCommand::kTuneDown:
            return cmd::kTuneDownKey;
        case BusCommand::kVolumeUp:
            return cmd::kVolumeUp;
        case BusCommand::kVolumeDown:
            return cmd::kVolumeDown;
        case BusCommand::kStopPlayback:
            return cmd::kStopPlayback;
    }
    return 0;
}

}  // namespace

DesktopBus::Hooks FrameHooks(SDIDecFrame& frame, const SettingsRecords& settings) {
    DesktopBus::Hooks hooks;
    SDIDecFrame* window = &frame;
    hooks.state = [window, &settings] {
        PlayerState state;
        const TAppDialog* radio = window->radioPanel();
        state.muted = radio->muted();
        state.frequency = radio->frequency();
        state.recording = radio->recording();
        state.station = StationText(state.frequency, settings.presets, settings.radioPanel.bank);
        state.volume = settings.volume;
        ReadArchive(window->archivePanel(), state);
        return state;
    };
    hooks.command = [window](BusCommand command) {
        QObject* panel = command == BusCommand::kStopPlayback
                             ? static_cast<QObject*>(window->archivePanel())
                             : static_cast<QObject*>(window->radioPanel());
        PostMessage(panel, WM_COMMAND, CommandId(command));
    };
    hooks.setVolume = [window](int percent) {
        // Through the panel's slider, which sets the mixer and shows it.
        if (auto* slider = window->radioPanel()->findChild<QSlider*>("Volume")) {
            slider->setValue(100 - percent);
        }
    };
    hooks.seekTo = [window](qint64 positionUs) {
        window->archivePanel()->playerControl().SeekToTime(positionUs);
    };
    hooks.raise = [window] { PostMessage(window, WM_TRAY_RESTORE); };
    hooks.quit = [window] {
        QMetaObject::invokeMethod(window, &SDIDecFrame::RequestExit, Qt::QueuedConnection);
    };
    return hooks;
}

void ConnectStateChanges(SDIDecFrame& frame, DesktopBus& bus) {
    TAppDialog* radio = frame.radioPanel();
    TunerControl& tuner = radio->tuner();
    QObject::connect(&tuner, &TunerControl::tuned, &bus, &DesktopBus::Refresh);
    QObject::connect(&tuner, &TunerControl::muteChanged, &bus, &DesktopBus::Refresh);
    if (auto* slider = radio->findChild<QSlider*>("Volume")) {
        QObject::connect(slider, &QSlider::valueChanged, &bus, &DesktopBus::Refresh);
    }
    if (RecordControl* records = radio->recordControl()) {
        QObject::connect(records, &RecordControl::recordingStarted, &bus, &DesktopBus::Refresh);
        QObject::connect(records, &RecordControl::recordingEnded, &bus, &DesktopBus::Refresh);
        QObject::connect(records, &RecordControl::recordingFailed, &bus, &DesktopBus::Refresh);
    }
    if (TArchDialog* archive = frame.archivePanel()) {
        ArchivePlayer* player = &archive->playerControl();
        QObject::connect(player, &ArchivePlayer::stateChanged, &bus, &DesktopBus::Refresh);
        QObject::connect(player, &ArchivePlayer::seeked, &bus,
                         [player, &bus] { bus.AnnounceSeek(player->PositionUs()); });
    }
}

bool CanOpenCaptureDevice(const QString& deviceSetting) {
    const WaveDeviceChoice choice = ChooseWaveDevice(
        WaveDirection::kInput, deviceSetting.toStdString(), NameMatch::kIgnoreCase);
    if (choice.name.empty()) {
        return false;
    }
    // A device without format conversion takes some formats only.
    for (const WaveFormat& format : {WaveFormat::Pcm(2, 44100, 16), WaveFormat::Pcm(2, 48000, 16),
                                     WaveFormat::Pcm(1, 8000, 16)}) {
        int result = kWaveOk;
        if (WaveDevice::Open(WaveDirection::kInput, choice.name, format, nullptr, nullptr,
                             kWaveOpenPlain, &result) != nullptr) {
            return true;
        }
        if (result == kWaveNotAnswering) {
            return false;  // asked once: the caller waits no longer than the time-out
        }
    }
    return false;
}

std::optional<BusRefusal> RefuseAction(RadioAction action, const QString& tuneText,
                                       const PresetTable& presets, bool haveCaptureDevice) {
    if (action == RadioAction::kTune &&
        !FrequencyFromTuneText(tuneText.toUtf8(), presets).has_value()) {
        return BusRefusal{
            "com.quillmoor.Plumora.Error.UnknownStation",
            QStringLiteral("\"%1\" is neither a frequency above 0.5 MHz nor the name of an FM "
                           "preset.")
                .arg(tuneText)};
    }
    if (action == RadioAction::kRecord && !haveCaptureDevice) {
        return BusRefusal{"com.quillmoor.Plumora.Error.NoCaptureDevice",
                          "There is no sound input device to record from."};
    }
    return std::nullopt;
}
