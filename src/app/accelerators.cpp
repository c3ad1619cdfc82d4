#include "app/accelerators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "app/command_ids.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

struct Accelerator {
    int key;
    Qt::KeyboardModifiers modifiers;
    unsigned id;
};

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;

const Accelerator kTable[] = {
    {Qt::Key_Home, kNone, cmd::kMuteButton},
    {Qt::Key_PageUp, kNone, cmd::kTuneUp},
    {Qt::Key_PageDown, kNone, cmd::kTuneDownKey},
    {Qt::Key_PageUp, kShift, cmd::kFineTuneUp},
    {Qt::Key_PageDown, kShift, cmd::kFineTuneDown},
    {Qt::Key_PageUp, kCtrl, cmd::kScanUp},
    {Qt::Key_PageDown, kCtrl, cmd::kScanDown},
    {Qt::Key_PageUp, kCtrl | kAlt, cmd::kNextPreset},
    {Qt::Key_PageDown, kCtrl | kAlt, cmd::kPreviousPreset},
    {Qt::Key_PageUp, kCtrl | kAlt | kShift, cmd::kTuneDialog},
    {Qt::Key_Up, kAlt, cmd::kVolumeUp},
    {Qt::Key_Down, kAlt, cmd::kVolumeDown},
    {Qt::Key_R, kAlt, cmd::kRecord},
    {Qt::Key_S, kCtrl | kAlt, cmd::kStopRecording},
    {Qt::Key_P, kAlt, cmd::kPlayArchive},
    {Qt::Key_S, kAlt, cmd::kStopPlayback},
    {Qt::Key_Space, kNone, cmd::kTogglePlayback},
    // The archive reads Shift and Ctrl itself to choose the step.
    {Qt::Key_Right, kNone, cmd::kForwardMinute},
    {Qt::Key_Right, kShift, cmd::kForwardMinute},
    {Qt::Key_Right, kCtrl, cmd::kForwardMinute},
    {Qt::Key_Right, kCtrl | kShift, cmd::kForwardMinute},
    {Qt::Key_Left, kNone, cmd::kBackMinute},
    {Qt::Key_Left, kShift, cmd::kBackMinute},
    {Qt::Key_Left, kCtrl, cmd::kBackMinute},
    {Qt::Key_Left, kCtrl | kShift, cmd::kBackMinute},
    {Qt::Key_R, kCtrl | kShift, cmd::kMixerRecord},
    {Qt::Key_P, kCtrl | kShift, cmd::kMixerPlay},
    {Qt::Key_V, kCtrl, cmd::kSoundCardVolume},
};

constexpr Qt::KeyboardModifiers kRelevant = kShift | kCtrl | kAlt;

}  // namespace

TAccelerators::TAccelerators(QWidget* window, QObject* commandTarget)
    : QObject(window), window_(window), target_(commandTarget) {
    qApp->installEventFilter(this);
}

TAccelerators::~TAccelerators() {
    qApp->removeEventFilter(this);
}

std::optional<unsigned> TAccelerators::CommandFor(int key, Qt::KeyboardModifiers modifiers) {
    // The keypad's keys count as the keys they stand for.
    modifiers &= kRelevant;
    for (const Accelerator& a : kTable) {
        if (a.key == key && a.modifiers == modifiers) {
            return a.id;
        }
    }
    return std::nullopt;
}

bool TAccelerators::InWindow(QObject* watched) const {
    if (window_ == nullptr || QApplication::activePopupWidget() != nullptr) {
        return false;
    }
    if (auto* widget = qobject_cast<QWidget*>(watched)) {
        return widget->window() == window_;
    }
    if (auto* handle = qobject_cast<QWindow*>(watched)) {
        return handle == window_->windowHandle();
    }
    return false;
}

bool TAccelerators::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const auto id = CommandFor(key->key(), key->modifiers());
    if (!id || !InWindow(watched)) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // Keep the key from the shortcuts and mnemonics of the controls; it
        // comes back as a key press, which is where the command goes out.
        event->accept();
        return true;
    }
    // Taken here, the key goes no further: one command per key press.
    if (target_ != nullptr) {
        PostMessage(target_, WM_COMMAND, *id);
    }
    event->accept();
    return true;
}
