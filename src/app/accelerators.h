#pragma once

#include <QObject>
#include <QPointer>
#include <optional>

class QKeyEvent;
class QWidget;

// What a focused widget does with keys, by its kind.
enum class FocusKind {
    Other,       // uses none of the accelerators' keys (labels, the read-out)
    Button,      // push and tool buttons: Space presses them
    CheckBox,    // check boxes and radio buttons: Space ticks them
    Text,        // text fields: Space, the cursor keys, Ctrl+letter
    SpinBox,     // a text field whose Up, Down, PgUp and PgDn step the value
    Slider,      // sliders and scroll bars: cursor keys, Home, End, PgUp, PgDn
    FaceSlider,  // the radio face's volume slider: cursor keys only, so that
                 // Home, PgUp and PgDn stay the radio's keys there
    ItemView,    // trees and lists: cursor keys (Left and Right open and
                 // close groups), Home, End, PgUp, PgDn
    ComboBox,    // Up, Down, Home, End, PgUp, PgDn, Alt+Up/Down, Space;
                 // an editable one also what text fields use
    TabBar,      // Left and Right change the tab
};

// The kind of a focused widget; null is Other. A slider that carries the
// property kRadioKeysProperty set to true is a FaceSlider.
FocusKind FocusKindOf(const QWidget* widget);
constexpr char kRadioKeysProperty[] = "plumoraRadioKeys";

// Whether a focused widget of the kind uses the key itself; the window's
// accelerators then give way to it.
bool FocusUsesKey(FocusKind kind, int key, Qt::KeyboardModifiers modifiers);

// The key to look up for a key typed with Ctrl or Alt: with a layout whose
// letters are not Latin (Cyrillic, Greek...) the Latin letter of the same
// key, from the key symbol if it is Latin, else from the key's place on the
// keyboard (X key codes). Other keys are returned as they are.
int LayoutIndependentKey(int key, Qt::KeyboardModifiers modifiers, quint32 nativeVirtualKey,
                         quint32 nativeScanCode);

// The frame's keyboard accelerators. They are looked at before any control
// of the frame sees a key, whether or not the menu bar is shown, and post
// WM_COMMAND with their command id to the command target. Keys in other
// windows (dialogs, open menus) and keys the focused widget uses itself are
// left alone.
class TAccelerators : public QObject {
    Q_OBJECT
  public:
    TAccelerators(QWidget* window, QObject* commandTarget);
    ~TAccelerators() override;

    // The command of a key with its modifiers; nothing for other keys.
    static std::optional<unsigned> CommandFor(int key, Qt::KeyboardModifiers modifiers);
    // The command of a key event with the focus on the widget given; nothing
    // when the widget uses the key.
    static std::optional<unsigned> Route(const QKeyEvent& key, const QWidget* focus);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool InWindow(QObject* watched) const;

    QPointer<QWidget> window_;
    QPointer<QObject> target_;
};
