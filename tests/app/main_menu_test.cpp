#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/accelerators.h"
#include "app/command_ids.h"
#include "app/main_menu.h"
#include "app/recent_recordings.h"
#include "app/tab_window.h"
#include "frame_fixture.h"

namespace {

struct Item {
    unsigned id;
    const char* text;
    const char* menu;
    const char* hint;
};

const Item kItems[] = {
    {24310, "E&xit\tAlt+F4", "&File", "Save and Quit"},
    {162, "Radio\tHome-cursor", "&Control", ""},
    {151, "Tune up\tPgUp", "&Tune", ""},
    {136, "Tune down\tPgDn", "&Tune", ""},
    {153, "Fine tune up\tShift+PgUp", "&Tune", ""},
    {154, "Fine tune down\tShift+PgDn", "&Tune", ""},
    {157, "Scan up\tCtrl+PgUp", "&Tune", ""},
    {158, "Scan down\tCtrl+PgDn", "&Tune", ""},
    {159, "Next preset\tCtrl+Alt+PgUp", "&Tune", ""},
    {160, "Previous preset\tCtrl+Alt+PgDn", "&Tune", ""},
    {161, "Tune...\tCtrl+Alt+Shift+PgUp", "&Tune", ""},
    {132, "Radio Volume Up\tAlt+Up-cursor", "&Control", ""},
    {133, "Radio Volume Down\tAlt+Down-cursor", "&Control", ""},
    {141, "Record\tAlt+R", "&Control", ""},
    {142, "Stop recording\tCtrl+Alt+S", "&Control", ""},
    {202, "&Play archive file\tAlt+P", "&Control", ""},
    {203, "&Stop playback\tAlt+S", "&Control", ""},
    {214, "To&ggle playback\tSpace", "&Control", ""},
    {209, "&Forward 1 minute\tRight-cursor", "Positio&n", ""},
    {210, "Forward 1 second\tShift+Right-cursor", "Positio&n", ""},
    {208, "&Back 1 minute\tLeft-cursor", "Positio&n", ""},
    {211, "Back 1 second\tShift+Left-cursor", "Positio&n", ""},
    {25006, "&Preferences...", "&Options", "Configure program operation"},
    {25001, "&Mixer record control...\tCtrl+Shift+R", "&Options", ""},
    {25002, "Mixer pla&y control...\tCtrl+Shift+P", "&Options", ""},
    {25003, "Sound card &Volume...\tCtrl+V", "&Options", ""},
    {25015, "System Multimedia P&roperties...", "&Options", ""},
    {2001, "&Contents", "&Help", "Help table of contents"},
    {2002, "&Using help", "&Help", "Help on using online Help"},
    {25998, "Check for &Updates", "&Help", ""},
    {25996, "Plumora product web page", "&Help", ""},
    {25997, "Quillmoor Systems web site", "&Help", ""},
    {2009, "&About Plumora...", "&Help", "About the program"},
};

QString MenuOf(QAction* action) {
    for (QObject* o : action->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(o)) {
            return menu->title();
        }
    }
    return {};
}

}  // namespace

TEST_F(FrameTest, MenuHasEveryItemWithItsTextHintAndPlace) {
    MakeFrame();
    TMainMenu* menu = frame_->mainMenu();
    QStringList titles;
    for (QAction* top : frame_->menuBar()->actions()) {
        titles << top->text();
    }
    EXPECT_EQ(titles, (QStringList{"&File", "&Control", "&Options", "&Help"}));

    ASSERT_EQ(menu->commandActions().size(), int(std::size(kItems)));
    for (const Item& item : kItems) {
        QAction* action = menu->action(item.id);
        ASSERT_NE(action, nullptr) << item.id;
        EXPECT_EQ(action->text(), item.text) << item.id;
        EXPECT_EQ(action->data().toUInt(), item.id);
        EXPECT_EQ(action->statusTip(), item.hint) << item.id;
        EXPECT_EQ(MenuOf(action), item.menu) << item.id;
        // The keys are the frame's accelerators, never shortcuts of the items.
        EXPECT_TRUE(action->shortcut().isEmpty()) << item.id;
    }
}

TEST_F(FrameTest, MenuItemsPostTheirCommandsToTheFrame) {
    MakeFrame();
    CommandSpy radio(frame_->radioPanel(), true);
    frame_->mainMenu()->action(cmd::kRecord)->trigger();
    frame_->mainMenu()->action(cmd::kTuneDown)->trigger();
    frame_->mainMenu()->action(cmd::kForwardSecond)->trigger();
    LetWaitingMessagesRun();
    EXPECT_EQ(radio.ids, (std::vector<unsigned>{141, 136, 210}));
}

TEST_F(FrameTest, RadioItemShowsFrequencyAndIsCheckedWhileSoundIsOn) {
    MakeFrame();
    TAppDialog* radio = frame_->radioPanel();
    radio->TuneTo(94.3f);
    radio->SetMute(false, false);
    emit frame_->mainMenu()->controlMenu()->aboutToShow();
    QAction* item = frame_->mainMenu()->action(cmd::kRadioToggle);
    EXPECT_EQ(item->text(), "Radio 94.30\tHome");
    EXPECT_TRUE(item->isChecked());

    radio->TuneTo(101.05f);
    radio->SetMute(true, true);
    emit frame_->mainMenu()->controlMenu()->aboutToShow();
    EXPECT_EQ(item->text(), "Radio 101.05\tHome");
    EXPECT_FALSE(item->isChecked());
}

TEST_F(FrameTest, RecentRecordingsStandAheadOfExitAndOpenInTheArchive) {
    MakeFrame();
    RecentRecordings& recent = app_->recentRecordings();
    for (int i = 0; i < 9; ++i) {
        recent.Add(QString("/rec/take%1.wav").arg(i));
    }
    recent.Add("/rec/" + QString(50, 'n') + ".mp3");
    recent.Add("/rec/Rock & Roll_1.ogg");
    QMenu* file = frame_->mainMenu()->fileMenu();
    emit file->aboutToShow();

    const QList<QAction*> entries = file->actions();
    ASSERT_EQ(entries.size(), 7 + 2);  // seven recordings, a separator, Exit
    EXPECT_EQ(entries[0]->text(), "&1 Rock && Roll_1.ogg");
    EXPECT_EQ(entries[1]->text().size(), 3 + 40);
    EXPECT_EQ(entries[2]->text(), "&3 take8.wav");
    EXPECT_TRUE(entries[7]->isSeparator());
    EXPECT_EQ(entries[8]->data().toUInt(), cmd::kExit);

    // Opening the menu again does not add the entries twice.
    emit file->aboutToShow();
    EXPECT_EQ(file->actions().size(), 9);

    file->actions()[2]->trigger();
    LetWaitingMessagesRun();
    EXPECT_EQ(frame_->tabWindow()->currentWidget()->objectName(), "Archive");
}

class AcceleratorTest : public FrameTest {};

TEST_F(AcceleratorTest, KeysReachTheirCommandsWithTheMenuHidden) {
    MakeFrame(false, /*showMenu=*/false);
    ShowFrame();
    EXPECT_FALSE(frame_->menuBar()->isVisible());
    CommandSpy radio(frame_->radioPanel(), /*swallow=*/true);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Key keys[] = {
        {Qt::Key_R, Qt::AltModifier},
        {Qt::Key_S, Qt::ControlModifier | Qt::AltModifier},
        {Qt::Key_Home, Qt::NoModifier},
        {Qt::Key_PageDown, Qt::NoModifier},
        {Qt::Key_PageUp, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier},
        {Qt::Key_Up, Qt::AltModifier},
        {Qt::Key_Space, Qt::NoModifier},
        {Qt::Key_Right, Qt::ShiftModifier},
        {Qt::Key_Right, Qt::ControlModifier},
        {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_P, Qt::AltModifier},
    };
    for (const Key& k : keys) {
        QTest::keyClick(frame_.get(), k.key, k.modifiers);
    }
    LetWaitingMessagesRun();
    EXPECT_EQ(radio.ids,
              (std::vector<unsigned>{141, 142, 139, 152, 161, 132, 214, 209, 209, 208, 202}));
}

TEST_F(AcceleratorTest, OtherKeysAndKeysOfOtherWindowsAreLeftAlone) {
    MakeFrame();
    ShowFrame();
    CommandSpy radio(frame_->radioPanel(), true);
    QTest::keyClick(frame_.get(), Qt::Key_Q, Qt::AltModifier);
    QTest::keyClick(frame_.get(), Qt::Key_Right, Qt::AltModifier);

    QWidget other;
    other.show();
    QTest::keyClick(&other, Qt::Key_R, Qt::AltModifier);
    LetWaitingMessagesRun();
    EXPECT_TRUE(radio.ids.empty());
}

TEST(Accelerators, TableGivesTheCommandOfEachKey) {
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_PageUp, Qt::NoModifier), cmd::kTuneUp);
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_PageUp, Qt::ShiftModifier), cmd::kFineTuneUp);
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_PageDown, Qt::ControlModifier), cmd::kScanDown);
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_PageDown, Qt::ControlModifier | Qt::AltModifier),
              cmd::kPreviousPreset);
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_Down, Qt::AltModifier), cmd::kVolumeDown);
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_S, Qt::AltModifier), cmd::kStopPlayback);
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier),
              cmd::kMixerRecord);
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_V, Qt::ControlModifier), cmd::kSoundCardVolume);
    // The keypad's keys do what the main keys do.
    EXPECT_EQ(TAccelerators::CommandFor(Qt::Key_Home, Qt::KeypadModifier), cmd::kMuteButton);
    EXPECT_FALSE(TAccelerators::CommandFor(Qt::Key_Right, Qt::AltModifier));
    EXPECT_FALSE(TAccelerators::CommandFor(Qt::Key_Home, Qt::ControlModifier));
}
