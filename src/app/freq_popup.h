#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class SRadio;

// The rules of the "Set Radio Frequency" dialog on plain numbers.
namespace freq_popup {

// The slider's range: AM 5200 to 17100 (0.0001 MHz), FM 8700 to 10800.
std::pair<int, int> SliderRange(bool am);
int SliderPosition(float frequency, bool am);
// The frequency box's text: FM "%1.1f", AM "%1.1f AM" multiplied by 100.
QString Text(float frequency, bool am);
// The frequency the typed text asks for, read from the number at its
// start: AM 52 to 170.1 (x 0.01), FM 87 to 108; nothing otherwise.
std::optional<float> FrequencyFromText(const QString& text, bool am);
// What the dialog says under the box while its text is not a frequency of
// the band; empty for such a frequency and for an empty box.
QString Hint(const QString& text, bool am);
// The frequency a released slider sets: AM always, FM only when it differs
// from the device's by more than 0.05.
std::optional<float> FrequencyFromSlider(int position, bool am, float current);

}  // namespace freq_popup

// Tunes the device directly by text, slider and band.
class TFreqPopup : public QDialog {
    Q_OBJECT
  public:
    TFreqPopup(SRadio& radio, bool hasAm, QWidget* parent = nullptr);

    bool amMode() const { return am_; }
    QLineEdit* frequencyEdit() const { return text_; }
    QSlider* slider() const { return slider_; }
    QComboBox* bandBox() const { return band_; }
    QLabel* hintLabel() const { return hint_; }

    static void SetShowHook(std::function<void(TFreqPopup&)> hook);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void EnterAm();
    void EnterFm();
    void TextEdited(const QString& text);
    void SliderReleased();
    void BandChosen();
    void RewriteText();

    SRadio& radio_;
    bool am_ = false;
    QLineEdit* text_;
    QSlider* slider_;
    QComboBox* band_;
    QLabel* hint_;
};
