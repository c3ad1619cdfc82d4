#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>

#include "app/preset_table.h"
#include "app/set_station_page.h"
#include "support/message_box_recorder.h"

namespace {

struct EditorCall {
    int index;
    float frequency;
};

// A station dialog that records what it was opened with, and names the
// preset and ends with OK when told to.
struct FakeEditor {
    std::vector<EditorCall> calls;
    bool ok = true;

    StationEditor editor() {
        return [this](PresetTable& table, int index, float frequency, QWidget*) {
            calls.push_back({index, frequency});
            if (ok) {
                table.Set(index, frequency, "Named");
            }
            return ok;
        };
    }
};

TSetStation MakePage(PresetTable& table, FakeEditor& editor, int bank = 1, float frequency = 95.5f,
                     bool hasAm = true) {
    return TSetStation(
        table, bank, [frequency] { return frequency; }, [hasAm] { return hasAm; }, editor.editor());
}

TEST(StationsPage, RowsShowFrequencyAndNameOfTheBank) {
    PresetTable table;
    table.Set(0, 95.5f, "Alpha");
    table.Set(2, 101.25f, "");
    table.Set(32, 0.54f, "Mittel");
    EXPECT_EQ(StationRows(table, 1).mid(0, 3), (QStringList{"95.50   Alpha", "", "101.25   "}));
    EXPECT_EQ(StationRows(table, 5).first(), "54.0 AM   Mittel");
}

TEST(StationsPage, BankButtonStepsThroughItsOwnBanks) {
    PresetTable table;
    FakeEditor editor;
    TSetStation page = MakePage(table, editor, 4, 95.5f, false);
    auto* bank = page.findChild<QPushButton*>("bank");
    EXPECT_EQ(bank->text(), "&FM4");
    page.ChangeBank(false);
    EXPECT_EQ(bank->text(), "&FM1") << "no AM banks on this radio";
    page.ChangeBank(true);
    EXPECT_EQ(page.bank(), 4);

    TSetStation am = MakePage(table, editor, 4);
    am.ChangeBank(false);
    EXPECT_EQ(am.findChild<QPushButton*>("bank")->text(), "&AM1");
}

TEST(StationsPage, NewFillsTheSelectedEmptyRowOrTheFirstEmptyOne) {
    PresetTable table;
    table.Set(0, 95.5f, "Alpha");
    FakeEditor editor;
    TSetStation page = MakePage(table, editor, 1, 80.0f);
    page.list()->setCurrentRow(3);
    page.NewStation();
    ASSERT_EQ(editor.calls.size(), 1u);
    EXPECT_EQ(editor.calls[0].index, 3);
    EXPECT_FLOAT_EQ(editor.calls[0].frequency, 89.9f) << "an FM bank moves 80 MHz to 89.9";
    EXPECT_EQ(table.GetName(3), "Named");

    page.list()->setCurrentRow(0);  // occupied: the first empty row instead
    editor.ok = false;
    page.NewStation();
    EXPECT_EQ(editor.calls.back().index, 1);
    EXPECT_FLOAT_EQ(table.GetFrequency(1), 0.0f) << "Cancel clears the new preset again";
}

TEST(StationsPage, NewOnAFullBankSaysSoAndChangesNothing) {
    PresetTable table;
    for (int i = 0; i < 8; ++i) {
        table.Set(i, 88.0f + i, "S");
    }
    const PresetTable before = table;
    FakeEditor editor;
    TSetStation page = MakePage(table, editor);
    MessageBoxRecorder boxes;
    page.findChild<QPushButton*>("new")->click();
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text,
              "This station-bank is full of programmed stations.Press the FMx button to try a "
              "new bank");
    EXPECT_EQ(boxes.calls()[0].caption, "No empty stations");
    EXPECT_TRUE(editor.calls.empty());
    EXPECT_EQ(table, before);
}

TEST(StationsPage, AmBankTakesAnAmFrequency) {
    PresetTable table;
    FakeEditor editor;
    TSetStation page = MakePage(table, editor, 5, 95.5f);
    page.NewStation();
    EXPECT_EQ(editor.calls.at(0).index, 32);
    EXPECT_FLOAT_EQ(editor.calls[0].frequency, 0.52f);
}

TEST(StationsPage, EditDeleteAndMoveActOnTheLiveTable) {
    PresetTable table;
    table.Set(8, 95.5f, "Alpha");
    table.Set(9, 99.0f, "Beta");
    FakeEditor editor;
    TSetStation page = MakePage(table, editor, 2);
    page.EditStation();  // nothing selected: row 0
    EXPECT_EQ(editor.calls.at(0).index, 8);
    EXPECT_FLOAT_EQ(editor.calls[0].frequency, 95.5f);

    page.list()->setCurrentRow(1);
    page.MoveStation(-1);
    EXPECT_EQ(table.GetName(8), "Beta");
    EXPECT_EQ(page.list()->currentRow(), 0) << "the moved entry stays selected";
    page.MoveStation(-1);
    EXPECT_EQ(table.GetName(8), "Beta") << "row 0 does not move up";

    page.findChild<QPushButton*>("delete")->click();
    EXPECT_FLOAT_EQ(table.GetFrequency(8), 0.0f);
    EXPECT_EQ(page.list()->item(0)->text(), "");
}

}  // namespace
