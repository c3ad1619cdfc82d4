#pragma once

#include <QString>
#include <QWidget>
#include <array>

class PresetTable;
class QPushButton;

// The rules of the bank button and the preset buttons.
namespace presets {

// The bank after a click on the bank button: FM1 to FM4, and AM1 to AM4
// only on a device with AM.
int NextBank(int bank, bool hasAm);
// The bank after a Shift-click.
int PreviousBank(int bank, bool hasAm);
// A bank the device can show: banks above 4 without AM, and banks outside 1
// to 8, become 1.
int ValidBank(int bank, bool hasAm);
// "F&M1" to "F&M4", "A&M1" to "A&M4".
QString BankLabel(int bank);
// A preset between 0 and 2 MHz is an AM preset; its text is red.
bool IsAmPreset(float frequency);
// The button's text: the name when it fits, else the frequency ("%.1f",
// AM multiplied by 100) of a programmed preset, else nothing.
QString ButtonText(float frequency, const QString& name, bool nameFits);
// The button (0 to 7) of a bank whose preset is within 0.15 of the
// frequency (AM differences count twenty-fold); -1 when none is.
int HighlightButton(const PresetTable& table, int bank, float frequency);

}  // namespace presets

// The eight preset buttons in two rows of four. They show and forward;
// the radio panel decides what a click does.
class TPresetButtons : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kButtons = 8;

    explicit TPresetButtons(QWidget* parent = nullptr);

    // Text, colour and tool tip of every button for the bank.
    void Refresh(const PresetTable& table, int bank);
    void RefreshButton(const PresetTable& table, int bank, int button);
    // Shows one button pressed and the others released; -1 releases all.
    void Highlight(int button);

    QPushButton* button(int k) const { return buttons_[static_cast<size_t>(k)]; }

  signals:
    void presetClicked(int button);

  private:
    std::array<QPushButton*, kButtons> buttons_{};
};
