#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "sched/event_dialog.h"
#include "sched/event_row_text.h"
#include "sched/event_table.h"
#include "sched/sched_dialog.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"

namespace {

constexpr int kMonday = 1 << 1;
constexpr int kTuesday = 1 << 2;

ScheduledEvent Event(const QString& name, float frequency, int startHour, int endHour,
                     int days = kMonday) {
    ScheduledEvent e;
    e.name = name;
    e.frequency = frequency;
    e.days = days;
    e.startHour = startHour;
    e.endHour = endHour;
    e.keep = 5;
    e.action = kActionRecord;
    return e;
}

void ClickOk(TEventDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

class SchedDialogTest : public ::testing::Test {
  protected:
    SchedDialogTest() {
        presets_.resize(64);
        presets_[0] = {101.1f, "Coast"};
        presets_[1] = {99.5f, "Valley"};
        clock_.Set(2026, 12, 8, 14, 35);  // a Tuesday
    }

    void MakePanel() {
        TSchedDialog::Services services;
        services.presets = [this] { return presets_; };
        services.currentFrequency = [this] { return frequency_; };
        services.saveSettings = [this] { ++saves_; };
        services.openHelp = [this](const QString& topic) { helpTopics_.append(topic); };
        panel_ = std::make_unique<TSchedDialog>(table_, clock_, std::move(services));
        panel_->SetDialogRunner([this](TEventDialog& dialog) {
            ++dialogsRun_;
            dialog.show();
            if (answer_) {
                answer_(dialog);
            }
            return dialog.result();
        });
        panel_->resize(420, 260);
        panel_->show();
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int i = 0; i < panel_->list()->topLevelItemCount(); ++i) {
            texts.append(panel_->list()->topLevelItem(i)->text(column));
        }
        return texts;
    }

    void ClickHeader(int column) {
        QHeaderView* header = panel_->list()->header();
        const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    void SelectRows(std::initializer_list<int> rows) {
        panel_->list()->clearSelection();
        for (const int row : rows) {
            panel_->list()->topLevelItem(row)->setSelected(true);
        }
    }

    EventTable table_;
    FakeClock clock_;
    PresetStations presets_;
    float frequency_ = 101.1f;
    int saves_ = 0;
    int dialogsRun_ = 0;
    QStringList helpTopics_;
    std::function<void(TEventDialog&)> answer_;
    MessageBoxRecorder boxes_;
    std::unique_ptr<TSchedDialog> panel_;
};

TEST_F(SchedDialogTest, NewProposesThisHourTodayAndStoresWhatTheUserConfirms) {
    MakePanel();
    answer_ = [](TEventDialog& d) {
        EXPECT_EQ(d.nameEdit()->text(), "");
        EXPECT_EQ(d.stationBox()->currentText(), "101.10 Coast");
        EXPECT_EQ(d.startEdit()->text(), "14:00");
        EXPECT_EQ(d.endEdit()->text(), "15:00");
        for (int day = 0; day < 7; ++day) {
            EXPECT_EQ(d.dayBox(day)->isChecked(), day == 2) << day;
        }
        EXPECT_EQ(d.keepBox()->currentText(), "All");
        EXPECT_EQ(d.actionBox()->currentText(), "Record+On");
        QTest::keyClicks(d.nameEdit(), "Afternoon");
        ClickOk(d);
    };
    QTest::mouseClick(panel_->newButton(), Qt::LeftButton);

    ASSERT_EQ(table_.count(), 1);
    const ScheduledEvent& e = table_.at(0);
    EXPECT_EQ(e.name, "Afternoon");
    EXPECT_FLOAT_EQ(e.frequency, 101.1f);
    EXPECT_EQ(e.days, kTuesday);
    EXPECT_EQ(e.startHour, 14);
    EXPECT_EQ(e.endHour, 15);
    EXPECT_EQ(e.keep, -1);
    EXPECT_EQ(e.action, kActionRecordOn);
    EXPECT_EQ(Column(kColumnProgram), QStringList({"Afternoon "}));
    EXPECT_EQ(Column(kColumnStation), QStringList({"101.1 Coast"}));
    EXPECT_EQ(Column(kColumnTime), QStringList({"14:00-15:00 Tu"}));
    EXPECT_EQ(saves_, 1);
    EXPECT_TRUE(boxes_.calls().empty());
}

TEST_F(SchedDialogTest, NewLateInTheEveningEndsAtMidnightAndCancelStoresNothing) {
    clock_.Set(2026, 12, 8, 23, 10);
    frequency_ = 95.0f;
    MakePanel();
    answer_ = [](TEventDialog& d) {
        EXPECT_EQ(d.startEdit()->text(), "23:00");
        EXPECT_EQ(d.endEdit()->text(), "0:00");
        EXPECT_EQ(d.stationBox()->currentText(), "95.00") << "the frequency of no preset";
        QTest::keyClicks(d.nameEdit(), "Late");
        d.reject();
    };
    QTest::mouseClick(panel_->newButton(), Qt::LeftButton);
    EXPECT_EQ(table_.count(), 0);
    EXPECT_EQ(panel_->list()->topLevelItemCount(), 0);
    EXPECT_EQ(saves_, 1) << "Cancel saves as well";
}

TEST_F(SchedDialogTest, StationSortsBothWaysAndTheTimeColumnTellsTheDays) {
    table_.Add(Event("Weekdays", 101.1f, 6, 7, 62));
    table_.Add(Event("Twice", 99.5f, 8, 9, kMonday | (1 << 3)));
    table_.Add(Event("Always", 104.0f, 5, 6, 127));
    table_.Add(Event("Weekend", 0.53f, 10, 11, 65));
    MakePanel();
    EXPECT_EQ(Column(kColumnTime), QStringList({"6:00-7:00 weekday", "8:00-9:00 MW",
                                                "5:00-6:00 daily", "10:00-11:00 weekend"}));

    ClickHeader(kColumnStation);
    EXPECT_EQ(Column(kColumnStation),
              QStringList({"53.0 AM", "99.5 Valley", "101.1 Coast", "104.0"}));
    ClickHeader(kColumnStation);
    EXPECT_EQ(Column(kColumnStation),
              QStringList({"104.0", "101.1 Coast", "99.5 Valley", "53.0 AM"}));
    ClickHeader(kColumnProgram);
    EXPECT_EQ(Column(kColumnProgram).first(), "Always    ");
    EXPECT_EQ(table_.at(0).name, "Weekdays") << "sorting leaves the table's order alone";
}

TEST_F(SchedDialogTest, DeleteKeyRemovesTheSelectedRowsOfASortedList) {
    table_.Add(Event("A", 104.0f, 6, 7));
    table_.Add(Event("B", 99.5f, 8, 9));
    table_.Add(Event("C", 101.1f, 10, 11));
    table_.Add(Event("D", 88.0f, 12, 13));
    MakePanel();
    ClickHeader(kColumnStation);  // D B C A
    SelectRows({1, 2});           // B and C
    boxes_.SetAnswer(IDNO);
    QTest::keyClick(panel_->list(), Qt::Key_Delete);
    ASSERT_EQ(boxes_.calls().size(), 1u);
    EXPECT_EQ(boxes_.calls()[0].text, "Delete 2 events: \"B\", \"C\"?");
    EXPECT_EQ(boxes_.calls()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(table_.count(), 4) << "No keeps them";
    boxes_.SetAnswer(IDYES);
    QTest::keyClick(panel_->list(), Qt::Key_Delete);

    ASSERT_EQ(table_.count(), 2);
    EXPECT_EQ(table_.at(0).name, "A");
    EXPECT_EQ(table_.at(1).name, "D");
    EXPECT_EQ(Column(kColumnProgram), QStringList({"D         ", "A         "}));
    EXPECT_EQ(saves_, 1);

    // The rows left still lead to their events.
    SelectRows({1});
    answer_ = [](TEventDialog& d) {
        EXPECT_EQ(d.nameEdit()->text(), "A");
        d.reject();
    };
    QTest::mouseClick(panel_->editButton(), Qt::LeftButton);
    EXPECT_EQ(dialogsRun_, 1);
    QTest::keyClick(panel_->list(), Qt::Key_Return);  // Enter edits as well
    EXPECT_EQ(dialogsRun_, 2);
    QTest::keyClick(panel_->list(), Qt::Key_F1);
    EXPECT_EQ(helpTopics_, QStringList({"Timer_tab.html"}));
    EXPECT_EQ(DeleteQuestion({"News      "}), "Delete event \"News\"?");
}

TEST_F(SchedDialogTest, EditStoresAllAndAnAmStationAndRedrawsTheRowInPlace) {
    table_.Add(Event("First", 104.0f, 6, 7));
    table_.Add(Event("Second", 99.5f, 8, 9));
    MakePanel();
    ClickHeader(kColumnStation);  // Second First
    answer_ = [](TEventDialog& d) {
        EXPECT_EQ(d.keepBox()->currentText(), "5");
        EXPECT_EQ(d.stationBox()->currentText(), "104.00");
        Retype(d.keepBox()->lineEdit(), "all");
        Retype(d.stationBox()->lineEdit(), "53.0 AM");
        ClickOk(d);
    };
    // A double click is a press, a release and a second press.
    const QPoint row = panel_->list()->visualItemRect(panel_->list()->topLevelItem(1)).center();
    QTest::mouseClick(panel_->list()->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(dialogsRun_, 0) << "a single click only selects";
    QTest::mouseDClick(panel_->list()->viewport(), Qt::LeftButton, {}, row);

    EXPECT_EQ(dialogsRun_, 1);
    EXPECT_EQ(table_.at(0).keep, -1);
    EXPECT_FLOAT_EQ(table_.at(0).frequency, 0.53f);
    EXPECT_EQ(Column(kColumnProgram), QStringList({"Second    ", "First     "}));
    EXPECT_EQ(Column(kColumnFiles), QStringList({"5", "All"}));
    EXPECT_EQ(Column(kColumnStation), QStringList({"99.5 Valley", "53.0 AM"}));
    EXPECT_EQ(saves_, 1);
}

TEST_F(SchedDialogTest, NewAsksBeforeReplacingAnEventOfTheSameNameInAnyCase) {
    table_.Add(Event("News", 99.5f, 8, 9));
    MakePanel();
    answer_ = [this](TEventDialog& d) {
        QTest::keyClicks(d.nameEdit(), "NEWS");
        boxes_.SetAnswer(IDNO);
        ClickOk(d);
        ASSERT_EQ(boxes_.calls().size(), 1u);
        EXPECT_EQ(boxes_.calls()[0].text,
                  "An event named \"News\" exists already.\nReplace it with this event?");
        EXPECT_TRUE(d.isVisible());
        boxes_.SetAnswer(IDYES);
        ClickOk(d);
        EXPECT_FALSE(d.isVisible());
    };
    QTest::mouseClick(panel_->newButton(), Qt::LeftButton);
    ASSERT_EQ(table_.count(), 1);
    EXPECT_EQ(table_.at(0).name, "NEWS");
}

TEST_F(SchedDialogTest, EmptyNameAndUnknownActionAreRefusedAndTheDialogStays) {
    MakePanel();
    answer_ = [this](TEventDialog& d) {
        QTest::keyClicks(d.nameEdit(), "   ");
        ClickOk(d);
        ASSERT_EQ(boxes_.calls().size(), 1u);
        EXPECT_EQ(boxes_.calls()[0].text, "The event name must not be empty.");
        EXPECT_EQ(boxes_.calls()[0].caption, "Event");
        EXPECT_EQ(boxes_.calls()[0].icon, MessageIcon::Error);
        EXPECT_TRUE(d.isVisible());

        Retype(d.nameEdit(), "x");  // leading blanks are refused as well
        Retype(d.actionBox()->lineEdit(), "Tape it");
        ClickOk(d);
        ASSERT_EQ(boxes_.calls().size(), 2u);
        EXPECT_EQ(boxes_.calls()[1].text, "Must specify an event action.");
        EXPECT_EQ(boxes_.calls()[1].caption, "Event");
        EXPECT_TRUE(d.isVisible());

        Retype(d.actionBox()->lineEdit(), "radio on");
        ClickOk(d);
        EXPECT_FALSE(d.isVisible());
    };
    QTest::mouseClick(panel_->newButton(), Qt::LeftButton);
    ASSERT_EQ(table_.count(), 1);
    EXPECT_EQ(table_.at(0).name, "x");
    EXPECT_EQ(table_.at(0).action, kActionRadioOn);
}

TEST_F(SchedDialogTest, FieldsRefuseTheirForbiddenCharactersAsTyped) {
    MakePanel();
    answer_ = [this](TEventDialog& d) {
        QTest::keyClicks(d.nameEdit(), "a_b.c/d:e*f?g\\h i");
        EXPECT_EQ(d.nameEdit()->text(), "abcdefgh i");
        Retype(d.startEdit(), "7x:3q0 pm");
        EXPECT_EQ(d.startEdit()->text(), "7:30 pm");
        Retype(d.endEdit(), "2045");
        QTest::mouseClick(d.dayBox(2), Qt::LeftButton);  // Tuesday off
        QTest::mouseClick(d.dayBox(6), Qt::LeftButton);  // Saturday on
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
        EXPECT_EQ(helpTopics_, QStringList({"Event_Dialog.html"}));
        ClickOk(d);
    };
    QTest::mouseClick(panel_->newButton(), Qt::LeftButton);
    ASSERT_EQ(table_.count(), 1);
    EXPECT_EQ(table_.at(0).startHour, 19);
    EXPECT_EQ(table_.at(0).startMinute, 30);
    EXPECT_EQ(table_.at(0).endHour, 20);
    EXPECT_EQ(table_.at(0).endMinute, 45);
    EXPECT_EQ(table_.at(0).days, 1 << 6);
}

TEST_F(SchedDialogTest, EditThatMakesAnOverlapReportsTheConflict) {
    table_.Add(Event("Morning", 101.1f, 8, 9));
    table_.Add(Event("Later", 99.5f, 10, 11));
    MakePanel();
    SelectRows({1});
    answer_ = [](TEventDialog& d) {
        Retype(d.startEdit(), "8:30");
        ClickOk(d);
    };
    QTest::mouseClick(panel_->editButton(), Qt::LeftButton);
    ASSERT_EQ(boxes_.calls().size(), 1u);
    EXPECT_EQ(boxes_.calls()[0].caption, "Schedule conflict");
    EXPECT_EQ(boxes_.calls()[0].text,
              "\nSchedule conflict between events \"Later\" and \"Morning\".");
    EXPECT_EQ(table_.count(), 2) << "conflicting events are kept";
    EXPECT_EQ(Column(kColumnTime)[1], "8:30-11:00 M");
}

TEST_F(SchedDialogTest, FiftiethEventIsRefusedWithAMessage) {
    for (int i = 0; i < EventTable::kMaxEvents; ++i) {
        table_.Add(Event(QStringLiteral("E%1").arg(i), 101.1f, 0, 0, 0));
    }
    MakePanel();
    QTest::mouseClick(panel_->newButton(), Qt::LeftButton);
    EXPECT_EQ(dialogsRun_, 0) << "the user is told before typing an event in vain";
    ASSERT_EQ(boxes_.calls().size(), 1u);
    EXPECT_TRUE(boxes_.calls()[0].text.contains("49 events"));
    EXPECT_EQ(table_.count(), EventTable::kMaxEvents);

    // Room again after a delete.
    boxes_.SetAnswer(IDYES);
    SelectRows({0});
    QTest::mouseClick(panel_->deleteButton(), Qt::LeftButton);
    answer_ = [](TEventDialog& d) {
        QTest::keyClicks(d.nameEdit(), "Last");
        ClickOk(d);
    };
    QTest::mouseClick(panel_->newButton(), Qt::LeftButton);
    EXPECT_EQ(table_.count(), EventTable::kMaxEvents);
    EXPECT_EQ(table_.at(EventTable::kMaxEvents - 1).name, "Last");
}

TEST_F(SchedDialogTest, EnableBoxSwitchesTheTimersAndActivationRefills) {
    table_.setTimerEnable(false);
    MakePanel();
    EXPECT_FALSE(panel_->enableBox()->isChecked());
    QTest::mouseClick(panel_->enableBox(), Qt::LeftButton);
    EXPECT_TRUE(table_.timerEnable());
    EXPECT_EQ(saves_, 1);

    table_.Add(Event("Elsewhere", 101.1f, 6, 7));
    EXPECT_EQ(panel_->list()->topLevelItemCount(), 0);
    PostMessage(panel_.get(), WM_PANEL_ACTIVATED);
    QTRY_COMPARE_WITH_TIMEOUT(panel_->list()->topLevelItemCount(), 1, 10000);
    EXPECT_EQ(Column(kColumnProgram), QStringList({"Elsewhere "}));
}

TEST_F(SchedDialogTest, EditAndDeleteWithoutSelectionDoNothing) {
    table_.Add(Event("Only", 101.1f, 6, 7));
    MakePanel();
    panel_->list()->clearSelection();
    QTest::mouseClick(panel_->editButton(), Qt::LeftButton);
    QTest::mouseClick(panel_->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(dialogsRun_, 0);
    EXPECT_EQ(table_.count(), 1);
    EXPECT_EQ(saves_, 0);
}

TEST_F(SchedDialogTest, ListRefilledWhileTheEditorIsOpenStillShowsTheEdit) {
    table_.Add(Event("First", 104.0f, 6, 7));
    table_.Add(Event("Second", 99.5f, 8, 9));
    MakePanel();
    SelectRows({1});
    answer_ = [this](TEventDialog& d) {
        panel_->Refill();  // as on an activation during the dialog
        Retype(d.endEdit(), "9:45");
        ClickOk(d);
    };
    QTest::mouseClick(panel_->editButton(), Qt::LeftButton);
    EXPECT_EQ(table_.at(1).endMinute, 45);
    EXPECT_EQ(Column(kColumnTime), QStringList({"6:00-7:00 M", "8:00-9:45 M"}));
}

}  // namespace
