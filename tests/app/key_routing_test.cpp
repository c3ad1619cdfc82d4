#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/accelerators.h"
#include "app/command_ids.h"
#include "frame_fixture.h"

namespace {

constexpr auto kNone = Qt::NoModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kAlt = Qt::AltModifier;
constexpr unsigned kKept = 0;  // the focused widget keeps the key

enum W { Button, Check, Text, Spin, Slider, Face, Tree, Combo, Label };

}  // namespace

// One window with a widget of each kind and the window's accelerators: a key
// goes to the focused widget when it uses it, else it sends its command.
TEST(KeyRouting, KeysGoToTheFocusedWidgetThatUsesThemElseToTheWindow) {
    QWidget window;
    auto* tree = new QTreeWidget;
    auto* group = new QTreeWidgetItem(tree, {"News"});
    new QTreeWidgetItem(group, {"News_1.wav"});
    auto* combo = new QComboBox;
    combo->addItems({"All", "1", "2"});
    auto* face = new QSlider(Qt::Vertical);
    face->setProperty(kRadioKeysProperty, true);
    auto* label = new QLabel("89.9");
    label->setFocusPolicy(Qt::StrongFocus);
    auto* check = new QCheckBox("Box");
    QWidget* const widgets[] = {new QPushButton("Key"),
                                check,
                                new QLineEdit,
                                new QSpinBox,
                                new QSlider(Qt::Horizontal),
                                face,
                                tree,
                                combo,
                                label};
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : widgets) {
        layout->addWidget(w);
    }
    new TAccelerators(&window, &window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    struct Case {
        W focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        unsigned command;
    } const cases[] = {
        // Space presses a button, ticks a box, types; elsewhere it toggles playback.
        {Label, Qt::Key_Space, kNone, cmd::kTogglePlayback},
        {Button, Qt::Key_Space, kNone, kKept},
        {Check, Qt::Key_Space, kNone, kKept},
        {Text, Qt::Key_Space, kNone, kKept},
        {Tree, Qt::Key_Space, kNone, cmd::kTogglePlayback},
        // The radio keys on keys and labels, not in lists, spin boxes, sliders.
        {Button, Qt::Key_Home, kNone, cmd::kMuteButton},
        {Button, Qt::Key_PageUp, kNone, cmd::kTuneUp},
        {Tree, Qt::Key_Home, kNone, kKept},
        {Tree, Qt::Key_PageUp, kNone, kKept},
        {Spin, Qt::Key_PageUp, kNone, kKept},
        {Slider, Qt::Key_PageDown, kNone, kKept},
        {Combo, Qt::Key_Home, kNone, kKept},
        // The face's volume slider keeps its arrows; the radio keys stay.
        {Face, Qt::Key_Up, kNone, kKept},
        {Face, Qt::Key_PageUp, kNone, cmd::kTuneUp},
        {Face, Qt::Key_Home, kNone, cmd::kMuteButton},
        // Left and Right open groups in the tree; with Shift or Ctrl they
        // step the player, as everywhere but in text.
        {Tree, Qt::Key_Right, kNone, kKept},
        {Tree, Qt::Key_Right, kShift, cmd::kForwardMinute},
        {Tree, Qt::Key_Left, kCtrl, cmd::kBackMinute},
        {Text, Qt::Key_Left, kCtrl, kKept},
        {Label, Qt::Key_Right, kNone, cmd::kForwardMinute},
        // Ctrl and Alt keys reach the window from every kind of widget, but
        // a text field keeps Ctrl+V (paste) and a drop-down Alt+Down.
        {Tree, Qt::Key_PageUp, kCtrl, cmd::kScanUp},
        {Spin, Qt::Key_Up, kAlt, cmd::kVolumeUp},
        {Text, Qt::Key_R, kAlt, cmd::kRecord},
        {Text, Qt::Key_V, kCtrl, kKept},
        {Button, Qt::Key_V, kCtrl, cmd::kSoundCardVolume},
        {Combo, Qt::Key_Down, kAlt, kKept},
        {Check, Qt::Key_S, kCtrl | kAlt, cmd::kStopRecording},
    };
    for (const Case& c : cases) {
        QWidget* focus = widgets[c.focus];
        focus->setFocus();
        CommandSpy spy(&window, true);
        QTest::keyClick(focus, c.key, c.modifiers);
        LetWaitingMessagesRun();
        const std::vector<unsigned> expected =
            c.command == kKept ? std::vector<unsigned>{} : std::vector<unsigned>{c.command};
        EXPECT_EQ(spy.ids, expected) << focus->metaObject()->className() << " key " << std::hex
                                     << c.key << " modifiers " << c.modifiers.toInt();
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();  // the drop-down that Alt+Down opened
        }
    }
    // What the widgets did with the keys they kept.
    EXPECT_TRUE(check->isChecked());
    EXPECT_TRUE(group->isExpanded());
}

TEST(KeyRouting, LettersOfOtherLayoutsCountAsTheLatinKeyInTheirPlace) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 keySymbol, keyCode;
        int expected;
    } const cases[] = {
        {0x41A, kAlt, 0x6cb, 27, Qt::Key_R},          // Cyrillic KA where R is
        {0x3A3, kCtrl | kAlt, 0x7f3, 39, Qt::Key_S},  // Greek SIGMA where S is
        {0x41C, kCtrl, 0x6d6, 55, Qt::Key_V},         // Cyrillic EM where V is
        {0x417, kAlt, 'p', 0, Qt::Key_P},             // a Latin key symbol wins
        {Qt::Key_R, kAlt, 'r', 27, Qt::Key_R},        // Latin stays Latin
        {0x41A, kNone, 0x6cb, 27, 0x41A},             // typing, not a command
        {Qt::Key_PageUp, kCtrl, 0xff55, 112, Qt::Key_PageUp},
        {0x41A, kAlt, 0x6cb, 200, 0x41A},  // no letter at that place
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LayoutIndependentKey(c.key, c.modifiers, c.keySymbol, c.keyCode), c.expected)
            << std::hex << c.key;
    }
    const QKeyEvent cyrillicAltR(QEvent::KeyPress, 0x41A, kAlt, 27, 0x6cb, 0, QString("к"));
    EXPECT_EQ(TAccelerators::Route(cyrillicAltR, nullptr), cmd::kRecord);
}
