#include "app/station_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>

#include "app/help_topic.h"
#include "app/preset_table.h"
#include "platform/message_box.h"
#include "prefs/frequency_band.h"

namespace station {

namespace {

constexpr float kOccupied = 0.1f;

class FrequencyValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const QString filtered = Filtered(input);
        if (filtered != input) {
            pos -= static_cast<int>(input.left(pos).size() - Filtered(input.left(pos)).size());
            input = filtered;
        }
        return Acceptable;
    }
};

}  // namespace

QString FrequencyText(float frequency) {
    if (frequency < PresetTable::kProgrammedThreshold) {
        return {};
    }
    return band::Text(frequency, band::Context::kPreset);
}

bool AcceptsCharacter(QChar c) {
    return QStringLiteral("AMam .0123456789").contains(c);
}

QString Filtered(const QString& text) {
    QString kept;
    for (const QChar c : text) {
        if (AcceptsCharacter(c)) {
            kept += c;
        }
    }
    return kept;
}

Parsed ParseFrequency(const QString& text, float fallback) {
    band::Typed typed = band::ReadTyped(text);
    Parsed parsed;
    if (typed.unitWithoutNumber) {
        parsed.error = band::kAmWithoutNumberMessage;
        return parsed;
    }
    if (!typed.number) {
        // An empty box keeps the frequency the dialog opened with, in its
        // own band.
        typed.number = band::Shown(fallback, band::Context::kPreset);
        typed.am = band::IsAm(fallback, band::Context::kPreset);
    }
    if (band::InAcceptedBand(typed)) {
        parsed.frequency = typed.Mhz();
    } else {
        parsed.error = typed.am ? band::kAmRangeMessage : band::kFmRangeMessage;
    }
    return parsed;
}

}  // namespace station

namespace {

std::function<void(TStationDialog&)>& Hook() {
    static std::function<void(TStationDialog&)> hook;
    return hook;
}

}  // namespace

void TStationDialog::SetShowHook(std::function<void(TStationDialog&)> hook) {
    Hook() = std::move(hook);
}

const std::function<void(TStationDialog&)>& TStationDialog::ShowHook() {
    return Hook();
}

TStationDialog::TStationDialog(PresetTable& table, int index, float frequency, QWidget* parent)
    : QDialog(parent),
      table_(table),
      index_(index),
      frequency_value_(frequency < station::kOccupied ? table.GetFrequency(index) : frequency),
      frequency_(new QLineEdit(this)),
      name_(new QLineEdit(this)),
      delete_(new QPushButton("&Delete", this)) {
    setObjectName("Station");
    setWindowTitle("Station");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* number = new QLabel(QString::asprintf("%d", index + 1), this);
    form->addRow("Programmed Station Number:", number);
    frequency_->setValidator(new station::FrequencyValidator(frequency_));
    frequency_->setText(station::FrequencyText(frequency_value_));
    auto* frequencyLabel = new QLabel("&Frequency:", this);
    frequencyLabel->setBuddy(frequency_);
    form->addRow(frequencyLabel, frequency_);
    name_->setMaxLength(StationPreset::kMaxNameLength);
    name_->setText(table.GetName(index));
    name_->setPlaceholderText(
        QString("call-sign, up to %1 characters").arg(StationPreset::kMaxNameLength));
    auto* nameLabel = new QLabel("&Name:", this);
    nameLabel->setBuddy(name_);
    form->addRow(nameLabel, name_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->addButton(delete_, QDialogButtonBox::DestructiveRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TStationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TStationDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [] { OpenHelpTopic("Station_dialog.html"); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, buttons,
            &QDialogButtonBox::helpRequested);
    connect(delete_, &QPushButton::clicked, this, &TStationDialog::Delete);
    layout->addWidget(buttons);
    frequency_->setFocus();
}

void TStationDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (Hook()) {
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && Hook()) {
                Hook()(*this);
            }
        });
    }
}

void TStationDialog::accept() {
    const station::Parsed parsed = station::ParseFrequency(frequency_->text(), frequency_value_);
    if (!parsed.frequency) {
        MessageBox(parsed.error, "Station Frequency", MessageIcon::Error);
        frequency_->setFocus();
        return;
    }
    table_.Set(index_, *parsed.frequency, name_->text());
    QDialog::accept();
}

void TStationDialog::Delete() {
    table_.Clear(index_);
    QDialog::accept();
}
