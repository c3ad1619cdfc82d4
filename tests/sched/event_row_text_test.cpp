#include <gtest/gtest.h>

#include "sched/event_defaults.h"
#include "sched/event_row_text.h"
#include "sched/list_comparator.h"

namespace {

constexpr int kMonday = 1 << 1;
constexpr int kTuesday = 1 << 2;
constexpr int kWednesday = 1 << 3;

PresetStations Presets() {
    PresetStations presets(64);
    presets[3] = {99.5f, "Coast"};
    presets[7] = {99.5f, "Second"};
    presets[32] = {0.53f, "Medium"};  // an AM preset never names a station
    return presets;
}

ScheduledEvent Event(const QString& name, float frequency, int startHour, int startMinute) {
    ScheduledEvent e;
    e.name = name;
    e.frequency = frequency;
    e.startHour = startHour;
    e.startMinute = startMinute;
    return e;
}

TEST(EventRowText, DaysNameTheCommonSetsAndOtherwiseListTheDays) {
    EXPECT_EQ(EventDaysText(127), "daily");
    EXPECT_EQ(EventDaysText(65), "weekend");
    EXPECT_EQ(EventDaysText(62), "weekday");
    EXPECT_EQ(EventDaysText(kMonday | kWednesday), "MW");
    EXPECT_EQ(EventDaysText(126), "MTuWThFSa");
    EXPECT_EQ(EventDaysText(1 | 64), "weekend");
    EXPECT_EQ(EventDaysText(1 | 2), "SuM");
    EXPECT_EQ(EventDaysText(0), "");
}

TEST(EventRowText, RowShowsEveryColumnAsTheListDoes) {
    ScheduledEvent e = Event("News", 99.5f, 7, 5);
    e.endHour = 0;
    e.endMinute = 0;
    e.days = kTuesday;
    e.keep = -1;
    e.action = kActionRecordOn;
    EXPECT_EQ(EventRowTexts(e, Presets()),
              QStringList({"News      ", "99.5 Coast", "7:05-0:00 Tu", "All", "Record+On"}));

    e.name = "A long programme name";
    e.keep = 3;
    e.action = 2;
    e.days = 0;
    const QStringList texts = EventRowTexts(e, Presets());
    EXPECT_EQ(texts[kColumnProgram], "A long programme name") << "no cut, no padding";
    EXPECT_EQ(texts[kColumnTime], "7:05-0:00 ") << "the trailing blank stays";
    EXPECT_EQ(texts[kColumnFiles], "3");
    EXPECT_EQ(texts[kColumnAction], "<undefined>");
}

TEST(EventRowText, StationShowsAmInTensOfKilohertzAndOnlyExactFmPresetNames) {
    EXPECT_EQ(EventStationText(0.53f, Presets()), "53.0 AM");
    EXPECT_EQ(EventStationText(1.71f, Presets()), "171.0 AM");
    EXPECT_EQ(EventStationText(99.51f, Presets()), "99.5") << "no preset has exactly this";
    EXPECT_EQ(EventStationText(0.5f, Presets()), "0.5");
    EXPECT_EQ(EventStationText(0.0f, Presets()), "0.0") << "empty presets name nothing";
    EXPECT_EQ(EventStationText(101.1f, {}), "101.1");
}

TEST(ListComparator, OrdersByEachColumnAndDescendingReverses) {
    const ListComparator compare;
    ScheduledEvent a = Event("alpha", 99.5f, 7, 30);
    ScheduledEvent b = Event("Beta", 101.5f, 6, 45);
    a.keep = -1;
    b.keep = 2;
    a.action = kActionRecordOn;
    b.action = kActionRecord;
    constexpr auto up = SortDirection::Ascending;
    constexpr auto down = SortDirection::Descending;

    EXPECT_LT(compare.Compare(a, b, kColumnProgram, up), 0) << "case is ignored";
    EXPECT_EQ(compare.Compare(a, b, kColumnStation, up), -2000);
    EXPECT_EQ(compare.Compare(a, b, kColumnStation, down), 2000);
    EXPECT_EQ(compare.Compare(a, b, kColumnTime, up), 45);
    EXPECT_EQ(compare.Compare(a, b, kColumnFiles, up), -3);
    EXPECT_EQ(compare.Compare(a, b, kColumnAction, up), 4);
    EXPECT_LT(compare.Compare(a, b, 9, up), 0) << "an unknown column sorts by name";

    b.frequency = 99.5004f;
    EXPECT_EQ(compare.Compare(a, b, kColumnStation, up), 0) << "less than a kHz apart";
}

TEST(ListComparator, SecondClickReversesAndAnotherColumnStartsAscending) {
    ListSortState sort;
    EXPECT_EQ(sort.column(), -1);
    sort.Click(kColumnStation);
    EXPECT_EQ(sort.direction(), SortDirection::Ascending);
    sort.Click(kColumnStation);
    EXPECT_EQ(sort.direction(), SortDirection::Descending);
    sort.Click(kColumnStation);
    EXPECT_EQ(sort.direction(), SortDirection::Ascending);
    sort.Click(kColumnStation);
    sort.Click(kColumnTime);
    EXPECT_EQ(sort.column(), kColumnTime);
    EXPECT_EQ(sort.direction(), SortDirection::Ascending);
}

TEST(EventDefaults, TodayFromThisHourToTheNextKeepingAllRecordings) {
    std::tm now{};
    now.tm_wday = 2;
    now.tm_hour = 14;
    now.tm_min = 35;
    ScheduledEvent e = DefaultEvent(101.1f, now);
    EXPECT_EQ(e.name, "");
    EXPECT_FLOAT_EQ(e.frequency, 101.1f);
    EXPECT_EQ(e.days, kTuesday);
    EXPECT_EQ(e.startHour, 14);
    EXPECT_EQ(e.startMinute, 0);
    EXPECT_EQ(e.endHour, 15);
    EXPECT_EQ(e.endMinute, 0);
    EXPECT_EQ(e.keep, -1);
    EXPECT_EQ(e.action, kActionRecordOn);

    now.tm_wday = 0;
    now.tm_hour = 23;
    e = DefaultEvent(0.53f, now);
    EXPECT_EQ(e.days, 1);
    EXPECT_EQ(e.endHour, 0) << "the next hour wraps at midnight";
}

}  // namespace
