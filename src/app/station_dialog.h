#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class PresetTable;
class QLineEdit;
class QPushButton;

// The rules of the station dialog on plain text.
namespace station {

// The frequency box's text for a stored frequency: "%.2f" for FM, "%.1f AM"
// multiplied by 100 for AM (0.5 to 2), empty below 0.5.
QString FrequencyText(float frequency);
// Whether a character may be typed into the frequency box.
bool AcceptsCharacter(QChar c);
// The box's text without the characters it does not accept.
QString Filtered(const QString& text);

struct Parsed {
    std::optional<float> frequency;  // MHz, when the text is in range
    QString error;                   // the message when it is not
};
// Reads the frequency box: "AM"/"am" texts in units of 10 kHz (50.0 to
// 200.0), others in MHz (87.0 to 108.0). Text without a number keeps
// fallback (the frequency the dialog opened with).
Parsed ParseFrequency(const QString& text, float fallback);

}  // namespace station

// Edits one preset: its frequency and name; "&Delete" empties it.
class TStationDialog : public QDialog {
    Q_OBJECT
  public:
    // frequency below 0.1 shows the preset's stored frequency.
    TStationDialog(PresetTable& table, int index, float frequency, QWidget* parent = nullptr);

    QLineEdit* frequencyEdit() const { return frequency_; }
    QLineEdit* nameEdit() const { return name_; }
    QPushButton* deleteButton() const { return delete_; }

    // Called with the dialog once it is shown modally (lets a caller answer
    // it); the real program leaves it empty.
    static void SetShowHook(std::function<void(TStationDialog&)> hook);
    static const std::function<void(TStationDialog&)>& ShowHook();

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Delete();

    PresetTable& table_;
    int index_;
    float frequency_value_;
    QLineEdit* frequency_;
    QLineEdit* name_;
    QPushButton* delete_;
};
