#include <gtest/gtest.h>

#include "sched/event_fields.h"
#include "sched/scheduled_event.h"

namespace {

void ExpectTime(const QString& text, int hour, int minute) {
    const EventTime t = ParseEventTime(text);
    EXPECT_EQ(t.hour, hour) << text.toStdString();
    EXPECT_EQ(t.minute, minute) << text.toStdString();
}

TEST(EventFields, TimesAsUsersTypeThem) {
    ExpectTime("7:30", 7, 30);
    ExpectTime("1930", 19, 30);
    ExpectTime("7:30pm", 19, 30);
    ExpectTime("12:15am", 0, 15);
    ExpectTime("12pm", 12, 0);
    ExpectTime("25:70", 1, 10);
    ExpectTime("7", 7, 0);
    ExpectTime("7:5", 7, 5);
    ExpectTime("193045", 19, 30);  // seconds are read and dropped
    ExpectTime("1:2:3:4:5", 1, 2);
    ExpectTime("  8 : 15 ", 8, 15);
    ExpectTime("", 0, 0);
    ExpectTime(QString(5000, QLatin1Char('p')), 12, 0);  // no overflow
    EXPECT_EQ(FormatEventTime(0, 5), "0:05");
    EXPECT_EQ(FormatEventTime(23, 45), "23:45");
}

TEST(EventFields, NameAndTimeCharacters) {
    for (const QChar c : QStringLiteral("_./:*?\\")) {
        EXPECT_FALSE(IsEventNameCharAllowed(c)) << c.toLatin1();
    }
    for (const QChar c : QStringLiteral("aZ 9-+%()")) {
        EXPECT_TRUE(IsEventNameCharAllowed(c)) << c.toLatin1();
    }
    for (const QChar c : QStringLiteral("0123456789:apmAPM ")) {
        EXPECT_TRUE(IsEventTimeCharAllowed(c)) << c.toLatin1();
    }
    for (const QChar c : QStringLiteral("bx.-h")) {
        EXPECT_FALSE(IsEventTimeCharAllowed(c)) << c.toLatin1();
    }
    EXPECT_TRUE(IsEventNameBlank(""));
    EXPECT_TRUE(IsEventNameBlank("   "));
    EXPECT_FALSE(IsEventNameBlank(" x "));
}

TEST(EventFields, StationKeepAndAction) {
    EXPECT_FLOAT_EQ(ParseStationFrequency("53.0 AM"), 0.53f);
    EXPECT_FLOAT_EQ(ParseStationFrequency("54 am Radio"), 0.54f);
    EXPECT_FLOAT_EQ(ParseStationFrequency("101.10 Coast"), 101.1f);
    EXPECT_FLOAT_EQ(ParseStationFrequency("Coast 101.1"), 0.0f) << "no leading number";
    EXPECT_FLOAT_EQ(ParseStationFrequency(""), 0.0f);

    EXPECT_EQ(ParseKeepText("all"), -1);
    EXPECT_EQ(ParseKeepText("ALL"), -1);
    EXPECT_EQ(ParseKeepText("5 files"), 5);
    EXPECT_EQ(ParseKeepText("none"), std::nullopt) << "keeps what the event had";
    EXPECT_EQ(KeepText(-1), "All");
    EXPECT_EQ(KeepText(10), "10");

    EXPECT_EQ(ParseEventAction("record+on"), kActionRecordOn);
    EXPECT_EQ(ParseEventAction("Record"), kActionRecord);
    EXPECT_EQ(ParseEventAction("RADIO ON"), kActionRadioOn);
    EXPECT_EQ(ParseEventAction("no action"), kActionNone);
    EXPECT_EQ(ParseEventAction("Record + On"), std::nullopt);
    EXPECT_EQ(ParseEventAction(""), std::nullopt);
}

TEST(EventFields, StationListSelectsTheLastNearPresetOrAddsTheEventsOwn) {
    PresetStations presets(64);
    presets[0] = {101.1f, "Coast"};
    presets[1] = {101.15f, "Near"};
    presets[2] = {0.3f, "Too low"};
    presets[32] = {0.54f, "Medium"};

    StationChoices c = MakeStationChoices(presets, 101.1f);
    EXPECT_EQ(c.entries, QStringList({"101.10 Coast", "101.15 Near", "54.0 AM Medium"}));
    EXPECT_EQ(c.selected, 1) << "both are within 0.09; the last one wins";

    c = MakeStationChoices(presets, 0.54f);
    EXPECT_EQ(c.selected, 2);

    c = MakeStationChoices(presets, 0.541f);
    EXPECT_EQ(c.entries.size(), 4) << "AM entries allow less than a kHz";
    EXPECT_EQ(c.entries.last(), "54.1 AM");
    EXPECT_EQ(c.selected, 3);

    c = MakeStationChoices(presets, 95.0f);
    EXPECT_EQ(c.entries.last(), "95.00");
    EXPECT_EQ(c.selected, 3);

    c = MakeStationChoices(presets, 0.0f);
    EXPECT_EQ(c.entries.size(), 3);
    EXPECT_EQ(c.selected, -1);
}

}  // namespace
