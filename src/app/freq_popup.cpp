#include "app/freq_popup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "prefs/frequency_band.h"
#include "radio/sradio.h"

namespace freq_popup {

namespace {

std::optional<float> LeadingNumber(const QString& text) {
    return band::ReadTyped(text).number;
}

}  // namespace

std::pair<int, int> SliderRange(bool am) {
    return am ? std::pair{5200, 17100} : std::pair{8700, 10800};
}

int SliderPosition(float frequency, bool am) {
    return static_cast<int>(std::lround(frequency * (am ? 10000.0f : 100.0f)));
}

QString Text(float frequency, bool am) {
    if (am) {
        return QString::number(static_cast<double>(frequency * 100.0f), 'f', 1) + " AM";
    }
    return QString::number(static_cast<double>(frequency), 'f', 1);
}

QString Hint(const QString& text, bool am) {
    if (text.trimmed().isEmpty() || FrequencyFromText(text, am)) {
        return {};
    }
    return am ? QStringLiteral("Type an AM frequency from 52.0 to 170.1 (x10kHz), such as 54.0")
              : QStringLiteral("Type a frequency from 87.0 to 108.0 MHz, such as 101.3");
}

std::optional<float> FrequencyFromText(const QString& text, bool am) {
    const std::optional<float> number = LeadingNumber(text.trimmed());
    if (!number) {
        return std::nullopt;
    }
    if (am) {
        if (*number >= 52.0f && *number <= 170.1f) {
            return *number * 0.01f;
        }
        return std::nullopt;
    }
    if (*number >= 87.0f && *number <= 108.0f) {
        return *number;
    }
    return std::nullopt;
}

std::optional<float> FrequencyFromSlider(int position, bool am, float current) {
    if (am) {
        return static_cast<float>(position) * 0.0001f;
    }
    const float frequency = static_cast<float>(position) * 0.01f;
    if (std::fabs(frequency - current) > 0.05f) {
        return frequency;
    }
    return std::nullopt;
}

}  // namespace freq_popup

namespace {

std::function<void(TFreqPopup&)>& Hook() {
    static std::function<void(TFreqPopup&)> hook;
    return hook;
}

}  // namespace

void TFreqPopup::SetShowHook(std::function<void(TFreqPopup&)> hook) {
    Hook() = std::move(hook);
}

TFreqPopup::TFreqPopup(SRadio& radio, bool hasAm, QWidget* parent)
    : QDialog(parent),
      radio_(radio),
      text_(new QLineEdit(this)),
      slider_(new QSlider(Qt::Horizontal, this)),
      band_(new QComboBox(this)),
      hint_(new QLabel(this)) {
    setObjectName("SetRadioFrequency");
    setWindowTitle("Set Radio Frequency");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* textLabel = new QLabel("&Frequency:", this);
    textLabel->setBuddy(text_);
    form->addRow(textLabel, text_);
    hint_->setObjectName("hint");
    hint_->setWordWrap(true);
    form->addRow(QString(), hint_);
    band_->addItem("FM");
    if (hasAm) {
        band_->addItem("AM");
    }
    auto* bandLabel = new QLabel("&Band:", this);
    bandLabel->setBuddy(band_);
    form->addRow(bandLabel, band_);
    layout->addLayout(form);
    slider_->setMinimumWidth(240);
    slider_->setPageStep(10);
    layout->addWidget(slider_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    if (hasAm && band::IsAm(radio_.GetFrequency(), band::Context::kScan)) {
        EnterAm();
    } else {
        EnterFm();
    }
    connect(text_, &QLineEdit::textEdited, this, &TFreqPopup::TextEdited);
    connect(slider_, &QSlider::sliderReleased, this, &TFreqPopup::SliderReleased);
    connect(slider_, &QSlider::actionTriggered, this, [this](int action) {
        // Keys and page clicks end a scroll at once.
        if (action != QAbstractSlider::SliderMove) {
            QTimer::singleShot(0, this, &TFreqPopup::SliderReleased);
        }
    });
    connect(band_, &QComboBox::activated, this, &TFreqPopup::BandChosen);
    text_->setFocus();
    text_->selectAll();
}

void TFreqPopup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (Hook()) {
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && Hook()) {
                Hook()(*this);
            }
        });
    }
}

void TFreqPopup::EnterAm() {
    am_ = true;
    const auto [low, high] = freq_popup::SliderRange(true);
    const QSignalBlocker block(slider_);
    slider_->setRange(low, high);
    if (!band::IsAm(radio_.GetFrequency(), band::Context::kScan)) {
        radio_.SetFrequency(0.89f);
    }
    slider_->setValue(freq_popup::SliderPosition(radio_.GetFrequency(), true));
    band_->setCurrentText("AM");
    RewriteText();
}

void TFreqPopup::EnterFm() {
    am_ = false;
    const auto [low, high] = freq_popup::SliderRange(false);
    const QSignalBlocker block(slider_);
    slider_->setRange(low, high);
    if (band::IsAm(radio_.GetFrequency(), band::Context::kScan)) {
        radio_.SetFrequency(89.9f);
    }
    slider_->setValue(freq_popup::SliderPosition(radio_.GetFrequency(), false));
    band_->setCurrentText("FM");
    RewriteText();
}

void TFreqPopup::RewriteText() {
    text_->setText(freq_popup::Text(radio_.GetFrequency(), am_));
    hint_->clear();
}

void TFreqPopup::TextEdited(const QString& text) {
    hint_->setText(freq_popup::Hint(text, am_));
    const std::optional<float> frequency = freq_popup::FrequencyFromText(text, am_);
    if (!frequency) {
        return;  // not valid yet
    }
    const QSignalBlocker block(slider_);
    slider_->setValue(static_cast<int>(std::lround(*frequency * (am_ ? 10000.0f : 100.0f))));
    radio_.SetFrequency(*frequency);
}

void TFreqPopup::SliderReleased() {
    if (const std::optional<float> frequency =
            freq_popup::FrequencyFromSlider(slider_->value(), am_, radio_.GetFrequency())) {
        radio_.SetFrequency(*frequency);
    }
    RewriteText();
}

void TFreqPopup::BandChosen() {
    const bool wantsAm = band_->currentText().compare("am", Qt::CaseInsensitive) == 0;
    if (wantsAm && !am_) {
        EnterAm();
    } else if (!wantsAm && am_) {
        EnterFm();
    }
}
