#include <gtest/gtest.h>

#include <QStringList>

#include "prefs/settings_store_fixture.h"
#include "sched/event_table.h"

namespace {

ScheduledEvent Event(const QString& name, int startHour = 8) {
    return ScheduledEvent{name,          101.1f, kWeekdays, startHour,      0,
                          startHour + 1, 0,      -1,        kActionRecordOn};
}

QStringList Names(const EventTable& table) {
    QStringList names;
    for (int i = 0; i < table.count(); ++i) {
        names << table.at(i).name;
    }
    return names;
}

TEST(EventTableTest, AddAppendsAndReplacesTheSameNameWhateverItsCase) {
    EventTable table;
    ASSERT_TRUE(table.Add(Event("News", 7)));
    ASSERT_TRUE(table.Add(Event("Jazz")));
    ASSERT_TRUE(table.Add(Event("")));
    ASSERT_TRUE(table.Add(Event("")));  // events without name never replace each other
    EXPECT_EQ(table.Find("jAZZ"), 1);
    EXPECT_EQ(table.Find("Sport"), -1);

    ASSERT_TRUE(table.Add(Event("NEWS", 19)));
    EXPECT_EQ(Names(table), QStringList({"Jazz", "", "", "NEWS"}));
    EXPECT_EQ(table.at(3).startHour, 19);
}

TEST(EventTableTest, AddRefusesTheFiftiethEventEvenAsAReplacement) {
    EventTable table;
    for (int i = 0; i < EventTable::kMaxEvents; ++i) {
        ASSERT_TRUE(table.Add(Event(QString("E%1").arg(i)))) << i;
    }
    EXPECT_FALSE(table.Add(Event("One too many")));
    EXPECT_FALSE(table.Add(Event("e0", 20)));
    EXPECT_EQ(table.count(), 49);
    EXPECT_EQ(table.at(0).startHour, 8);
    ASSERT_TRUE(table.Remove("E10"));
    EXPECT_TRUE(table.Add(Event("One more")));
}

TEST(EventTableTest, RemoveTakesTheFirstMatchAndKeepsTheOrder) {
    EventTable table;
    for (const char* name : {"A", "B", "C", "D"}) {
        table.Add(Event(name));
    }
    // Writing in place does not check names, so a name may occur twice.
    EXPECT_TRUE(table.Replace(3, Event("b")));
    EXPECT_FALSE(table.Replace(4, Event("X")));
    EXPECT_TRUE(table.Remove("b"));
    EXPECT_EQ(Names(table), QStringList({"A", "C", "b"}));
    EXPECT_TRUE(table.Remove("A"));
    EXPECT_FALSE(table.Remove("A"));
    EXPECT_EQ(Names(table), QStringList({"C", "b"}));
}

TEST(EventActionTest, TextsOfTheActions) {
    EXPECT_EQ(EventActionText(kActionNone), "no action");
    EXPECT_EQ(EventActionText(kActionRecord), "Record");
    EXPECT_EQ(EventActionText(kActionRadioOn), "Radio On");
    EXPECT_EQ(EventActionText(kActionRecordOn), "Record+On");
    EXPECT_EQ(EventActionText(2), "<undefined>");
    EXPECT_EQ(EventActionText(-1), "<undefined>");
}

class EventPersistenceTest : public SettingsStoreTest {
  protected:
    EventTable Load() {
        EventTable table;
        table.Add(Event("Stale"));  // loading replaces the table
        LoadEvents(Reader(), table);
        return table;
    }
};

TEST_F(EventPersistenceTest, MissingOrDamagedSwitchAndCountGiveNoEventsAndTimersOn) {
    EXPECT_EQ(Load(), EventTable());
    Writer().SetString("TimerEnable", "0");
    Writer().SetString("EventCount", "1");
    Writer().SetString("Event0", "101.1 1 1 1 1 1 1 1");
    Writer().SetString("EventName0", "A");
    EXPECT_EQ(Load(), EventTable());
}

TEST_F(EventPersistenceTest, EventsAndTheTimerSwitchSurviveARoundTrip) {
    EventTable saved;
    saved.setTimerEnable(false);
    saved.Add(Event("News"));
    saved.Add(ScheduledEvent{"Morning AM", 0.53f, kWeekend, 6, 45, 7, 5, 3, kActionRadioOn});
    SaveEvents(Writer(), saved);
    EXPECT_EQ(Writer().QueryString("Event0"), "101.1000 62 8 0 9 0 -1 5");
    EXPECT_EQ(Writer().QueryString("Event1"), "0.5300 65 6 45 7 5 3 4");
    EXPECT_EQ(Load(), saved);
}

TEST_F(EventPersistenceTest, EventsWithoutNameAreSkippedAndTheRestRenumbered) {
    EventTable saved;
    for (const char* name : {"A", "B", "C", "D"}) {
        saved.Add(Event(name));
    }
    SaveEvents(Writer(), saved);
    saved.Replace(1, Event(""));
    saved.Remove("D");
    SaveEvents(Writer(), saved);
    EXPECT_EQ(Writer().QueryByte("EventCount"), 2);
    EXPECT_EQ(Writer().QueryString("EventName1"), "C");
    // Leftovers of the longer table stay in the store but are not read.
    EXPECT_EQ(Writer().QueryString("EventName3"), "D");
    EXPECT_EQ(Names(Load()), QStringList({"A", "C"}));
}

TEST_F(EventPersistenceTest, HandEditedNamesLoseWhatTheEditorRefuses) {
    const char* names[] = {"Talk", "Talk_Show", "A.b/c:d*e?f\\g", "_._", "talk_", "Late"};
    for (int i = 0; i < 6; ++i) {
        Writer().SetString(QString("Event%1").arg(i), QString("%1.0 127 1 0 2 0 -1 5").arg(90 + i));
        Writer().SetString(QString("EventName%1").arg(i), names[i]);
    }
    Writer().SetByte("EventCount", 6);
    const EventTable table = Load();
    // A name that only now matches an earlier event's is not loaded; the rest
    // keep their own fields, and a name left blank is kept as a nameless one.
    EXPECT_EQ(Names(table), QStringList({"Talk", "TalkShow", "Abcdefg", "", "Late"}));
    EXPECT_FLOAT_EQ(table.at(4).frequency, 95.0f);
}

TEST_F(EventPersistenceTest, ACountAboveTheTableReadsOnlyWhatTheTableHolds) {
    for (int i = 0; i < 60; ++i) {
        Writer().SetString(QString("Event%1").arg(i), QString("%1.0 127 1 0 2 0 -1 5").arg(i));
        Writer().SetString(QString("EventName%1").arg(i), QString("E%1").arg(i));
    }
    Writer().SetByte("EventCount", 60);
    EventTable table = Load();
    ASSERT_EQ(table.count(), EventTable::kMaxEvents);
    EXPECT_EQ(table.at(48).name, "E48");
    EXPECT_FLOAT_EQ(table.at(48).frequency, 48.0f);
    EXPECT_FALSE(table.Add(Event("New")));  // full, as after 49 adds
}

TEST_F(EventPersistenceTest, UnreadableFieldsKeepZerosAndRecordPlusOn) {
    const char* const texts[] = {
        "garbage", "101.5 62 8 x 9 0 2 1",
        "99.0 1 2 3 4 5 6",  // no action given
        "88.8 3.5 7",        // "%d" stops at the point
    };
    for (int i = 0; i < 4; ++i) {
        Writer().SetString(QString("Event%1").arg(i), texts[i]);
    }
    Writer().SetBinary("Event4", "binary");
    Writer().SetString("EventName5", QString(300, 'n'));  // Event5 itself is missing
    Writer().SetByte("EventCount", 6);
    const EventTable table = Load();
    ASSERT_EQ(table.count(), 6);
    EXPECT_EQ(table.at(0), (ScheduledEvent{"", 0, 0, 0, 0, 0, 0, 0, kActionRecordOn}));
    EXPECT_EQ(table.at(1), (ScheduledEvent{"", 101.5f, 62, 8, 0, 0, 0, 0, kActionRecordOn}));
    EXPECT_EQ(table.at(2), (ScheduledEvent{"", 99.0f, 1, 2, 3, 4, 5, 6, kActionRecordOn}));
    EXPECT_EQ(table.at(3), (ScheduledEvent{"", 88.8f, 3, 0, 0, 0, 0, 0, kActionRecordOn}));
    EXPECT_EQ(table.at(4), (ScheduledEvent{"", 0, 0, 0, 0, 0, 0, 0, kActionRecordOn}));
    EXPECT_EQ(table.at(5).name, QString(259, 'n'));
    EXPECT_EQ(table.at(5).action, kActionRecordOn);
}

}  // namespace
