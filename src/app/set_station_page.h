#pragma once

#include <QStringList>
#include <functional>

#include "prefs/property_page.h"

class PresetTable;
class QListWidget;
class QPushButton;

inline constexpr const char* kBankFullMessage =
    "This station-bank is full of programmed stations.Press the FMx button to try a new bank";
inline constexpr const char* kBankFullCaption = "No empty stations";

// Opens the station dialog for a preset with a frequency; true when it
// ended with OK.
using StationEditor =
    std::function<bool(PresetTable& table, int index, float frequency, QWidget* parent)>;

// "&FM1" to "&FM4", "&AM1" to "&AM4".
QString StationPageBankLabel(int bank);
// The eight rows of a bank: "%3.2f   %s" for FM, "%3.1f AM   %s" (x100)
// for AM, empty for a preset below 0.1.
QStringList StationRows(const PresetTable& table, int bank);
// The row "&New station" fills: the selected row when it is empty, else
// the bank's first empty row; -1 when the bank is full.
int NewStationRow(const PresetTable& table, int bank, int selectedRow);
// The current frequency moved into the bank's band: AM banks take 0.52 for
// a frequency above 2, FM banks 89.9 for one below 87.
float FrequencyForBank(float frequency, int bank);

// "Stations": the presets of one bank at a time, edited in the live table.
class TSetStation : public TPropertyPage {
    Q_OBJECT
  public:
    TSetStation(PresetTable& table, int bank, std::function<float()> frequency,
                std::function<bool()> hasAmBand, StationEditor editor, QWidget* parent = nullptr);

    // Nothing to store: every change has gone to the table already.
    void Apply() override {}

    int bank() const { return bank_; }
    QListWidget* list() const { return list_; }

    void ChangeBank(bool previous);
    void NewStation();
    void EditStation();
    void DeleteStation();
    void MoveStation(int step);

  private:
    void Refresh();
    int selectedRow() const;

    PresetTable& table_;
    int bank_;
    std::function<float()> frequency_;
    std::function<bool()> hasAmBand_;
    StationEditor editor_;
    QListWidget* list_;
    QPushButton* bankButton_;
};
