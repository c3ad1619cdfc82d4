#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/accelerators.h"
#include "app/command_ids.h"
#include "frame_fixture.h"

namespace {

// A window with one widget of each kind and its accelerators; the commands
// they send are recorded.
class KeyRoutingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        button_ = new QPushButton("Key", &window_);
        check_ = new QCheckBox("Box", &window_);
        text_ = new QLineEdit(&window_);
        spin_ = new QSpinBox(&window_);
        spin_->setRange(0, 100);
        spin_->setValue(50);
        slider_ = new QSlider(Qt::Horizontal, &window_);
        face_ = new QSlider(Qt::Vertical, &window_);
        face_->setProperty(kRadioKeysProperty, true);
        tree_ = new QTreeWidget(&window_);
        group_ = new QTreeWidgetItem(tree_, {"News"});
        new QTreeWidgetItem(group_, {"News_1.wav"});
        new QTreeWidgetItem(tree_, {"Jazz"});
        combo_ = new QComboBox(&window_);
        combo_->addItems({"All", "1", "2"});
        plain_ = new QLabel("89.9", &window_);
        plain_->setFocusPolicy(Qt::StrongFocus);
        for (QWidget* w : std::initializer_list<QWidget*>{button_, check_, text_, spin_, slider_,
                                                          face_, tree_, combo_, plain_}) {
            layout->addWidget(w);
        }
        accelerators_ = new TAccelerators(&window_, &window_);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    // The commands the key sent with the focus on the widget.
    std::vector<unsigned> Press(QWidget* focus, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        focus->setFocus();
        CommandSpy spy(&window_, true);
        QTest::keyClick(focus, key, modifiers);
        LetWaitingMessagesRun();
        return spy.ids;
    }

    enum class W { Button, Check, Text, Spin, Slider, Face, Tree, Combo, Plain };
    QWidget* Widget(W w) const {
        QWidget* const widgets[] = {button_, check_, text_,  spin_, slider_,
                                    face_,   tree_,  combo_, plain_};
        return widgets[int(w)];
    }

    QWidget window_;
    QPushButton* button_;
    QCheckBox* check_;
    QLineEdit* text_;
    QSpinBox* spin_;
    QSlider* slider_;
    QSlider* face_;
    QTreeWidget* tree_;
    QTreeWidgetItem* group_;
    QComboBox* combo_;
    QLabel* plain_;
    TAccelerators* accelerators_;
};

constexpr auto kNone = Qt::NoModifier;
constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kAlt = Qt::AltModifier;
constexpr unsigned kTaken = 0;  // the focused widget keeps the key

}  // namespace

TEST_F(KeyRoutingTest, KeysGoToTheFocusedWidgetThatUsesThemElseToTheWindow) {
    struct Case {
        W focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        unsigned command;
    } const cases[] = {
        // Space presses a button and ticks a box; elsewhere it toggles playback.
        {W::Plain, Qt::Key_Space, kNone, cmd::kTogglePlayback},
        {W::Button, Qt::Key_Space, kNone, kTaken},
        {W::Check, Qt::Key_Space, kNone, kTaken},
        {W::Text, Qt::Key_Space, kNone, kTaken},
        {W::Tree, Qt::Key_Space, kNone, cmd::kTogglePlayback},
        // The radio keys on keys and labels, not in lists, spin boxes, sliders.
        {W::Button, Qt::Key_Home, kNone, cmd::kMuteButton},
        {W::Button, Qt::Key_PageUp, kNone, cmd::kTuneUp},
        {W::Tree, Qt::Key_Home, kNone, kTaken},
        {W::Tree, Qt::Key_PageUp, kNone, kTaken},
        {W::Spin, Qt::Key_PageUp, kNone, kTaken},
        {W::Slider, Qt::Key_PageDown, kNone, kTaken},
        {W::Combo, Qt::Key_Home, kNone, kTaken},
        // The face's volume slider keeps its arrows; the radio keys stay.
        {W::Face, Qt::Key_Up, kNone, kTaken},
        {W::Face, Qt::Key_PageUp, kNone, cmd::kTuneUp},
        {W::Face, Qt::Key_Home, kNone, cmd::kMuteButton},
        // Left and Right open groups in the tree; with Shift or Ctrl they step
        // the player, as they do everywhere but in text.
        {W::Tree, Qt::Key_Right, kNone, kTaken},
        {W::Tree, Qt::Key_Right, kShift, cmd::kForwardMinute},
        {W::Tree, Qt::Key_Left, kCtrl, cmd::kBackMinute},
        {W::Text, Qt::Key_Left, kCtrl, kTaken},
        {W::Plain, Qt::Key_Right, kNone, cmd::kForwardMinute},
        // Ctrl and Alt keys reach the window from every kind of widget, but a
        // text field keeps Ctrl+V (paste) and a drop-down Alt+Down.
        {W::Tree, Qt::Key_PageUp, kCtrl, cmd::kScanUp},
        {W::Spin, Qt::Key_Up, kAlt, cmd::kVolumeUp},
        {W::Text, Qt::Key_R, kAlt, cmd::kRecord},
        {W::Text, Qt::Key_V, kCtrl, kTaken},
        {W::Button, Qt::Key_V, kCtrl, cmd::kSoundCardVolume},
        {W::Combo, Qt::Key_Down, kAlt, kTaken},
        {W::Check, Qt::Key_S, kCtrl | kAlt, cmd::kStopRecording},
    };
    for (const Case& c : cases) {
        QWidget* focus = Widget(c.focus);
        const std::vector<unsigned> sent = Press(focus, c.key, c.modifiers);
        const std::vector<unsigned> expected =
            c.command == kTaken ? std::vector<unsigned>{} : std::vector<unsigned>{c.command};
        EXPECT_EQ(sent, expected) << focus->metaObject()->className() << " key " << std::hex
                                  << c.key << " modifiers " << c.modifiers.toInt();
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();  // a drop-down that opened
            LetWaitingMessagesRun();
        }
    }
    // What the widgets did with the keys they kept.
    EXPECT_TRUE(check_->isChecked());
    EXPECT_TRUE(group_->isExpanded());
}

TEST(KeyRouting, LettersOfOtherLayoutsCountAsTheLatinKeyInTheirPlace) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 virtualKey, scanCode;
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
        EXPECT_EQ(LayoutIndependentKey(c.key, c.modifiers, c.virtualKey, c.scanCode), c.expected)
            << std::hex << c.key;
    }
    // Through the window's accelerators, as the keyboard sends it.
    const QKeyEvent cyrillicAltR(QEvent::KeyPress, 0x41A, kAlt, 27, 0x6cb, 0, QString("к"));
    EXPECT_EQ(TAccelerators::Route(cyrillicAltR, nullptr), cmd::kRecord);
}
