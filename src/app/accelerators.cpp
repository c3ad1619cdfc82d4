#include "app/accelerators.h"

#include <algorithm>
#include <initializer_list>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTextEdit>
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

bool IsOneOf(int key, std::initializer_list<int> keys) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool IsArrow(int key) {
    return IsOneOf(key, {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down});
}

bool IsPaging(int key) {
    return IsOneOf(key, {Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown});
}

bool TextUses(int key, Qt::KeyboardModifiers m) {
    if (m & kAlt) {
        return false;
    }
    if (key == Qt::Key_Space) {
        return true;
    }
    // Cursor moves and selections, also by words (Ctrl).
    if (IsOneOf(key, {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End})) {
        return true;
    }
    // Copy, paste, undo... (Ctrl+V pastes; the sound card's volume waits).
    return m == kCtrl && key >= Qt::Key_A && key <= Qt::Key_Z;
}

// The X key codes of the letters A to Z on a keyboard's usual places.
constexpr quint32 kLetterKeyCodes[26] = {38, 56, 54, 40, 26, 41, 42, 43, 31, 44, 45, 46, 58,
                                         57, 32, 33, 24, 27, 39, 28, 30, 55, 25, 53, 29, 52};

bool IsLatinLetter(int key) {
    return key >= Qt::Key_A && key <= Qt::Key_Z;
}

}  // namespace

FocusKind FocusKindOf(const QWidget* widget) {
    if (widget == nullptr) {
        return FocusKind::Other;
    }
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget)) {
        return FocusKind::CheckBox;
    }
    if (qobject_cast<const QAbstractButton*>(widget)) {
        return FocusKind::Button;
    }
    if (qobject_cast<const QAbstractSpinBox*>(widget)) {
        return FocusKind::SpinBox;
    }
    if (qobject_cast<const QAbstractSlider*>(widget)) {
        return widget->property(kRadioKeysProperty).toBool() ? FocusKind::FaceSlider
                                                             : FocusKind::Slider;
    }
    if (qobject_cast<const QComboBox*>(widget)) {
        return FocusKind::ComboBox;
    }
    if (qobject_cast<const QAbstractItemView*>(widget)) {
        return FocusKind::ItemView;
    }
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
        qobject_cast<const QPlainTextEdit*>(widget)) {
        return FocusKind::Text;
    }
    if (qobject_cast<const QTabBar*>(widget)) {
        return FocusKind::TabBar;
    }
    // The viewport of a list or a text area has the focus for it.
    if (const QWidget* parent = widget->parentWidget();
        parent &&
        (qobject_cast<const QAbstractItemView*>(parent) || qobject_cast<const QTextEdit*>(parent) ||
         qobject_cast<const QPlainTextEdit*>(parent))) {
        return FocusKindOf(parent);
    }
    return FocusKind::Other;
}

bool FocusUsesKey(FocusKind kind, int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers m = modifiers & kRelevant;
    const bool plain = m == kNone || m == kShift;
    switch (kind) {
        case FocusKind::Other:
            return false;
        case FocusKind::Button:
        case FocusKind::CheckBox:
            return key == Qt::Key_Space && m == kNone;
        case FocusKind::Text:
            return TextUses(key, m);
        case FocusKind::SpinBox:
            return TextUses(key, m) || (plain && IsOneOf(key, {Qt::Key_Up, Qt::Key_Down,
                                                               Qt::Key_PageUp, Qt::Key_PageDown}));
        case FocusKind::Slider:
            return plain && (IsArrow(key) || IsPaging(key));
        case FocusKind::FaceSlider:
            return m == kNone && IsArrow(key);
        case FocusKind::ItemView:
            // Ctrl moves the current row without selecting; Left and Right
            // with Shift or Ctrl stay the player's steps.
            if (IsOneOf(key, {Qt::Key_Left, Qt::Key_Right})) {
                return m == kNone;
            }
            if (IsOneOf(key, {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End})) {
                return m == kNone || m == kShift || m == kCtrl;
            }
            return plain && IsOneOf(key, {Qt::Key_PageUp, Qt::Key_PageDown});
        case FocusKind::ComboBox:
            if (m == kAlt) {
                return IsOneOf(key, {Qt::Key_Up, Qt::Key_Down});
            }
            return TextUses(key, m) || (m == kNone && (IsArrow(key) || IsPaging(key)));
        case FocusKind::TabBar:
            return m == kNone && IsOneOf(key, {Qt::Key_Left, Qt::Key_Right});
    }
    return false;
}

int LayoutIndependentKey(int key, Qt::KeyboardModifiers modifiers, quint32 nativeVirtualKey,
                         quint32 nativeScanCode) {
    if (!(modifiers & (kCtrl | kAlt)) || IsLatinLetter(key) || key < 0x80 ||
        (key >= Qt::Key_Escape && key < Qt::Key_unknown)) {
        return key;  // already Latin, or not a letter at all
    }
    // Key symbols of Latin letters are their ASCII codes.
    if (nativeVirtualKey >= 'a' && nativeVirtualKey <= 'z') {
        return Qt::Key_A + int(nativeVirtualKey - 'a');
    }
    if (nativeVirtualKey >= 'A' && nativeVirtualKey <= 'Z') {
        return Qt::Key_A + int(nativeVirtualKey - 'A');
    }
    for (int i = 0; i < 26; ++i) {
        if (kLetterKeyCodes[i] == nativeScanCode) {
            return Qt::Key_A + i;
        }
    }
    return key;
}

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

std::optional<unsigned> TAccelerators::Route(const QKeyEvent& event, const QWidget* focus) {
    const int key = LayoutIndependentKey(event.key(), event.modifiers(), event.nativeVirtualKey(),
                                         event.nativeScanCode());
    const auto id = CommandFor(key, event.modifiers());
    if (!id || FocusUsesKey(FocusKindOf(focus), key, event.modifiers())) {
        return std::nullopt;
    }
    return id;
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
    const auto id = Route(*key, QApplication::focusWidget());
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
