#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "app/record_control.h"
#include "app/settings_records.h"
#include "audio/wave_test_files.h"
#include "fake_recorder.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"

namespace {

// The panel's side, as far as the record control asks: no mixer, a tuner
// that is always there, no buttons.
class PlainView : public RecordControlView {
  public:
    void TuneTo(float mhz) override { frequency_ = mhz; }
    void SetMute(bool radio, bool) override { muted_ = radio; }
    bool muted() const override { return muted_; }
    float frequency() const override { return frequency_; }
    bool AskTuner() override { return true; }
    SMixer* inputMixer() override { return nullptr; }
    void ShowRecordButtons(bool, bool) override {}
    void HideRecordButtons() override {}
    QObject* stateIconReceiver() override { return nullptr; }
    void SetStatusText(const QString&) override {}
    SMeter* levelMeter() override { return nullptr; }

  private:
    float frequency_ = 89.9f;
    bool muted_ = false;
};

struct WeekEvent {
    const char* name;
    int days;        // bit 0 Sunday
    int start, end;  // hhmm
};

constexpr int kMon = 2, kTue = 4, kWed = 8, kThu = 16, kFri = 32, kSat = 64, kSun = 1;

// From Monday 19 October 2026 to the Monday after, across the night the
// clocks go back: back to back, overlapping, across midnight, in the
// repeated hour, every day and every weekday.
constexpr WeekEvent kWeek[] = {
    {"News", kWeekdays, 745, 800},    {"Early1", kMon, 600, 630},    {"Early2", kMon, 630, 700},
    {"Early3", kMon, 700, 730},       {"Noon", kMon, 1200, 1300},    {"Overlap", kMon, 1230, 1330},
    {"Daily", kEveryDay, 1700, 1715}, {"Late", kMon, 2330, 30},      {"Busy", kTue, 800, 830},
    {"After", kTue, 830, 900},        {"Evening", kTue, 1800, 1900}, {"Lost", kWed, 1000, 1100},
    {"Next", kWed, 1100, 1130},       {"Long", kWed, 2000, 2300},    {"Short", kWed, 2100, 2130},
    {"Before", kThu, 1300, 1340},     {"Asleep", kThu, 1400, 1500},  {"Jumped", kFri, 900, 1000},
    {"Joined", kFri, 1030, 1100},     {"Friday", kFri, 2000, 2100},  {"Cut", kSat, 830, 845},
    {"Edited", kSat, 800, 900},       {"Midnight", kSat, 2330, 30},  {"D0", kSun, 130, 230},
    {"D1", kSun, 210, 220},           {"D2", kSun, 230, 330},        {"D3", kSun, 259, 301},
    {"Sunday", kSun, 1000, 1100},     {"Dozed", kThu, 1345, 1355},   {"Skipped", kFri, 1000, 1030},
};

ScheduledEvent Event(const WeekEvent& e) {
    return ScheduledEvent{e.name,      101.3f,      e.days, e.start / 100, e.start % 100,
                          e.end / 100, e.end % 100, -1,     kActionRecord};
}

// One recording, or one start that failed.
struct Row {
    std::string when, event, path, outcome;
};

// "<when> <event> <file> <length> <outcome>"; the length is what the
// completed file says was captured.
std::string Line(const Row& row) {
    std::string file = "-", length = "-";
    if (!row.path.empty()) {
        QFile completed(QString::fromStdString(row.path));
        file = QFileInfo(completed).fileName().toStdString();
        bool complete = completed.open(QIODevice::ReadOnly);
        const QByteArray content = completed.readAll();
        const long long ms = content.left(content.indexOf('\n')).toLongLong(&complete);
        length = !complete ? "incomplete"
                 : !content.contains("EVENT " + QByteArray(row.event.c_str()) + "\r\n")
                     ? "no items"
                     : std::to_string(ms / 60000) + ':' + char('0' + ms / 10000 % 6) +
                           char('0' + ms / 1000 % 10);
    }
    char text[160];
    std::snprintf(text, sizeof text, "%-14s  %-8s %-14s %6s  %s", row.when.c_str(),
                  row.event.c_str(), file.c_str(), length.c_str(), row.outcome.c_str());
    return text;
}

// A week on the clock, ticking every 2 s as the panel's timer does, with one
// of each fault: a start that fails, a device lost mid-recording, a suspend
// through an end and a start, the clock set on past an end, and the list
// edited while an event records.
TEST(RecordWeek, EveryEventRecordsOrReportsItsFailureThroughEachFault) {
    const BerlinZone berlin;
    const MessageBoxRecorder boxes;
    QTemporaryDir dir;
    ZoneClock clock;
    clock.SetTime(Utc("2026-10-18 22:00"));  // Monday 00:00 CEST
    SettingsRecords settings;
    settings.files.defaultDirectory = dir.path();
    for (const WeekEvent& e : kWeek) {
        ASSERT_TRUE(settings.events.Add(Event(e)));
    }
    PlainView view;
    RecordControl control(view, settings);
    control.SetClock(clock);
    control.SetRecorderMaker([&clock](const RecorderPlan&, QObject*, const std::string& path,
                                      const std::string&) {
        const QString event = QFileInfo(QString::fromStdString(path)).fileName().section('_', 0, 0);
        FakeRecorder::Faults faults;
        faults.startFails = event == "Busy";
        faults.deviceLostAfterMs = event == "Lost" ? 20 * 60000 : -1;
        return std::make_unique<FakeRecorder>(clock, path, faults);
    });

    std::vector<Row> rows;
    auto now = [&clock] {
        const std::tm local = clock.LocalNow();
        char text[32];
        std::strftime(text, sizeof text, "%a %H:%M %Z", &local);
        return std::string(text);
    };
    QObject::connect(&control, &RecordControl::recordingStarted,
                     [&](int, const QString& event, const QString& path) {
                         rows.push_back({now(), event.toStdString(), path.toStdString(), {}});
                     });
    auto end = [&](const QString& event, const std::string& outcome) {
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            if (row->event == event.toStdString() && row->outcome.empty()) {
                row->outcome = outcome;
                return;
            }
        }
        rows.push_back({now(), event.toStdString(), {}, outcome});  // it never began
    };
    QObject::connect(&control, &RecordControl::recordingEnded,
                     [&](int, const QString& event) { end(event, "ended"); });
    QObject::connect(&control, &RecordControl::recordingLimited,
                     [&](int, const QString& event) { end(event, "size limit"); });
    QObject::connect(&control, &RecordControl::recordingFailed,
                     [&](int, const QString& event, const QString& reason) {
                         end(event, "failed: " + reason.toStdString());
                     });

    const std::time_t suspend = Utc("2026-10-22 11:30"), setOn = Utc("2026-10-23 07:20"),
                      edit = Utc("2026-10-24 06:15"), weekEnd = Utc("2026-10-26 00:00");
    while (clock.Now() < weekEnd) {  // Monday 01:00 CET
        const std::time_t t = clock.Now();
        if (t == suspend) {
            // Thursday 13:30, Before recording: suspended for 40 minutes (the
            // monotonic clock stands still), through its end, all of Dozed
            // and Asleep's start; the resume is told.
            clock.SetTime(Utc("2026-10-22 12:10"));
            control.schedule().RequestCatchUp();
        } else if (t == setOn) {
            clock.SetTime(Utc("2026-10-23 08:40"));  // Friday 09:20 set to 10:40, past Skipped
        } else if (t == edit) {
            // Saturday 08:15, Edited recording: an event before it goes, and
            // New replaces it with a later end (it moves to the end).
            ASSERT_TRUE(settings.events.Remove("Cut"));
            ScheduledEvent edited = settings.events.at(settings.events.Find("Edited"));
            edited.endMinute = 30;
            ASSERT_TRUE(settings.events.Add(edited));
        }
        control.Tick();
        ASSERT_TRUE(WaitUntil([&] { return control.settled(); })) << now();
        clock.Advance(2000);
    }
    LetWaitingMessagesRun();

    std::vector<std::string> report;
    for (const Row& row : rows) {
        report.push_back(Line(row));
        std::printf("%s\n", report.back().c_str());
    }
    const std::vector<std::string> expected = {
        "Mon 06:00 CEST  Early1   Early1_1.wav    30:00  ended",
        "Mon 06:30 CEST  Early2   Early2_1.wav    30:00  ended",
        "Mon 07:00 CEST  Early3   Early3_1.wav    30:00  ended",
        "Mon 07:45 CEST  News     News_1.wav      15:00  ended",
        "Mon 12:00 CEST  Noon     Noon_1.wav      30:00  ended",
        "Mon 12:30 CEST  Overlap  Overlap_1.wav   60:00  ended",
        "Mon 17:00 CEST  Daily    Daily_1.wav     15:00  ended",
        "Mon 23:30 CEST  Late     Late_1.wav      60:00  ended",
        "Tue 07:45 CEST  News     News_2.wav      15:00  ended",
        "Tue 08:00 CEST  Busy     -                   -  failed: the sound device is busy",
        "Tue 08:30 CEST  After    After_1.wav     30:00  ended",
        "Tue 17:00 CEST  Daily    Daily_2.wav     15:00  ended",
        "Tue 18:00 CEST  Evening  Evening_1.wav   60:00  ended",
        "Wed 07:45 CEST  News     News_3.wav      15:00  ended",
        "Wed 10:00 CEST  Lost     Lost_1.wav      20:00  failed: the sound device was lost",
        "Wed 11:00 CEST  Next     Next_1.wav      30:00  ended",
        "Wed 17:00 CEST  Daily    Daily_3.wav     15:00  ended",
        "Wed 20:00 CEST  Long     Long_1.wav      60:00  ended",
        "Wed 21:00 CEST  Short    Short_1.wav     30:00  ended",
        "Thu 07:45 CEST  News     News_4.wav      15:00  ended",
        "Thu 13:00 CEST  Before   Before_1.wav    30:00  ended",
        "Thu 14:10 CEST  Dozed    -                   -  failed: Dozed was missed: the computer "
        "was asleep or its clock changed",
        "Thu 14:10 CEST  Asleep   Asleep_1.wav    49:58  ended",
        "Thu 17:00 CEST  Daily    Daily_4.wav     15:00  ended",
        "Fri 07:45 CEST  News     News_5.wav      15:00  ended",
        "Fri 09:00 CEST  Jumped   Jumped_1.wav    20:00  ended",
        "Fri 10:40 CEST  Skipped  -                   -  failed: Skipped was missed: the "
        "computer was asleep or its clock changed",
        "Fri 10:40 CEST  Joined   Joined_1.wav    19:58  ended",
        "Fri 17:00 CEST  Daily    Daily_5.wav     15:00  ended",
        "Fri 20:00 CEST  Friday   Friday_1.wav    60:00  ended",
        "Sat 08:00 CEST  Edited   Edited_1.wav    90:00  ended",
        "Sat 17:00 CEST  Daily    Daily_6.wav     15:00  ended",
        "Sat 23:30 CEST  Midnight Midnight_1.wav  60:00  ended",
        "Sun 01:30 CEST  D0       D0_1.wav        40:00  ended",
        "Sun 02:10 CEST  D1       D1_1.wav        10:00  ended",
        "Sun 02:30 CEST  D2       D2_1.wav        29:00  ended",
        "Sun 02:59 CEST  D3       D3_1.wav        62:00  ended",
        "Sun 10:00 CET   Sunday   Sunday_1.wav    60:00  ended",
        "Sun 17:00 CET   Daily    Daily_7.wav     15:00  ended",
    };
    EXPECT_EQ(report, expected);
    EXPECT_EQ(control.state(), RecordState::kIdle);
    EXPECT_TRUE(boxes.calls().empty()) << "nobody is asked about a scheduled recording";
}

}  // namespace
