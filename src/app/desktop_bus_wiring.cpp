#include "app/desktop_bus_wiring.h"

#include <QMetaObject>

#include "app/frame.h"
#include "app/radio_panel.h"
#include "app/settings_records.h"
#include "archive/arch_dialog.h"
#include "audio/splay.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

constexpr qint64 kMicroseconds = 1000 * 1000;

void ReadArchive(const TArchDialog* archive, PlayerState& state) {
    if (archive == nullptr || !archive->playing() || archive->player() == nullptr) {
        return;
    }
    SPlay* player = archive->player();
    state.archivePlaying = true;
    state.archivePath = QString::fromStdString(player->GetFileName());
    const qint64 perSecond = player->GetBytesPerSecond();
    if (perSecond > 0) {
        state.positionUs = player->GetPosition() * kMicroseconds / perSecond;
        state.lengthUs = player->GetLength() * kMicroseconds / perSecond;
    }
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
    hooks.command = [window](unsigned id) { PostMessage(window->radioPanel(), WM_COMMAND, id); };
    hooks.archiveCommand = [window](unsigned id) {
        PostMessage(window->archivePanel(), WM_COMMAND, id);
    };
    hooks.raise = [window] { PostMessage(window, WM_TRAY_RESTORE); };
    hooks.quit = [window] {
        QMetaObject::invokeMethod(window, &SDIDecFrame::RequestExit, Qt::QueuedConnection);
    };
    return hooks;
}
