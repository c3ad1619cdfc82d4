#include <gtest/gtest.h>

#include <QStringList>

#include "prefs/settings_store_fixture.h"
#include "sched/event_table.h"

namespace {

ScheduledEvent Event(const QString& name, int startHour = 8) {
    ScheduledEvent e;
    e.name = name;
    e.frequency = 101.1f;
    e.days = kWeekdays;
    e.startHour = startHour;
    e.endHour = startHour + 1;
    e.keep = -1;
    e.action = kActionRecordOn;
    return e;
}

QStringList Names(const EventTable& table) {
    QStringList names;
    for (int i = 0; i < table.count(); ++i) {
        names << table.at(i).name;
    }
    return names;
}

TEST(EventTableTest, AddAppendsAndFindIgnoresCase) {
    EventTable table;
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(table.timerEnable());
    ASSERT_TRUE(table.Add(Event("News")));
    ASSERT_TRUE(table.Add(Event("Jazz")));
    EXPECT_EQ(Names(table), QStringList({"News", "Jazz"}));
    EXPECT_EQ(table.Find("jAZZ"), 1);
    EXPECT_EQ(table.Find("NEWS"), 0);
    EXPECT_EQ(table.Find("Sport"), -1);
}

TEST(EventTableTest, AddReplacesAnEventOfTheSameNameWhateverItsCase) {
    EventTable table;
    table.Add(Event("News", 7));
    table.Add(Event("Jazz"));
    ScheduledEvent replacement = Event("NEWS", 19);
    ASSERT_TRUE(table.Add(replacement));
    // The old event is gone and the new one comes last.
    EXPECT_EQ(Names(table), QStringList({"Jazz", "NEWS"}));
    EXPECT_EQ(table.at(1), replacement);
}

TEST(EventTableTest, EventsWithoutNameAreNeverReplaced) {
    EventTable table;
    table.Add(Event(""));
    table.Add(Event(""));
    EXPECT_EQ(table.count(), 2);
}

TEST(EventTableTest, AddRefusesTheFiftiethEvent) {
    EventTable table;
    for (int i = 0; i < EventTable::kMaxEvents; ++i) {
        ASSERT_TRUE(table.Add(Event(QString("E%1").arg(i)))) << i;
    }
    EXPECT_EQ(table.count(), 49);
    EXPECT_FALSE(table.Add(Event("One too many")));
    // Even a replacement is refused while the table is full.
    EXPECT_FALSE(table.Add(Event("e0", 20)));
    EXPECT_EQ(table.count(), 49);
    EXPECT_EQ(table.at(0).startHour, 8);
    EXPECT_EQ(table.Find("One too many"), -1);
    // Once there is room again, adding works.
    ASSERT_TRUE(table.Remove("E10"));
    EXPECT_TRUE(table.Add(Event("One more")));
    EXPECT_EQ(table.count(), 49);
}

TEST(EventTableTest, RemoveTakesTheFirstMatchAndKeepsTheOrder) {
    EventTable table;
    for (const char* name : {"A", "B", "C", "D"}) {
        table.Add(Event(name));
    }
    EXPECT_TRUE(table.Remove("b"));
    EXPECT_EQ(Names(table), QStringList({"A", "C", "D"}));
    EXPECT_FALSE(table.Remove("B"));
    EXPECT_TRUE(table.Remove("D"));
    EXPECT_TRUE(table.Remove("A"));
    EXPECT_EQ(Names(table), QStringList({"C"}));
}

TEST(EventTableTest, ReplaceWritesInPlaceOnlyInsideTheTable) {
    EventTable table;
    table.Add(Event("A"));
    table.Add(Event("B"));
    EXPECT_TRUE(table.Replace(0, Event("Renamed", 12)));
    EXPECT_EQ(Names(table), QStringList({"Renamed", "B"}));
    EXPECT_EQ(table.at(0).startHour, 12);
    EXPECT_FALSE(table.Replace(2, Event("C")));
    EXPECT_FALSE(table.Replace(-1, Event("C")));
    EXPECT_EQ(table.count(), 2);
}

TEST(EventActionTest, TextsOfTheActions) {
    EXPECT_EQ(EventActionText(kActionNone), "no action");
    EXPECT_EQ(EventActionText(kActionRecord), "Record");
    EXPECT_EQ(EventActionText(kActionRadioOn), "Radio On");
    EXPECT_EQ(EventActionText(kActionRecordOn), "Record+On");
    EXPECT_EQ(EventActionText(2), "<undefined>");
    EXPECT_EQ(EventActionText(-1), "<undefined>");
    // Undefined values act by their bits.
    EXPECT_TRUE(ActionRecords(3));
    EXPECT_FALSE(ActionAudible(3));
    EXPECT_TRUE(ActionAudible(6));
    EXPECT_FALSE(ActionRecords(6));
}

class EventPersistenceTest : public SettingsStoreTest {
  protected:
    EventTable Load() {
        EventTable table;
        LoadEvents(Reader(), table);
        return table;
    }
};

TEST_F(EventPersistenceTest, FreshInstallationHasNoEventsAndTimersOn) {
    const EventTable table = Load();
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(table.timerEnable());
}

TEST_F(EventPersistenceTest, EventsAndTheTimerSwitchSurviveARoundTrip) {
    EventTable saved;
    saved.setTimerEnable(false);
    ScheduledEvent am = Event("Morning AM", 6);
    am.frequency = 0.53f;
    am.days = kWeekend;
    am.startMinute = 45;
    am.endMinute = 5;
    am.keep = 3;
    am.action = kActionRadioOn;
    saved.Add(Event("News"));
    saved.Add(am);
    SaveEvents(Writer(), saved);
    EXPECT_EQ(Writer().QueryString("Event0"), "101.1000 62 8 0 9 0 -1 5");
    EXPECT_EQ(Writer().QueryString("Event1"), "0.5300 65 6 45 7 5 3 4");
    EXPECT_EQ(Writer().QueryByte("EventCount"), 2);
    EXPECT_EQ(Writer().QueryByte("TimerEnable"), 0);

    const EventTable loaded = Load();
    EXPECT_FALSE(loaded.timerEnable());
    ASSERT_EQ(loaded.count(), 2);
    EXPECT_EQ(loaded.at(0), saved.at(0));
    EXPECT_EQ(loaded.at(1), am);
}

TEST_F(EventPersistenceTest, EventsWithoutNameAreSkippedAndTheRestRenumbered) {
    EventTable saved;
    saved.Add(Event("A"));
    saved.Add(Event(""));
    saved.Add(Event("C", 15));
    SaveEvents(Writer(), saved);
    EXPECT_EQ(Writer().QueryByte("EventCount"), 2);
    EXPECT_EQ(Writer().QueryString("EventName1"), "C");
    EXPECT_FALSE(Writer().Contains("EventName2"));

    const EventTable loaded = Load();
    EXPECT_EQ(Names(loaded), QStringList({"A", "C"}));
    EXPECT_EQ(loaded.at(1).startHour, 15);
}

TEST_F(EventPersistenceTest, LeftoversOfALongerTableAreNotRead) {
    EventTable saved;
    for (const char* name : {"A", "B", "C"}) {
        saved.Add(Event(name));
    }
    SaveEvents(Writer(), saved);
    saved.Remove("B");
    saved.Remove("C");
    SaveEvents(Writer(), saved);
    EXPECT_EQ(Names(Load()), QStringList({"A"}));
}

TEST_F(EventPersistenceTest, ACountAboveTheTableReadsOnlyWhatTheTableHolds) {
    for (int i = 0; i < 60; ++i) {
        Writer().SetString(QString("Event%1").arg(i), QString("%1.0000 127 1 0 2 0 -1 5").arg(i));
        Writer().SetString(QString("EventName%1").arg(i), QString("E%1").arg(i));
    }
    Writer().SetByte("EventCount", 60);
    EventTable table = Load();
    ASSERT_EQ(table.count(), EventTable::kMaxEvents);
    EXPECT_EQ(table.at(48).name, "E48");
    EXPECT_FLOAT_EQ(table.at(48).frequency, 48.0f);
    EXPECT_EQ(table.Find("E49"), -1);
    // The loaded table is full, as after 49 adds.
    EXPECT_FALSE(table.Add(Event("New")));
}

TEST_F(EventPersistenceTest, UnreadableFieldsKeepZerosAndRecordPlusOn) {
    Writer().SetString("Event0", "garbage");
    Writer().SetString("Event1", "101.5 62 8 x 9 0 2 1");
    Writer().SetString("Event2", "99.0 1 2 3 4 5 6");  // no action given
    Writer().SetBinary("Event3", "binary");
    Writer().SetString("Event4", "88.8000 3.5 7");  // "%d" stops at the point
    for (int i = 0; i < 6; ++i) {                   // Event5 is missing altogether
        Writer().SetString(QString("EventName%1").arg(i), QString("E%1").arg(i));
    }
    Writer().SetByte("EventCount", 6);
    const EventTable table = Load();
    ASSERT_EQ(table.count(), 6);

    ScheduledEvent cleared;
    cleared.action = kActionRecordOn;
    for (int i : {0, 3, 5}) {
        cleared.name = QString("E%1").arg(i);
        EXPECT_EQ(table.at(i), cleared) << i;
    }

    const ScheduledEvent& partial = table.at(1);
    EXPECT_FLOAT_EQ(partial.frequency, 101.5f);
    EXPECT_EQ(partial.days, 62);
    EXPECT_EQ(partial.startHour, 8);
    EXPECT_EQ(partial.startMinute, 0);
    EXPECT_EQ(partial.endHour, 0);
    EXPECT_EQ(partial.keep, 0);
    EXPECT_EQ(partial.action, kActionRecordOn);

    const ScheduledEvent& noAction = table.at(2);
    EXPECT_EQ(noAction.keep, 6);
    EXPECT_EQ(noAction.action, kActionRecordOn);

    const ScheduledEvent& stopped = table.at(4);
    EXPECT_FLOAT_EQ(stopped.frequency, 88.8f);
    EXPECT_EQ(stopped.days, 3);
    EXPECT_EQ(stopped.startHour, 0);
}

TEST_F(EventPersistenceTest, DamagedSwitchAndCountLoadAsDefaults) {
    Writer().SetString("TimerEnable", "0");
    Writer().SetString("EventCount", "3");
    Writer().SetString("Event0", "101.1 1 1 1 1 1 1 1");
    Writer().SetString("EventName0", "A");
    EXPECT_TRUE(Load().timerEnable());
    EXPECT_EQ(Load().count(), 0);
}

TEST_F(EventPersistenceTest, TimerSwitchIsSetByAnyByteButZero) {
    Writer().SetByte("TimerEnable", 9);
    EXPECT_TRUE(Load().timerEnable());
    Writer().SetByte("TimerEnable", 0);
    EXPECT_FALSE(Load().timerEnable());
}

TEST_F(EventPersistenceTest, LoadingReplacesTheTableAndCutsLongNames) {
    Writer().SetString("Event0", "90.0000 1 1 0 2 0 -1 1");
    Writer().SetString("EventName0", QString(300, 'n'));
    Writer().SetByte("EventCount", 1);
    EventTable table;
    table.Add(Event("Old"));
    table.Add(Event("Older"));
    LoadEvents(Reader(), table);
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.at(0).name, QString(259, 'n'));
    EXPECT_EQ(table.at(0).action, kActionRecord);
}

}  // namespace
